/* host.h: typed calls into the host's services table; the module's only way to the host,
 * and the one place that turns raw slots into typed calls. */
#ifndef RANDOMEVENTS_HOST_H
#define RANDOMEVENTS_HOST_H

#include "host_abi.h"

/* Keeps the table address; null, or a table whose clock or player count is
 * null, detaches.  Every call below needs an attached table. */
void HostAttach(void **table);

/* The table the host handed over; null while detached.  Only the calls
 * below read it. */
#if defined(_WIN32)
extern void **hostFuncs;
#else
extern void **hostFuncs __attribute__((visibility("hidden")));
#endif

inline int HostAttached(void) { return hostFuncs != 0; }

/* Casting an object pointer to a function pointer is what a slot table is;
 * every such cast in the module happens here.  The calls are inline so that
 * a frame with nothing to do costs a few instructions. */
template <typename Fn> inline Fn Slot(int slot) { return reinterpret_cast<Fn>(hostFuncs[slot]); }

/* *pTime and *pMaxClients are read afresh at every call. */
inline float HostTime(void) { return *static_cast<const float *>(hostFuncs[SLOT_pTime]); }

inline int HostMaxClients(void) { return *static_cast<const int *>(hostFuncs[SLOT_pMaxClients]); }

inline const char *HostGetTag(void) { return Slot<HostGetTagFn>(SLOT_GetTag)(); }

inline const char *HostCmdArgv(int n) { return Slot<HostCmdArgvFn>(SLOT_CmdArgv)(n); }

inline int HostEntIndex(EntityHandle entity) { return Slot<HostEntIndexFn>(SLOT_EntIndex)(entity); }

inline EntityHandle HostEntByIndex(int n) { return Slot<HostEntByIndexFn>(SLOT_EntByIndex)(n); }

inline void HostClientPrint(EntityHandle entity, int where, const char *text)
{
    Slot<HostClientPrintFn>(SLOT_ClientPrint)(entity, where, text);
}

inline float HostCvarGetFloat(const char *name)
{
    return Slot<HostCvarGetFloatFn>(SLOT_CvarGetFloat)(name);
}

inline void HostCvarSetFloat(const char *name, float value)
{
    Slot<HostCvarSetFloatFn>(SLOT_CvarSetFloat)(name, value);
}

inline int HostIsClient(EntityHandle entity) { return Slot<HostIsClientFn>(SLOT_IsClient)(entity); }

inline int HostHasAccess(EntityHandle entity, int level)
{
    return Slot<HostHasAccessFn>(SLOT_HasAccess)(entity, level);
}

inline void HostGiveItem(EntityHandle entity, const char *className)
{
    Slot<HostGiveItemFn>(SLOT_GiveItem)(entity, className);
}

inline void HostRunCommand(const char *line) { Slot<HostRunCommandFn>(SLOT_RunCommand)(line); }

inline void HostMessageBegin(int dest, int type, const float *origin, EntityHandle entity)
{
    Slot<HostMessageBeginFn>(SLOT_MessageBegin)(dest, type, origin, entity);
}

inline void HostMessageEnd(void) { Slot<HostMessageEndFn>(SLOT_MessageEnd)(); }

inline void HostWriteByte(int value) { Slot<HostWriteByteFn>(SLOT_WriteByte)(value); }

inline void HostWriteShort(int value) { Slot<HostWriteShortFn>(SLOT_WriteShort)(value); }

inline void HostWriteString(const char *text) { Slot<HostWriteStringFn>(SLOT_WriteString)(text); }

inline int HostPrecacheModel(const char *path)
{
    return Slot<HostPrecacheModelFn>(SLOT_PrecacheModel)(path);
}

/* Always within [low, high]: a host answer outside them is clamped. */
inline int HostRandomLong(int low, int high)
{
    int r = Slot<HostRandomLongFn>(SLOT_RandomLong)(low, high);
    if (r < low)
        return low;
    if (r > high)
        return high;
    return r;
}

inline int HostUserMsgId(const char *name, int payloadBytes)
{
    return Slot<HostUserMsgIdFn>(SLOT_UserMsgId)(name, payloadBytes);
}

#endif
