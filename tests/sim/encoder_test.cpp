// encoder_test.cpp: wire bytes of recorded messages and the framing faults a real server refuses.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "qvsim/sim_host.h"
#include "table_calls.h"

using qvsim::Effect;
using qvsim::Message;
using qvsim::SimHost;
using qvsim::SlotKind;

namespace {

using Bytes = std::vector<std::uint8_t>;

struct EncoderTest : ::testing::Test {
    SimHost host{16, 1};
    TableCalls calls{host.table()};
    void SetUp() override {
        host.install();
        host.setSlot(3, SlotKind::Client);
        host.setSlot(20, SlotKind::Client);  // beyond maxClients 16
    }
};

TEST_F(EncoderTest, WritesBecomeWireBytes) {
    host.setTime(42.5f);
    calls.begin(MSG_ALL, SVC_TEMPENTITY);
    EXPECT_TRUE(host.messageOpen());
    calls.byte(29);
    calls.byte(-1);
    calls.byte(0x1234);
    calls.shortv(0x1234);
    calls.shortv(-2);
    calls.shortv(0x12345);
    calls.string("ab");
    calls.string("");
    calls.string(nullptr);
    EXPECT_TRUE(host.messages().empty());
    calls.end();
    EXPECT_FALSE(host.messageOpen());

    ASSERT_EQ(host.messages().size(), 1u);
    const Message &m = host.messages()[0];
    EXPECT_EQ(m.payload, (Bytes{29, 0xff, 0x34, 0x34, 0x12, 0xfe, 0xff, 0x45, 0x23, 'a', 'b', 0, 0, 0}));
    EXPECT_EQ(m.dest, MSG_ALL);
    EXPECT_EQ(m.type, SVC_TEMPENTITY);
    EXPECT_EQ(m.entity, 0);
    EXPECT_FALSE(m.hasOrigin);
    EXPECT_DOUBLE_EQ(m.time, 42.5);
    EXPECT_TRUE(m.errors.empty());
    EXPECT_EQ(host.framingErrorCount(), 0u);
    ASSERT_EQ(host.effects().size(), 1u);
    EXPECT_EQ(host.effects()[0].kind, Effect::MessageSent);
}

TEST_F(EncoderTest, MessageToOnePlayerNamesItsSlot) {
    const float origin[3] = {1, 2, 3};
    calls.begin(MSG_ONE, calls.userMsgId("ScreenFade", SCREENFADE_BYTES), calls.entByIndex(3), origin);
    for (int i = 0; i < 3; ++i) calls.shortv(i);
    for (int i = 0; i < 4; ++i) calls.byte(i);
    calls.end();
    ASSERT_EQ(host.messages().size(), 1u);
    EXPECT_EQ(host.messages()[0].entity, 3);
    EXPECT_EQ(host.messages()[0].type, 65);
    EXPECT_TRUE(host.messages()[0].hasOrigin);
    EXPECT_TRUE(host.messages()[0].errors.empty());
}

// Each case drives the table, then lists the errors expected on each
// recorded message and outside any message (as substrings).
struct FramingCase {
    const char *name;
    std::function<void(const TableCalls &)> run;
    std::vector<std::vector<std::string>> messageErrors;
    std::vector<std::string> outside;
};

void writeBytes(const TableCalls &c, int n) {
    for (int i = 0; i < n; ++i) c.byte(i);
}

int foreignEntity = 0;

const std::vector<FramingCase> &framingCases() {
    static const std::vector<FramingCase> cases = {
        {"write byte with none open", [](const TableCalls &c) { c.byte(1); }, {}, {"WriteByte with no message open"}},
        {"write short with none open", [](const TableCalls &c) { c.shortv(1); }, {}, {"WriteShort with no message open"}},
        {"write string with none open", [](const TableCalls &c) { c.string("x"); }, {}, {"WriteString with no message open"}},
        {"end with none open", [](const TableCalls &c) { c.end(); }, {}, {"MessageEnd with no message open"}},
        {"end twice",
         [](const TableCalls &c) {
             c.begin(MSG_ALL, SVC_TEMPENTITY);
             c.byte(99);
             c.end();
             c.end();
         },
         {{}},
         {"MessageEnd with no message open"}},
        {"begin inside an open message",
         [](const TableCalls &c) {
             c.begin(MSG_ALL, SVC_TEMPENTITY);
             c.byte(1);
             c.begin(MSG_ALL, SVC_TEMPENTITY);
             c.byte(2);
             c.end();
         },
         {{"never ended"}, {"MessageBegin inside an open message"}},
         {}},
        {"MSG_ONE without an entity",
         [](const TableCalls &c) {
             c.begin(MSG_ONE, SVC_TEMPENTITY);
             c.end();
         },
         {{"MSG_ONE without a target entity"}},
         {}},
        {"MSG_ONE past maxClients",
         [](const TableCalls &c) {
             c.begin(MSG_ONE, SVC_TEMPENTITY, c.entByIndex(20));
             c.end();
         },
         {{"MSG_ONE to an entity that is not a player slot"}},
         {}},
        {"MSG_ONE to a foreign handle",
         [](const TableCalls &c) {
             c.begin(MSG_ONE, SVC_TEMPENTITY, reinterpret_cast<EntityHandle>(&foreignEntity));
             c.end();
         },
         {{"MSG_ONE to an entity that is not a player slot"}},
         {}},
        {"MSG_ALL with an entity",
         [](const TableCalls &c) {
             c.begin(MSG_ALL, SVC_TEMPENTITY, c.entByIndex(3));
             c.end();
         },
         {{"MSG_ALL with a target entity"}},
         {}},
        {"unknown destination",
         [](const TableCalls &c) {
             c.begin(42, SVC_TEMPENTITY);
             c.end();
         },
         {{"unknown destination 42"}},
         {}},
        {"id of an unregistered user message",
         [](const TableCalls &c) {
             c.begin(MSG_ALL, c.userMsgId("NoSuchMsg", 1));
             c.byte(1);
             c.end();
         },
         {{"message type 0"}},
         {}},
        {"user message id never handed out",
         [](const TableCalls &c) {
             c.begin(MSG_ALL, 200);
             c.end();
         },
         {{"unknown user message 200"}},
         {}},
        {"ScreenFade one byte short",
         [](const TableCalls &c) {
             c.begin(MSG_ONE, c.userMsgId("ScreenFade", SCREENFADE_BYTES), c.entByIndex(3));
             writeBytes(c, 9);
             c.end();
         },
         {{"ScreenFade carries 9 bytes but was registered with 10"}},
         {}},
        {"ScreenShake one byte long",
         [](const TableCalls &c) {
             c.begin(MSG_ALL, c.userMsgId("ScreenShake", SCREENSHAKE_BYTES));
             writeBytes(c, 7);
             c.end();
         },
         {{"ScreenShake carries 7 bytes but was registered with 6"}},
         {}},
        {"ScreenShake of its size", [](const TableCalls &c) {
             c.begin(MSG_ALL, c.userMsgId("ScreenShake", SCREENSHAKE_BYTES));
             writeBytes(c, 6);
             c.end();
         },
         {{}},
         {}},
        {"payload of 512 bytes", [](const TableCalls &c) {
             c.begin(MSG_ALL, SVC_TEMPENTITY);
             writeBytes(c, 512);
             c.end();
         },
         {{}},
         {}},
        {"payload of 513 bytes",
         [](const TableCalls &c) {
             c.begin(MSG_ALL, SVC_TEMPENTITY);
             writeBytes(c, 511);
             c.shortv(0);
             c.end();
         },
         {{"payload of 513 bytes is over the 512-byte limit"}},
         {}},
    };
    return cases;
}

TEST(EncoderFraming, EachFaultIsFlaggedWhereItHappens) {
    for (const FramingCase &fc : framingCases()) {
        SCOPED_TRACE(fc.name);
        SimHost host;
        host.install();
        host.setSlot(3, SlotKind::Client);
        host.setSlot(20, SlotKind::Client);
        fc.run(TableCalls{host.table()});

        ASSERT_EQ(host.messages().size(), fc.messageErrors.size());
        std::size_t expectedCount = fc.outside.size();
        for (std::size_t i = 0; i < fc.messageErrors.size(); ++i) {
            const auto &got = host.messages()[i].errors;
            const auto &want = fc.messageErrors[i];
            ASSERT_EQ(got.size(), want.size()) << "message " << i << (got.empty() ? "" : ": " + got[0]);
            for (std::size_t k = 0; k < want.size(); ++k) EXPECT_NE(got[k].find(want[k]), std::string::npos) << got[k];
            expectedCount += want.size();
        }
        ASSERT_EQ(host.framingErrors().size(), fc.outside.size());
        for (std::size_t k = 0; k < fc.outside.size(); ++k)
            EXPECT_NE(host.framingErrors()[k].what.find(fc.outside[k]), std::string::npos) << host.framingErrors()[k].what;
        EXPECT_EQ(host.framingErrorCount(), expectedCount);
        EXPECT_FALSE(host.messageOpen());
    }
}

TEST_F(EncoderTest, AStrayWriteDoesNotLeakIntoTheNextMessage) {
    std::vector<Effect::Kind> heard;
    host.setListener([&](const Effect &e) { heard.push_back(e.kind); });
    calls.byte(7);
    calls.begin(MSG_ALL, SVC_TEMPENTITY);
    calls.byte(99);
    calls.shortv(3);
    calls.end();
    ASSERT_EQ(host.messages().size(), 1u);
    EXPECT_EQ(host.messages()[0].payload, (Bytes{99, 3, 0}));
    EXPECT_EQ(heard, (std::vector<Effect::Kind>{Effect::Framing, Effect::MessageSent}));
}

TEST_F(EncoderTest, AVariableSizeUserMessageTakesAnyLength) {
    const int id = host.registerUserMsg("SayText", -1);
    calls.begin(MSG_ALL, id);
    calls.string("some text of any length");
    calls.end();
    ASSERT_EQ(host.messages().size(), 1u);
    EXPECT_TRUE(host.messages()[0].errors.empty());
}

}  // namespace
