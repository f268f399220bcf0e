// table_calls.h: calls a host table's slots the way a module does, for the tests.
#ifndef QVSIM_TESTS_TABLE_CALLS_H
#define QVSIM_TESTS_TABLE_CALLS_H

#include "host_abi.h"

struct TableCalls {
    void **t;

    template <typename Fn>
    Fn at(int n) const {
        return reinterpret_cast<Fn>(t[n]);
    }

    float time() const { return *static_cast<float *>(t[SLOT_pTime]); }
    int maxClients() const { return *static_cast<int *>(t[SLOT_pMaxClients]); }
    const char *getTag() const { return at<HostGetTagFn>(SLOT_GetTag)(); }
    const char *cmdArgv(int n) const { return at<HostCmdArgvFn>(SLOT_CmdArgv)(n); }
    int entIndex(EntityHandle e) const { return at<HostEntIndexFn>(SLOT_EntIndex)(e); }
    EntityHandle entByIndex(int n) const { return at<HostEntByIndexFn>(SLOT_EntByIndex)(n); }
    void clientPrint(EntityHandle e, int where, const char *text) const {
        at<HostClientPrintFn>(SLOT_ClientPrint)(e, where, text);
    }
    float cvarGet(const char *name) const { return at<HostCvarGetFloatFn>(SLOT_CvarGetFloat)(name); }
    void cvarSet(const char *name, float v) const { at<HostCvarSetFloatFn>(SLOT_CvarSetFloat)(name, v); }
    int isClient(EntityHandle e) const { return at<HostIsClientFn>(SLOT_IsClient)(e); }
    int hasAccess(EntityHandle e) const { return at<HostHasAccessFn>(SLOT_HasAccess)(e, 0); }
    void giveItem(EntityHandle e, const char *cls) const { at<HostGiveItemFn>(SLOT_GiveItem)(e, cls); }
    void runCommand(const char *line) const { at<HostRunCommandFn>(SLOT_RunCommand)(line); }
    void begin(int dest, int type, EntityHandle e = nullptr, const float *origin = nullptr) const {
        at<HostMessageBeginFn>(SLOT_MessageBegin)(dest, type, origin, e);
    }
    void end() const { at<HostMessageEndFn>(SLOT_MessageEnd)(); }
    void byte(int v) const { at<HostWriteByteFn>(SLOT_WriteByte)(v); }
    void shortv(int v) const { at<HostWriteShortFn>(SLOT_WriteShort)(v); }
    void string(const char *s) const { at<HostWriteStringFn>(SLOT_WriteString)(s); }
    int precache(const char *path) const { return at<HostPrecacheModelFn>(SLOT_PrecacheModel)(path); }
    int randomLong(int low, int high) const { return at<HostRandomLongFn>(SLOT_RandomLong)(low, high); }
    int userMsgId(const char *name, int size) const { return at<HostUserMsgIdFn>(SLOT_UserMsgId)(name, size); }
};

#endif
