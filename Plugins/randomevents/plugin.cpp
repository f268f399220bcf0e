/* plugin.cpp: the six entry points the host calls, and the chat test command. */
#include "plugin.h"

#include "host.h"
#include "scheduler.h"

/* The host finds these by their plain names: C linkage, no decoration, and
 * on 32-bit x86 a stack realigned on entry, since the server may call with
 * only 4-byte alignment.  On 32-bit Windows the convention is spelt out:
 * cdecl is what the host calls and the only one exported undecorated. */
#if defined(_WIN32)
#define PLG_EXPORT extern "C" __declspec(dllexport)
#else
#define PLG_EXPORT extern "C" __attribute__((visibility("default")))
#endif
#if defined(__i386__) && defined(_WIN32)
#define PLG_ENTRY __attribute__((cdecl, force_align_arg_pointer))
#elif defined(__i386__)
#define PLG_ENTRY __attribute__((force_align_arg_pointer))
#else
#define PLG_ENTRY
#endif

int beamSprite;

/* Compares a host string with one of our lower-case words, NUL included,
 * folding only A to Z so the match does not depend on the server's locale.
 * It stops at the first difference, so it never reads past the host's NUL.
 * The word's size is a constant: the loop unrolls and each letter costs one
 * OR and one compare, since for a lower-case letter w, (c | 0x20) == w holds
 * for exactly w and its capital. */
static inline int EqualsIgnoringCase(const char *text, const char *lowerWord, unsigned size)
{
    for (unsigned i = 0; i < size; i++) {
        unsigned char w = static_cast<unsigned char>(lowerWord[i]);
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (w >= 'a' && w <= 'z')
            c |= 0x20;
        if (c != w)
            return 0;
    }
    return 1;
}

#define ArgvIs(n, word) ArgvMatches((n), (word), sizeof(word))

static inline int ArgvMatches(int n, const char *lowerWord, unsigned size)
{
    const char *arg = HostCmdArgv(n);
    return arg && EqualsIgnoringCase(arg, lowerWord, size);
}

PLG_EXPORT PLG_ENTRY void DFGiveFuncs(void **table) { HostAttach(table); }

PLG_EXPORT PLG_ENTRY void plgGameDLLInit(void) {}

PLG_EXPORT PLG_ENTRY void plgMapInit(void)
{
    if (!HostAttached())
        return;
    beamSprite = HostPrecacheModel("sprites/laserbeam.spr");
    SchedulerReset();
}

PLG_EXPORT PLG_ENTRY void plgThink(void)
{
    if (!HostAttached())
        return;
    SchedulerThink();
}

PLG_EXPORT PLG_ENTRY int plgClientConnect(EntityHandle, const char *, const char *) { return 0; }

/* "say !eventtest" from a player with access forces the random weapon. */
PLG_EXPORT PLG_ENTRY int plgClientCommand(EntityHandle client)
{
    if (!HostAttached())
        return 0;
    if (!ArgvIs(0, "say") || !ArgvIs(1, "!eventtest"))
        return 0;
    if (!HostHasAccess(client, 0))
        return 0;
    SchedulerForce(EVENT_RANDOM_WEAPON);
    return 0;
}
