// misaligned_stack_test.cpp: every i386 entry point works when the server calls it with a stack off 16-byte alignment.
//
// The module is loaded by path with a fake host: the slot array filled with
// small recording functions.  Each host function checks that a 16-byte
// aligned local really lands on a 16-byte boundary, which is what SSE code in
// a host built by a current compiler assumes (movaps on such a local faults
// otherwise).  A control entry point built here without realignment shows
// that the trampoline does misalign the stack and that the check sees it.
#include <dlfcn.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "host_abi.h"

#if !defined(__i386__)
#error "the misaligned-stack test is for the 32-bit x86 build"
#endif

// Calls fn(a0, a1, a2) with esp at `skew` bytes past a 16-byte boundary at the
// call instruction (the i386 ABI wants 0 there).  cdecl: extra arguments are
// harmless to a callee that takes fewer.
extern "C" int CallWithSkew(const void *fn, int skew, std::uintptr_t a0, std::uintptr_t a1, std::uintptr_t a2);
asm(R"(
    .text
    .globl CallWithSkew
    .type CallWithSkew, @function
CallWithSkew:
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    movl 8(%ebp), %eax
    movl 12(%ebp), %ecx
    andl $-16, %esp
    subl $32, %esp
    addl %ecx, %esp
    movl 16(%ebp), %edx
    movl %edx, 0(%esp)
    movl 20(%ebp), %edx
    movl %edx, 4(%esp)
    movl 24(%ebp), %edx
    movl %edx, 8(%esp)
    call *%eax
    leal -12(%ebp), %esp
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret
    .size CallWithSkew, .-CallWithSkew
)");

