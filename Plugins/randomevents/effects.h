/* effects.h: what the module shows players: fixed-point fields, announcements, shakes and fades. */
#ifndef RANDOMEVENTS_EFFECTS_H
#define RANDOMEVENTS_EFFECTS_H

#include "host_abi.h"

/* value x scale truncated toward zero, clamped to [0, 65535]; NaN gives 0. */
int FixedUnsigned16(float value, float scale);
/* value x scale truncated toward zero, clamped to [-32768, 32767]; NaN gives 0. */
int FixedSigned16(float value, float scale);

/* One on-screen text broadcast to every player. */
void Announce(const char *text);

/* The payload of one "ScreenFade", in wire order. */
struct FadeRecord {
    unsigned short duration; /* 4.12 fixed-point seconds */
    unsigned short holdTime; /* 4.12 fixed-point seconds */
    short fadeFlags;         /* FFADE_* bits */
    unsigned char r, g, b, a;
};

void ShakeAll(float amplitude, float frequency, float duration);
void FadeBuild(FadeRecord *record, const float colour[3], float fadeTime, float holdTime, int alpha,
               int flags);
void FadeWrite(const FadeRecord *record, EntityHandle entity);
void FadeAll(const float colour[3], float fadeTime, float holdTime, int alpha, int flags);

#endif
