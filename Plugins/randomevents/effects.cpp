/* effects.cpp: fixed-point fields, the event announcement and the screen shake and fade senders. */
#include "effects.h"

#include "host.h"

/* Clamping happens on the float product: converting an out-of-range float
 * to int is undefined, and NaN compares false with everything. */
static int FixedClamp(float value, float scale, float low, float high)
{
    float product = value * scale;
    if (!(product == product))
        return 0;
    if (product <= low)
        return static_cast<int>(low);
    if (product >= high)
        return static_cast<int>(high);
    return static_cast<int>(product);
}

int FixedUnsigned16(float value, float scale) { return FixedClamp(value, scale, 0.0f, 65535.0f); }

int FixedSigned16(float value, float scale)
{
    return FixedClamp(value, scale, -32768.0f, 32767.0f);
}

void Announce(const char *text)
{
    const int holdTime = FixedUnsigned16(2.0f, 256.0f);

    HostMessageBegin(MSG_ALL, SVC_TEMPENTITY, 0, 0);
    HostWriteByte(TE_TEXTMESSAGE);
    HostWriteByte(255);                           /* channel */
    HostWriteShort(FixedSigned16(0.0f, 8192.0f)); /* x: left edge */
    HostWriteShort(FixedSigned16(0.6f, 8192.0f)); /* y: 0.6 of the screen down */
    HostWriteByte(2);                             /* effect: write-out */
    HostWriteByte(255);                           /* colour 1: yellow */
    HostWriteByte(255);
    HostWriteByte(0);
    HostWriteByte(50);
    HostWriteByte(0); /* colour 2: cyan highlight */
    HostWriteByte(255);
    HostWriteByte(255);
    HostWriteByte(50);
    HostWriteShort(FixedUnsigned16(0.01f, 256.0f)); /* fade-in */
    HostWriteShort(holdTime);                       /* fade-out */
    HostWriteShort(holdTime);                       /* hold */
    HostWriteShort(FixedUnsigned16(4.0f, 256.0f));  /* effect time, sent since the effect is 2 */
    HostWriteString(text);
    HostMessageEnd();
}

/* The wire order is amplitude, duration, frequency. */
void ShakeAll(float amplitude, float frequency, float duration)
{
    HostMessageBegin(MSG_ALL, HostUserMsgId("ScreenShake", SCREENSHAKE_BYTES), 0, 0);
    HostWriteShort(FixedUnsigned16(amplitude, 4096.0f));
    HostWriteShort(FixedUnsigned16(duration, 4096.0f));
    HostWriteShort(FixedUnsigned16(frequency, 256.0f));
    HostMessageEnd();
}

/* Keeps the low 8 bits of a colour component truncated toward zero.  The
 * conversion goes through the clamped one, so a component outside the
 * 16-bit range (never one of our tints) gives its bound's low bits instead
 * of undefined behaviour. */
static unsigned char ColourByte(float component)
{
    return static_cast<unsigned char>(FixedSigned16(component, 1.0f) & 0xff);
}

void FadeBuild(FadeRecord *record, const float colour[3], float fadeTime, float holdTime, int alpha,
               int flags)
{
    record->duration = static_cast<unsigned short>(FixedUnsigned16(fadeTime, 4096.0f));
    record->holdTime = static_cast<unsigned short>(FixedUnsigned16(holdTime, 4096.0f));
    record->r = ColourByte(colour[0]);
    record->g = ColourByte(colour[1]);
    record->b = ColourByte(colour[2]);
    record->a = static_cast<unsigned char>(alpha & 0xff);
    record->fadeFlags = static_cast<short>(flags & 0xffff);
}

void FadeWrite(const FadeRecord *record, EntityHandle entity)
{
    if (!entity || !HostIsClient(entity))
        return;
    HostMessageBegin(MSG_ONE, HostUserMsgId("ScreenFade", SCREENFADE_BYTES), 0, entity);
    HostWriteShort(record->duration);
    HostWriteShort(record->holdTime);
    HostWriteShort(record->fadeFlags);
    HostWriteByte(record->r);
    HostWriteByte(record->g);
    HostWriteByte(record->b);
    HostWriteByte(record->a);
    HostMessageEnd();
}

void FadeAll(const float colour[3], float fadeTime, float holdTime, int alpha, int flags)
{
    FadeRecord record;
    FadeBuild(&record, colour, fadeTime, holdTime, alpha, flags);
    /* Counting up only while below the maximum: no overflow even when the
     * host claims INT_MAX slots. */
    for (int n = 0; n < HostMaxClients();)
        FadeWrite(&record, HostEntByIndex(++n));
}
