// messages_test.cpp: the exact bytes of every message kind the module sends.
#include <functional>

#include "fixture.h"

namespace {

struct WireCase {
    const char *label;
    std::function<void(ModuleTest &)> run;  // brings the module to send it
    const char *kind;                        // decoded kind of the message checked
    int dest;
    std::function<int(const ModuleTest &)> type;
    int entity;  // target slot, 0 for none
    Bytes payload;
};

int TempEntity(const ModuleTest &) { return SVC_TEMPENTITY; }
int UserMsg(const ModuleTest &t, const char *name) { return t.host.userMsgs().at(name).id; }

Bytes Text(const std::string &s)
{
    Bytes b(s.begin(), s.end());
    b.push_back(0);
    return b;
}

Bytes Concat(Bytes a, const Bytes &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Everything of an announcement before its text.
const Bytes kAnnounceHead = {
    29, 255,               // TE_TEXTMESSAGE, channel
    0x00, 0x00,            // x 0
    0x33, 0x13,            // y 0.6 * 8192 = 4915, truncated
    2,                     // write-out
    255, 255, 0, 50,       // yellow
    0, 255, 255, 50,       // cyan
    0x02, 0x00,            // fade-in 0.01 * 256 = 2.56, truncated
    0x00, 0x02,            // fade-out 512
    0x00, 0x02,            // hold 512
    0x00, 0x04,            // effect time 1024
};

class Wire : public ModuleTest, public ::testing::WithParamInterface<WireCase> {};

TEST_P(Wire, PayloadIsExactlyTheBytesClientsRead)
{
    const WireCase &c = GetParam();
    c.run(*this);
    const qvsim::Message *found = nullptr;
    for (const auto &m : host.messages())
        if (qvsim::decode(m, host).kind == c.kind) {
            found = &m;
            break;
        }
    ASSERT_NE(found, nullptr) << "no " << c.kind << " sent";
    EXPECT_EQ(found->dest, c.dest);
    EXPECT_EQ(found->type, c.type(*this));
    EXPECT_EQ(found->entity, c.entity);
    EXPECT_FALSE(found->hasOrigin);
    EXPECT_EQ(qvsim::toHex(found->payload), qvsim::toHex(c.payload));
    expectNoFramingErrors();
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, Wire,
    ::testing::Values(
        WireCase{"announce",
                 [](ModuleTest &t) { t.startByClock(1); },
                 "TE_TEXTMESSAGE", MSG_ALL, TempEntity, 0,
                 Concat(kAnnounceHead, Text("Random event: Low grav"))},
        WireCase{"shake_clamped",
                 [](ModuleTest &t) { t.startByClock(3); },
                 "ScreenShake", MSG_ALL,
                 [](const ModuleTest &t) { return UserMsg(t, "ScreenShake"); }, 0,
                 // amplitude and duration clamp to 65535; frequency 100 * 256
                 {0xff, 0xff, 0xff, 0xff, 0x00, 0x64}},
        WireCase{"fade_tint",
                 [](ModuleTest &t) {
                     t.host.scriptRandom({300, 4, 6});  // colored view, magenta
                     t.mapStart();
                     t.frame(300.0f);
                 },
                 "ScreenFade", MSG_ONE,
                 [](const ModuleTest &t) { return UserMsg(t, "ScreenFade"); }, 1,
                 // 3 s, 0.5 s, out + modulate + stay out, magenta at 255
                 {0x00, 0x30, 0x00, 0x08, 0x07, 0x00, 255, 0, 255, 255}},
        WireCase{"fade_clear",
                 [](ModuleTest &t) {
                     t.host.scriptRandom({300, 4, 1});
                     t.mapStart();
                     t.frame(300.0f);
                     t.host.clearRecords();
                     t.frame(320.0f);
                 },
                 "ScreenFade", MSG_ONE,
                 [](const ModuleTest &t) { return UserMsg(t, "ScreenFade"); }, 1,
                 {0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0, 0, 0, 0}},
        WireCase{"beam_follow",
                 [](ModuleTest &t) {
                     t.host.scriptRandom({300, 2, 0x12, 0x34, 0x56});
                     t.mapStart();
                     t.frame(300.0f);
                 },
                 "TE_BEAMFOLLOW", MSG_ALL, TempEntity, 0,
                 // entity 1, sprite 1 (the first model precached), life 150, width 10
                 {22, 0x01, 0x00, 0x01, 0x00, 150, 10, 0x12, 0x34, 0x56, 200}},
        WireCase{"kill_beam",
                 [](ModuleTest &t) {
                     t.startByClock(2);
                     t.host.clearRecords();
                     t.frame(310.0f);
                 },
                 "TE_KILLBEAM", MSG_ALL, TempEntity, 0, {99, 0x01, 0x00}}),
    [](const ::testing::TestParamInfo<WireCase> &i) { return std::string(i.param.label); });

// Each user message asks for its id at every send, with its payload size:
// nothing is cached.
TEST_F(ModuleTest, UserMessageIdsAreAskedAtEverySendWithTheirSize)
{
    for (int n : {3, 4}) {  // earthquake, colored view
        host.scriptRandom({300, n});
        mapStart();
        runTo(330.0, 0.5);
    }
    std::size_t userMessages = 0;
    for (const auto &m : host.messages())
        if (m.type != SVC_TEMPENTITY)
            userMessages++;
    EXPECT_EQ(userMessages, 1u + 2u * 12u);  // one shake; two fades to each client
    ASSERT_EQ(host.userMsgIdCalls().size(), userMessages);
    for (const auto &c : host.userMsgIdCalls())
        EXPECT_EQ(c.size, host.userMsgs().at(c.name).size) << c.name;
    expectNoFramingErrors();
}

TEST_F(ModuleTest, EveryAnnouncementIsOneBroadcastWithTheSameHead)
{
    // Every event's start and end texts, each event started by the clock.
    for (int n = 1; n <= 6; n++) {
        host.scriptRandom({300, n});
        mapStart();
        runTo(330.0, 0.5);
    }
    auto texts = announcements();
    EXPECT_EQ(texts.size(), 11u);  // the random weapon has no end text
    for (const auto &m : host.messages()) {
        if (m.type != SVC_TEMPENTITY || m.payload.empty() || m.payload[0] != TE_TEXTMESSAGE)
            continue;
        EXPECT_EQ(m.dest, MSG_ALL);
        ASSERT_GT(m.payload.size(), kAnnounceHead.size());
        EXPECT_EQ(Bytes(m.payload.begin(), m.payload.begin() + kAnnounceHead.size()), kAnnounceHead);
    }
    expectNoFramingErrors();
}

}  // namespace
