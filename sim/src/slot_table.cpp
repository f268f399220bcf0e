// slot_table.cpp: the C functions behind the host slots, and the one place that casts them into the table.
#include "slot_table.h"

#include <utility>

#include "qvsim/sim_host.h"

namespace qvsim {

namespace {
SimHost *current = nullptr;
}

void setInstalledHost(SimHost *host) { current = host; }
SimHost *installedHost() { return current; }

// Each function forwards to the installed host, or answers a harmless
// default when there is none.
struct SlotFunctions {
    static const char *GetTag() { return current ? current->onGetTag() : ""; }
    static const char *CmdArgv(int n) { return current ? current->onCmdArgv(n) : ""; }
    static int EntIndex(EntityHandle e) { return current ? current->slotOf(e) : 0; }
    static EntityHandle EntByIndex(int n) { return current ? current->entity(n) : nullptr; }
    static void ClientPrint(EntityHandle e, int where, const char *text) {
        if (current) current->onClientPrint(e, where, text);
    }
    static float CvarGetFloat(const char *name) {
        return current && name ? current->cvar(name) : 0.0f;
    }
    static void CvarSetFloat(const char *name, float value) {
        if (current) current->onCvarSet(name, value);
    }
    static int IsClient(EntityHandle e) {
        return current && current->slot(current->slotOf(e)) == SlotKind::Client;
    }
    static int HasAccess(EntityHandle e, int level) { return current ? current->onHasAccess(e, level) : 0; }
    static void GiveItem(EntityHandle e, const char *className) {
        if (current) current->onGiveItem(e, className);
    }
    static void RunCommand(const char *line) {
        if (current) current->onRunCommand(line);
    }
    static void MessageBegin(int dest, int type, const float *origin, EntityHandle e) {
        if (current) current->onMessageBegin(dest, type, origin, e);
    }
    static void MessageEnd() {
        if (current) current->onMessageEnd();
    }
    static void WriteByte(int value) {
        if (current) current->onWriteByte(value);
    }
    static void WriteShort(int value) {
        if (current) current->onWriteShort(value);
    }
    static void WriteString(const char *text) {
        if (current) current->onWriteString(text);
    }
    static int PrecacheModel(const char *path) { return current ? current->onPrecacheModel(path) : 0; }
    static int RandomLong(int low, int high) { return current ? current->onRandomLong(low, high) : low; }
    static int UserMsgId(const char *name, int size) { return current ? current->onUserMsgId(name, size) : 0; }

    // Slots this host does not provide: noted instead of crashing the
    // module on a wrong slot number.
    template <int N>
    static void Stray() {
        if (current) current->onStrayCall(N);
    }
};

namespace {

template <typename Fn>
void *asSlot(Fn fn) {
    return reinterpret_cast<void *>(fn);
}

template <int... N>
void fillStrays(void **slots, std::integer_sequence<int, N...>) {
    ((slots[N] = asSlot(&SlotFunctions::Stray<N>)), ...);
}

struct Provided {
    int slot;
    void *fn;
};

}  // namespace

void fillSlotTable(void **slots, float *time, int *maxClients) {
    // Each function is converted through the typedef of its slot, so a
    // signature that drifts from the ABI fails to compile.  Built here, not
    // at namespace scope, so a host made during static initialisation still
    // gets a full table.
    static const Provided provided[] = {
        {SLOT_GetTag, asSlot<HostGetTagFn>(&SlotFunctions::GetTag)},
        {SLOT_CmdArgv, asSlot<HostCmdArgvFn>(&SlotFunctions::CmdArgv)},
        {SLOT_EntIndex, asSlot<HostEntIndexFn>(&SlotFunctions::EntIndex)},
        {SLOT_EntByIndex, asSlot<HostEntByIndexFn>(&SlotFunctions::EntByIndex)},
        {SLOT_ClientPrint, asSlot<HostClientPrintFn>(&SlotFunctions::ClientPrint)},
        {SLOT_CvarGetFloat, asSlot<HostCvarGetFloatFn>(&SlotFunctions::CvarGetFloat)},
        {SLOT_CvarSetFloat, asSlot<HostCvarSetFloatFn>(&SlotFunctions::CvarSetFloat)},
        {SLOT_IsClient, asSlot<HostIsClientFn>(&SlotFunctions::IsClient)},
        {SLOT_HasAccess, asSlot<HostHasAccessFn>(&SlotFunctions::HasAccess)},
        {SLOT_GiveItem, asSlot<HostGiveItemFn>(&SlotFunctions::GiveItem)},
        {SLOT_RunCommand, asSlot<HostRunCommandFn>(&SlotFunctions::RunCommand)},
        {SLOT_MessageBegin, asSlot<HostMessageBeginFn>(&SlotFunctions::MessageBegin)},
        {SLOT_MessageEnd, asSlot<HostMessageEndFn>(&SlotFunctions::MessageEnd)},
        {SLOT_WriteByte, asSlot<HostWriteByteFn>(&SlotFunctions::WriteByte)},
        {SLOT_WriteShort, asSlot<HostWriteShortFn>(&SlotFunctions::WriteShort)},
        {SLOT_WriteString, asSlot<HostWriteStringFn>(&SlotFunctions::WriteString)},
        {SLOT_PrecacheModel, asSlot<HostPrecacheModelFn>(&SlotFunctions::PrecacheModel)},
        {SLOT_RandomLong, asSlot<HostRandomLongFn>(&SlotFunctions::RandomLong)},
        {SLOT_UserMsgId, asSlot<HostUserMsgIdFn>(&SlotFunctions::UserMsgId)},
    };

    fillStrays(slots, std::make_integer_sequence<int, HOST_SLOT_COUNT>{});
    slots[SLOT_pTime] = time;
    slots[SLOT_pMaxClients] = maxClients;
    for (const Provided &p : provided) slots[p.slot] = p.fn;
}

}  // namespace qvsim
