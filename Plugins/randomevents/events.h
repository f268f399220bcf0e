/* events.h: the start, hold and end actions of the six random events. */
#ifndef RANDOMEVENTS_EVENTS_H
#define RANDOMEVENTS_EVENTS_H

void LowGravStart(void);
void LowGravEnd(void);

void TrailsStart(void);
void TrailsEnd(void);

void EarthquakeStart(void);
void EarthquakeEnd(void);

void ColoredViewStart(void);
void ColoredViewEnd(void);

void RandomWeaponStart(void);
void RandomWeaponEnd(void);

void SlowMoveStart(void);
void SlowMoveHold(void);
void SlowMoveEnd(void);

#endif
