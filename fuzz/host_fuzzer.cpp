// host_fuzzer.cpp: a hostile host: wild clocks, player counts, tags, random answers and null entities.
//
// Input: a sequence of operations, one byte naming each, then its operands.
//   0 clock      set to any float bits (NaN, infinities, negatives), one frame
//   1 frames     count-1 (u8) frames, each 10 ms * (u8 + 1) after the last
//   2 back       the clock jumps back by u16 tenths of a second, one frame
//   3 players    *pMaxClients from a table of hostile counts, or any i8
//   4 tag        a host tag of u16 % 4097 bytes taken from the input
//   5 null tag   GetTag answers null (toggles)
//   6 answers    1 + u8 % 8 RandomLong answers (i32 each, taken as they come)
//   7 slot       slot 1 + u8 becomes empty (a null entity), client or non-client
//   8 cvar       sv_gravity or sv_maxspeed set under the module to any float
//   9 map        a map start at whatever the clock says
//  10 force      the admin in slot 1 sends "say !eventtest"
//  11 null argv  CmdArgv answers null (toggles)
//  12 same time  1 + u8 % 16 frames without the clock moving
#include <climits>
#include <cstdint>

#include "harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    static const int hostileCounts[] = {0, -1, INT_MIN, 1, 16, 32, 64, 255, 256};
    static const qvsim::SlotKind kinds[] = {qvsim::SlotKind::Empty, qvsim::SlotKind::Client,
                                            qvsim::SlotKind::NonClient};

    qvfuzz::Session s;
    qvfuzz::Reader in(data, size);
    bool nullTag = false, nullArgv = false;
    while (!in.empty() && !s.spent()) {
        switch (in.u8() % 13) {
        case 0:
            s.host.setTime(in.f32());
            s.frame();
            break;
        case 1: {
            const int count = in.u8() + 1;
            const float step = static_cast<float>(in.u8() + 1) * 0.01f;
            for (int i = 0; i < count; ++i) {
                s.host.advance(step);
                s.frame();
            }
            break;
        }
        case 2:
            s.host.advance(-static_cast<float>(in.u16()) * 0.1f);
            s.frame();
            break;
        case 3: {
            const std::uint8_t pick = in.u8();
            s.host.setMaxClients(pick < 128 ? hostileCounts[pick % 9] : static_cast<std::int8_t>(in.u8()));
            break;
        }
        case 4: {
            const std::size_t len = in.u16() % 4097;
            s.host.setTag(in.bytes(len));
            break;
        }
        case 5:
            s.host.setNullTag(nullTag = !nullTag);
            break;
        case 6: {
            const int count = 1 + in.u8() % 8;
            for (int i = 0; i < count; ++i) s.host.scriptRandom(in.i32());
            break;
        }
        case 7: {
            const int slot = 1 + in.u8();
            s.host.setSlot(slot, kinds[in.u8() % 3]);
            break;
        }
        case 8: {
            const char *name = in.u8() % 2 ? "sv_maxspeed" : "sv_gravity";
            s.host.setCvar(name, in.f32());
            break;
        }
        case 9:
            s.mapStart();
            break;
        case 10:
            s.host.setCommand({"say", "!eventtest"});
            s.command(1);
            break;
        case 11:
            s.host.setNullArgv(nullArgv = !nullArgv);
            break;
        case 12: {
            const int count = 1 + in.u8() % 16;
            for (int i = 0; i < count; ++i) s.frame();
            break;
        }
        }
    }
    s.finish();
    return 0;
}