namespace {

int hostCalls;
int misalignedHostCalls;
std::string firstMisaligned;

// Inlined into every host function, so it sees that function's own frame.
#define NOTE_HOST_CALL(name)                                                    \
    do {                                                                        \
        alignas(16) volatile unsigned char probe[16];                           \
        std::uintptr_t at = reinterpret_cast<std::uintptr_t>(probe);            \
        asm("" : "+r"(at)); /* the compiler may not assume the alignment */    \
        ++hostCalls;                                                            \
        if (at % 16 != 0 && misalignedHostCalls++ == 0)                         \
            firstMisaligned = name;                                             \
        probe[0] = 0;                                                           \
    } while (0)

float serverTime;
int maxClients = 2;
int players[3];
int itemsGiven;
const char *commandWords[2] = {"say", "!eventtest"};

EntityHandle Player(int n) { return reinterpret_cast<EntityHandle>(&players[n]); }

const char *GetTag() { NOTE_HOST_CALL("GetTag"); return "QV"; }
const char *CmdArgv(int n) { NOTE_HOST_CALL("CmdArgv"); return n >= 0 && n < 2 ? commandWords[n] : ""; }
int EntIndex(EntityHandle e)
{
    NOTE_HOST_CALL("EntIndex");
    return static_cast<int>(reinterpret_cast<int *>(e) - players);
}
EntityHandle EntByIndex(int n) { NOTE_HOST_CALL("EntByIndex"); return n >= 1 && n <= maxClients ? Player(n) : nullptr; }
void ClientPrint(EntityHandle, int, const char *) { NOTE_HOST_CALL("ClientPrint"); }
float CvarGetFloat(const char *) { NOTE_HOST_CALL("CvarGetFloat"); return 800.0f; }
void CvarSetFloat(const char *, float) { NOTE_HOST_CALL("CvarSetFloat"); }
int IsClient(EntityHandle) { NOTE_HOST_CALL("IsClient"); return 1; }
int HasAccess(EntityHandle, int) { NOTE_HOST_CALL("HasAccess"); return 1; }
void GiveItem(EntityHandle, const char *) { NOTE_HOST_CALL("GiveItem"); ++itemsGiven; }
void RunCommand(const char *) { NOTE_HOST_CALL("RunCommand"); }
void MessageBegin(int, int, const float *, EntityHandle) { NOTE_HOST_CALL("MessageBegin"); }
void MessageEnd() { NOTE_HOST_CALL("MessageEnd"); }
void WriteByte(int) { NOTE_HOST_CALL("WriteByte"); }
void WriteShort(int) { NOTE_HOST_CALL("WriteShort"); }
void WriteString(const char *) { NOTE_HOST_CALL("WriteString"); }
int PrecacheModel(const char *) { NOTE_HOST_CALL("PrecacheModel"); return 7; }
int RandomLong(int low, int) { NOTE_HOST_CALL("RandomLong"); return low; }
int UserMsgId(const char *, int) { NOTE_HOST_CALL("UserMsgId"); return 100; }

void *table[HOST_SLOT_COUNT];

template <typename Fn> void Fill(int slot, Fn fn) { table[slot] = reinterpret_cast<void *>(fn); }

void FillTable()
{
    table[SLOT_pTime] = &serverTime;
    table[SLOT_pMaxClients] = &maxClients;
    Fill(SLOT_GetTag, GetTag);
    Fill(SLOT_CmdArgv, CmdArgv);
    Fill(SLOT_EntIndex, EntIndex);
    Fill(SLOT_EntByIndex, EntByIndex);
    Fill(SLOT_ClientPrint, ClientPrint);
    Fill(SLOT_CvarGetFloat, CvarGetFloat);
    Fill(SLOT_CvarSetFloat, CvarSetFloat);
    Fill(SLOT_IsClient, IsClient);
    Fill(SLOT_HasAccess, HasAccess);
    Fill(SLOT_GiveItem, GiveItem);
    Fill(SLOT_RunCommand, RunCommand);
    Fill(SLOT_MessageBegin, MessageBegin);
    Fill(SLOT_MessageEnd, MessageEnd);
    Fill(SLOT_WriteByte, WriteByte);
    Fill(SLOT_WriteShort, WriteShort);
    Fill(SLOT_WriteString, WriteString);
    Fill(SLOT_PrecacheModel, PrecacheModel);
    Fill(SLOT_RandomLong, RandomLong);
    Fill(SLOT_UserMsgId, UserMsgId);
}

// Built without realignment, as a module that forgot it would be.
__attribute__((noinline)) void UnrealignedEntry() { RunCommand("control\n"); }

int failures;

void Expect(bool ok, const std::string &what)
{
    std::printf("%s: %s\n", ok ? "ok" : "FAIL", what.c_str());
    if (!ok)
        ++failures;
}

struct Call {
    int hostCalls;
    int misaligned;
    int result;
};

Call CallSkewed(const void *fn, int skew, std::uintptr_t a0 = 0, std::uintptr_t a1 = 0, std::uintptr_t a2 = 0)
{
    hostCalls = misalignedHostCalls = 0;
    firstMisaligned.clear();
    int result = CallWithSkew(fn, skew, a0, a1, a2);
    return {hostCalls, misalignedHostCalls, result};
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s MODULE\n", argv[0]);
        return 2;
    }
    void *module = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        std::printf("FAIL: dlopen: %s\n", dlerror());
        return 1;
    }
    const char *names[] = {QV_EXPORT_DFGiveFuncs, QV_EXPORT_GameDLLInit, QV_EXPORT_MapInit,
                           QV_EXPORT_Think, QV_EXPORT_ClientConnect, QV_EXPORT_ClientCommand};
    void *entry[6];
    for (int i = 0; i < 6; ++i) {
        entry[i] = dlsym(module, names[i]);
        if (!entry[i]) {
            std::printf("FAIL: no export %s\n", names[i]);
            return 1;
        }
    }
    FillTable();

    // The trampoline and the check, without the module: a skewed call into
    // code that does not realign reaches the host misaligned.
    {
        Call aligned = CallSkewed(reinterpret_cast<const void *>(UnrealignedEntry), 0);
        Expect(aligned.hostCalls == 1 && aligned.misaligned == 0, "control: aligned call reaches the host aligned");
        for (int skew : {4, 8, 12}) {
            Call c = CallSkewed(reinterpret_cast<const void *>(UnrealignedEntry), skew);
            Expect(c.hostCalls == 1 && c.misaligned == 1,
                   "control: call skewed by " + std::to_string(skew) + " reaches the host misaligned");
        }
    }

    for (int skew : {4, 8, 12}) {
        const std::string at = " (stack skewed by " + std::to_string(skew) + ")";
        auto aligned = [&](const Call &c, const char *name) {
            Expect(c.misaligned == 0, std::string(name) + " calls the host on an aligned stack" + at +
                                          (c.misaligned ? ", first misaligned: " + firstMisaligned : ""));
        };
        serverTime = 0.0f;
        itemsGiven = 0;

        Call c = CallSkewed(entry[0], skew, reinterpret_cast<std::uintptr_t>(table));
        Expect(c.hostCalls == 0, "DFGiveFuncs returns without calling the host" + at);
        c = CallSkewed(entry[1], skew);
        Expect(c.hostCalls == 0, "plgGameDLLInit returns" + at);
        c = CallSkewed(entry[4], skew, 0, reinterpret_cast<std::uintptr_t>("name"), reinterpret_cast<std::uintptr_t>("addr"));
        Expect(c.result == 0 && c.hostCalls == 0, "plgClientConnect returns 0" + at);

        c = CallSkewed(entry[2], skew);
        Expect(c.hostCalls >= 2, "plgMapInit precaches and schedules" + at);
        aligned(c, "plgMapInit");

        // RandomLong gives its low bound: the first event is low gravity at 300 s.
        serverTime = 300.0f;
        c = CallSkewed(entry[3], skew);
        Expect(c.hostCalls > 2, "plgThink starts an event" + at);
        aligned(c, "plgThink");

        c = CallSkewed(entry[5], skew, reinterpret_cast<std::uintptr_t>(Player(1)));
        Expect(c.result == 0 && itemsGiven == maxClients, "plgClientCommand forces the random weapon for every player" + at);
        aligned(c, "plgClientCommand");
    }

    dlclose(module);
    std::printf("%s\n", failures ? "FAILED" : "PASS");
    return failures ? 1 : 0;
}
