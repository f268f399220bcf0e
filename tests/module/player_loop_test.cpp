// player_loop_test.cpp: the per-player loops against a host that claims every int as a slot.
#include <gtest/gtest.h>

#include <climits>

#include "events.h"
#include "host.h"
#include "plugin.h"

int beamSprite;  // the module's, defined by its entry points file

namespace {

float clock = 0.0f;
int maxClients = INT_MAX;
long long visits = 0;
int lastSlot = 0;
int messages = 0;

EntityHandle EntByIndex(int n)
{
    visits++;
    lastSlot = n;
    return nullptr;  // every slot empty: only the loop itself runs
}
void MessageBegin(int, int, const float *, EntityHandle) { messages++; }
void Ignore() {}
void IgnoreInt(int) {}
void IgnoreText(const char *) {}
int UserMsgId(const char *, int) { return 64; }

// A recording table with just what the two events below call.
void **Table()
{
    static void *slots[HOST_SLOT_COUNT] = {};
    slots[SLOT_pTime] = &clock;
    slots[SLOT_pMaxClients] = &maxClients;
    slots[SLOT_EntByIndex] = reinterpret_cast<void *>(&EntByIndex);
    slots[SLOT_MessageBegin] = reinterpret_cast<void *>(&MessageBegin);
    slots[SLOT_MessageEnd] = reinterpret_cast<void *>(&Ignore);
    slots[SLOT_WriteByte] = reinterpret_cast<void *>(&IgnoreInt);
    slots[SLOT_WriteShort] = reinterpret_cast<void *>(&IgnoreInt);
    slots[SLOT_WriteString] = reinterpret_cast<void *>(&IgnoreText);
    slots[SLOT_UserMsgId] = reinterpret_cast<void *>(&UserMsgId);
    return slots;
}

// Both loops visit 1..INT_MAX once each and stop, with no signed overflow
// on the way (the sanitizer build turns one into a failure).
TEST(PlayerLoops, AHostClaimingIntMaxSlotsIsWalkedToTheEndWithoutOverflow)
{
    HostAttach(Table());
    for (void (*action)(void) : {TrailsEnd, ColoredViewEnd}) {
        visits = 0;
        messages = 0;
        action();
        EXPECT_EQ(visits, static_cast<long long>(INT_MAX));
        EXPECT_EQ(lastSlot, INT_MAX);
        EXPECT_EQ(messages, 1);  // the announcement; no slot was filled
    }
    HostAttach(nullptr);
}

}  // namespace
