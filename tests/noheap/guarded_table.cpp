// guarded_table.cpp: one forwarding function per host service, each run under Where::InHost.
#include "guarded_table.h"

#include "host_abi.h"

namespace noheap {

namespace {

void *hostSlots[HOST_SLOT_COUNT];
void *guardedSlots[HOST_SLOT_COUNT];

template <int Slot, typename Fn>
struct Forward;

template <int Slot, typename R, typename... A>
struct Forward<Slot, R (*)(A...)> {
    static R call(A... args) {
        struct Scope {
            Where saved = where();
            Scope() { setWhere(Where::InHost); }
            ~Scope() { setWhere(saved); }
        } scope;
        return reinterpret_cast<R (*)(A...)>(hostSlots[Slot])(args...);
    }
};

template <int Slot, typename Fn>
void guard() {
    guardedSlots[Slot] = reinterpret_cast<void *>(&Forward<Slot, Fn>::call);
}

}  // namespace

void **guardTable(void **hostTable) {
    for (int i = 0; i < HOST_SLOT_COUNT; ++i) hostSlots[i] = guardedSlots[i] = hostTable[i];
    // The data slots (clock, player count) are shared as they are.
    guard<SLOT_GetTag, HostGetTagFn>();
    guard<SLOT_CmdArgv, HostCmdArgvFn>();
    guard<SLOT_EntIndex, HostEntIndexFn>();
    guard<SLOT_EntByIndex, HostEntByIndexFn>();
    guard<SLOT_ClientPrint, HostClientPrintFn>();
    guard<SLOT_CvarGetFloat, HostCvarGetFloatFn>();
    guard<SLOT_CvarSetFloat, HostCvarSetFloatFn>();
    guard<SLOT_IsClient, HostIsClientFn>();
    guard<SLOT_HasAccess, HostHasAccessFn>();
    guard<SLOT_GiveItem, HostGiveItemFn>();
    guard<SLOT_RunCommand, HostRunCommandFn>();
    guard<SLOT_MessageBegin, HostMessageBeginFn>();
    guard<SLOT_MessageEnd, HostMessageEndFn>();
    guard<SLOT_WriteByte, HostWriteByteFn>();
    guard<SLOT_WriteShort, HostWriteShortFn>();
    guard<SLOT_WriteString, HostWriteStringFn>();
    guard<SLOT_PrecacheModel, HostPrecacheModelFn>();
    guard<SLOT_RandomLong, HostRandomLongFn>();
    guard<SLOT_UserMsgId, HostUserMsgIdFn>();
    return guardedSlots;
}

}  // namespace noheap
