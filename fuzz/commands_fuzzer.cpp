// commands_fuzzer.cpp: any client command, any access answer, interleaved with frames and map starts.
//
// Input: a sequence of operations, one byte naming each, then its operands.
//   0 frames   count-1 (u8), step in 10 ms units - 1 (u8)
//   1 leap     the clock moves on by u16 tenths of a second, then one frame
//   2 command  slot (u8 % 18; 0 is a null entity, 17 an empty slot), access
//              answer (i32), word count (u8 % 16), each word: length (u8;
//              255 means a u16 length up to 4096 follows) and its bytes
//   3 map      a map start at time 0
//   4 player   slot 1 + u8 % 16 becomes empty, a client or a non-client
// Besides the invariants, every command is judged against the test
// command's rule: "say" and "!eventtest" in any letter case as words 0 and
// 1, and a nonzero access answer, force the random weapon; word 1 is read
// only once word 0 matched, and access asked only once both did.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "harness.h"

namespace {

int accessAnswer = 0;
int accessCalls = 0;

int FuzzHasAccess(EntityHandle, int) {
    ++accessCalls;
    return accessAnswer;
}

// The module sees each word up to its first NUL.
bool sameWord(const std::string &word, const char *expected) {
    const char *w = word.c_str();
    for (;; ++w, ++expected) {
        char a = *w, b = *expected;
        if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
        if (a != b) return false;
        if (a == 0) return true;
    }
}

[[noreturn]] void wrong(const char *what) {
    std::fprintf(stderr, "fuzz: test command rule broken: %s\n", what);
    std::abort();
}

void command(qvfuzz::Session &s, qvfuzz::Reader &in) {
    const int slot = in.u8() % 18;
    accessAnswer = in.i32();
    const int count = in.u8() % 16;
    std::vector<std::string> words;
    for (int i = 0; i < count; ++i) {
        std::size_t len = in.u8();
        if (len == 255) len = in.u16() % 4097;
        words.push_back(in.bytes(len));
    }
    const std::string none;
    const bool word0 = sameWord(words.empty() ? none : words[0], "say");
    const bool word1 = word0 && sameWord(words.size() < 2 ? none : words[1], "!eventtest");
    const bool forces = word1 && accessAnswer != 0;

    s.host.setCommand(std::move(words));
    const int argvBefore = s.host.argvCalls();
    const auto forcedBefore = s.check.stats().forced;
    accessCalls = 0;
    s.command(slot);
    if (s.host.argvCalls() - argvBefore != (word0 ? 2 : 1)) wrong("words read beyond the rule");
    if (accessCalls != (word1 ? 1 : 0)) wrong("access asked when the words did not match, or not asked");
    if (s.check.stats().forced - forcedBefore != (forces ? 1u : 0u)) wrong("forced start does not follow the rule");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    qvfuzz::Session s;
    s.host.table()[SLOT_HasAccess] = reinterpret_cast<void *>(&FuzzHasAccess);
    qvfuzz::Reader in(data, size);
    double now = 0;
    while (!in.empty() && !s.spent()) {
        switch (in.u8() % 5) {
        case 0: {
            const int count = in.u8() + 1;
            const double step = (in.u8() + 1) * 0.01;
            for (int i = 0; i < count; ++i) {
                now += step;
                s.host.setTime(static_cast<float>(now));
                s.frame();
            }
            break;
        }
        case 1:
            now += in.u16() * 0.1;
            s.host.setTime(static_cast<float>(now));
            s.frame();
            break;
        case 2:
            command(s, in);
            break;
        case 3:
            now = 0;
            s.host.setTime(0.0f);
            s.mapStart();
            break;
        case 4: {
            static const qvsim::SlotKind kinds[] = {qvsim::SlotKind::Empty, qvsim::SlotKind::Client,
                                                    qvsim::SlotKind::NonClient};
            const int slot = 1 + in.u8() % 16;
            s.host.setSlot(slot, kinds[in.u8() % 3]);
            break;
        }
        }
    }
    s.finish();
    return 0;
}
