/* scheduler.h: the event table and the timer that starts, holds and ends one event at a time. */
#ifndef RANDOMEVENTS_SCHEDULER_H
#define RANDOMEVENTS_SCHEDULER_H

typedef void (*EventAction)(void);

struct EventRow {
    float midDelay; /* seconds after the start from which `mid` runs each frame */
    float endDelay; /* seconds after the start at which the event ends */
    EventAction start, mid, end;
};

enum {
    EVENT_NONE = 0,
    EVENT_LOW_GRAVITY = 1,
    EVENT_TRAILS = 2,
    EVENT_EARTHQUAKE = 3,
    EVENT_COLORED_VIEW = 4,
    EVENT_RANDOM_WEAPON = 5,
    EVENT_SLOW_MOVEMENT = 6,
    EVENT_COUNT = 6
};

/* First start of a new map, 300 to 420 s into it; a running event is dropped unended. */
void SchedulerReset(void);
/* One server frame: start, hold or end. */
void SchedulerThink(void);
/* Ends the running event, if any, and starts event n (1..EVENT_COUNT) at once. */
void SchedulerForce(int n);

#endif
