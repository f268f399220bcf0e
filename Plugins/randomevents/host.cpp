/* host.cpp: the one place that turns raw table slots into typed host calls. */
#include "host.h"

static void **hostFuncs;

void HostAttach(void **table) { hostFuncs = table; }

int HostAttached(void) { return hostFuncs != 0; }

/* Casting an object pointer to a function pointer is what a slot table is;
 * every such cast in the module happens here. */
template <typename Fn> static inline Fn Slot(int slot)
{
    return reinterpret_cast<Fn>(hostFuncs[slot]);
}

float HostTime(void)
{
    const float *t = static_cast<const float *>(hostFuncs[SLOT_pTime]);
    return t ? *t : 0.0f;
}

int HostMaxClients(void)
{
    const int *n = static_cast<const int *>(hostFuncs[SLOT_pMaxClients]);
    return n ? *n : 0;
}

const char *HostGetTag(void) { return Slot<HostGetTagFn>(SLOT_GetTag)(); }

const char *HostCmdArgv(int n) { return Slot<HostCmdArgvFn>(SLOT_CmdArgv)(n); }

int HostEntIndex(EntityHandle entity) { return Slot<HostEntIndexFn>(SLOT_EntIndex)(entity); }

EntityHandle HostEntByIndex(int n) { return Slot<HostEntByIndexFn>(SLOT_EntByIndex)(n); }

void HostClientPrint(EntityHandle entity, int where, const char *text)
{
    Slot<HostClientPrintFn>(SLOT_ClientPrint)(entity, where, text);
}

float HostCvarGetFloat(const char *name) { return Slot<HostCvarGetFloatFn>(SLOT_CvarGetFloat)(name); }

void HostCvarSetFloat(const char *name, float value)
{
    Slot<HostCvarSetFloatFn>(SLOT_CvarSetFloat)(name, value);
}

int HostIsClient(EntityHandle entity) { return Slot<HostIsClientFn>(SLOT_IsClient)(entity); }

int HostHasAccess(EntityHandle entity, int level)
{
    return Slot<HostHasAccessFn>(SLOT_HasAccess)(entity, level);
}

void HostGiveItem(EntityHandle entity, const char *className)
{
    Slot<HostGiveItemFn>(SLOT_GiveItem)(entity, className);
}

void HostRunCommand(const char *line) { Slot<HostRunCommandFn>(SLOT_RunCommand)(line); }

void HostMessageBegin(int dest, int type, const float *origin, EntityHandle entity)
{
    Slot<HostMessageBeginFn>(SLOT_MessageBegin)(dest, type, origin, entity);
}

void HostMessageEnd(void) { Slot<HostMessageEndFn>(SLOT_MessageEnd)(); }

void HostWriteByte(int value) { Slot<HostWriteByteFn>(SLOT_WriteByte)(value); }

void HostWriteShort(int value) { Slot<HostWriteShortFn>(SLOT_WriteShort)(value); }

void HostWriteString(const char *text) { Slot<HostWriteStringFn>(SLOT_WriteString)(text); }

int HostPrecacheModel(const char *path) { return Slot<HostPrecacheModelFn>(SLOT_PrecacheModel)(path); }

int HostRandomLong(int low, int high)
{
    int r = Slot<HostRandomLongFn>(SLOT_RandomLong)(low, high);
    if (r < low)
        return low;
    if (r > high)
        return high;
    return r;
}

int HostUserMsgId(const char *name, int payloadBytes)
{
    return Slot<HostUserMsgIdFn>(SLOT_UserMsgId)(name, payloadBytes);
}
