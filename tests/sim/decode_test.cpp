// decode_test.cpp: recorded messages read back into the fields the clients see.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qvsim/decode.h"
#include "qvsim/sim_host.h"

using qvsim::Decoded;
using qvsim::Field;
using qvsim::Message;
using qvsim::SimHost;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes le16(int v) { return {static_cast<std::uint8_t>(v & 0xff), static_cast<std::uint8_t>((v >> 8) & 0xff)}; }

Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes &p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes text(const std::string &s) {
    Bytes out(s.begin(), s.end());
    out.push_back(0);
    return out;
}

Message message(int type, Bytes payload) {
    Message m;
    m.dest = MSG_ALL;
    m.type = type;
    m.payload = std::move(payload);
    return m;
}

// The announcement exactly as the module sends it.
Bytes announcement(int effect, const std::string &words) {
    return cat({{TE_TEXTMESSAGE, 255}, le16(0), le16(4915), {static_cast<std::uint8_t>(effect)},
                {255, 255, 0, 50, 0, 255, 255, 50}, le16(2), le16(512), le16(512),
                effect == 2 ? le16(1024) : Bytes{}, text(words)});
}

const Bytes beamPayload = cat({{TE_BEAMFOLLOW}, le16(5), le16(1), {150, 10, 12, 34, 56, 200}});
const Bytes killPayload = cat({{TE_KILLBEAM}, le16(16)});
const Bytes shakePayload = cat({le16(65535), le16(65535), le16(25600)});
const Bytes fadePayload = cat({le16(12288), le16(2048), le16(7), {255, 0, 255, 255}});

struct Expected {
    const char *name;
    long raw;
    double value;
};

void expectFields(const Decoded &d, const std::vector<Expected> &want) {
    EXPECT_TRUE(d.error.empty()) << d.error;
    ASSERT_EQ(d.fields.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE(want[i].name);
        EXPECT_EQ(d.fields[i].name, want[i].name);
        EXPECT_FALSE(d.fields[i].isText);
        EXPECT_EQ(d.fields[i].raw, want[i].raw);
        EXPECT_DOUBLE_EQ(d.fields[i].value, want[i].value);
    }
}

struct DecodeTest : ::testing::Test {
    SimHost host;
    int shakeId = host.userMsgs().at("ScreenShake").id;
    int fadeId = host.userMsgs().at("ScreenFade").id;
};

TEST_F(DecodeTest, TextMessageFieldsAtClientScale) {
    const Decoded d = decode(message(SVC_TEMPENTITY, announcement(2, "Random event: Low grav")), host);
    EXPECT_EQ(d.kind, "TE_TEXTMESSAGE");
    ASSERT_EQ(d.fields.size(), 17u);
    const Field last = d.fields.back();
    EXPECT_TRUE(last.isText);
    EXPECT_EQ(last.name, "text");
    EXPECT_EQ(last.text, "Random event: Low grav");
    Decoded numbers = d;
    numbers.fields.pop_back();
    expectFields(numbers, {{"channel", 255, 255},        {"x", 0, 0},
                           {"y", 4915, 4915 / 8192.0},   {"effect", 2, 2},
                           {"r1", 255, 255},             {"g1", 255, 255},
                           {"b1", 0, 0},                 {"a1", 50, 50},
                           {"r2", 0, 0},                 {"g2", 255, 255},
                           {"b2", 255, 255},             {"a2", 50, 50},
                           {"fadein", 2, 2 / 256.0},     {"fadeout", 512, 2.0},
                           {"hold", 512, 2.0},           {"fxtime", 1024, 4.0}});
    EXPECT_EQ(describe(d),
              "TE_TEXTMESSAGE channel=255 x=0 (0 screen) y=4915 (0.6 screen) effect=2 r1=255 g1=255 b1=0 a1=50 "
              "r2=0 g2=255 b2=255 a2=50 fadein=2 (0.0078 s) fadeout=512 (2 s) hold=512 (2 s) fxtime=1024 (4 s) "
              "text=\"Random event: Low grav\"");
}

TEST_F(DecodeTest, TextMessageWithoutWriteOutHasNoEffectTime) {
    const Decoded d = decode(message(SVC_TEMPENTITY, announcement(0, "hi")), host);
    EXPECT_TRUE(d.error.empty()) << d.error;
    ASSERT_EQ(d.fields.size(), 16u);
    EXPECT_EQ(d.fields[14].name, "hold");
    EXPECT_EQ(d.fields[15].text, "hi");
}

TEST_F(DecodeTest, TextPositionsAreSigned) {
    Bytes p = announcement(1, "");
    p[2] = 0x00;  // x = -8192: a full screen to the left
    p[3] = 0xe0;
    const Decoded d = decode(message(SVC_TEMPENTITY, p), host);
    EXPECT_EQ(d.fields[1].raw, -8192);
    EXPECT_DOUBLE_EQ(d.fields[1].value, -1.0);
}

TEST_F(DecodeTest, BeamsShakeAndFade) {
    const Decoded beam = decode(message(SVC_TEMPENTITY, beamPayload), host);
    EXPECT_EQ(beam.kind, "TE_BEAMFOLLOW");
    expectFields(beam, {{"entity", 5, 5},
                        {"sprite", 1, 1},
                        {"life", 150, 15.0},
                        {"width", 10, 10},
                        {"r", 12, 12},
                        {"g", 34, 34},
                        {"b", 56, 56},
                        {"brightness", 200, 200}});
    EXPECT_EQ(describe(beam), "TE_BEAMFOLLOW entity=5 sprite=1 life=150 (15 s) width=10 r=12 g=34 b=56 brightness=200");

    const Decoded kill = decode(message(SVC_TEMPENTITY, killPayload), host);
    EXPECT_EQ(kill.kind, "TE_KILLBEAM");
    expectFields(kill, {{"entity", 16, 16}});

    const Decoded shake = decode(message(shakeId, shakePayload), host);
    EXPECT_EQ(shake.kind, "ScreenShake");
    expectFields(shake, {{"amplitude", 65535, 65535 / 4096.0},
                         {"duration", 65535, 65535 / 4096.0},
                         {"frequency", 25600, 100.0}});
    EXPECT_EQ(describe(shake), "ScreenShake amplitude=65535 (15.9998) duration=65535 (15.9998 s) frequency=25600 (100)");

    const Decoded fade = decode(message(fadeId, fadePayload), host);
    EXPECT_EQ(fade.kind, "ScreenFade");
    expectFields(fade, {{"duration", 12288, 3.0},
                        {"holdTime", 2048, 0.5},
                        {"flags", 7, 7},
                        {"r", 255, 255},
                        {"g", 0, 0},
                        {"b", 255, 255},
                        {"a", 255, 255}});
    EXPECT_EQ(fade.hex, "003000080700ff00ffff");
}

TEST_F(DecodeTest, AnythingElseIsShownAsHex) {
    const int other = host.registerUserMsg("TeamInfo", -1);
    struct Case {
        Message m;
        const char *kind;
        const char *line;
    };
    const Case cases[] = {
        {message(SVC_TEMPENTITY, {3, 0xab, 0x01}), "SVC_TEMPENTITY", "SVC_TEMPENTITY hex=03ab01"},
        {message(other, text("A")), "user:TeamInfo", "user:TeamInfo hex=4100"},
        {message(9, {}), "svc:9", "svc:9 hex=-"},
        {message(200, {1}), "svc:200", "svc:200 hex=01"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.kind);
        const Decoded d = decode(c.m, host);
        EXPECT_EQ(d.kind, c.kind);
        EXPECT_TRUE(d.fields.empty());
        EXPECT_TRUE(d.error.empty()) << d.error;
        EXPECT_EQ(describe(d), c.line);
    }
}

// Every cut-short and every over-long payload of each kind is refused.
TEST_F(DecodeTest, TruncatedAndOverLongPayloads) {
    struct Case {
        const char *kind;
        int type;
        Bytes full;
        std::size_t minimum;  // a shorter cut is not even that kind any more
    };
    const Case cases[] = {
        {"TE_TEXTMESSAGE", SVC_TEMPENTITY, announcement(2, "Random event: Earthquake"), 1},
        {"TE_TEXTMESSAGE", SVC_TEMPENTITY, announcement(0, "x"), 1},
        {"TE_BEAMFOLLOW", SVC_TEMPENTITY, beamPayload, 1},
        {"TE_KILLBEAM", SVC_TEMPENTITY, killPayload, 1},
        {"ScreenShake", shakeId, shakePayload, 0},
        {"ScreenFade", fadeId, fadePayload, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.kind);
        ASSERT_TRUE(decode(message(c.type, c.full), host).error.empty());
        for (std::size_t n = c.minimum; n < c.full.size(); ++n) {
            const Decoded d = decode(message(c.type, Bytes(c.full.begin(), c.full.begin() + long(n))), host);
            EXPECT_EQ(d.kind, c.kind) << n;
            EXPECT_EQ(d.error.rfind("truncated", 0), 0u) << n << " bytes: " << d.error;
            EXPECT_NE(describe(d).find("error="), std::string::npos);
        }
        Bytes longer = c.full;
        longer.push_back(0x5a);
        const Decoded d = decode(message(c.type, longer), host);
        EXPECT_EQ(d.error.rfind("over-long", 0), 0u) << d.error;
        EXPECT_EQ(d.hex, qvsim::toHex(longer));
    }
    const Decoded empty = decode(message(SVC_TEMPENTITY, {}), host);
    EXPECT_EQ(empty.error.rfind("truncated", 0), 0u);
}

TEST(DecodeText, DescribeEscapesTheText) {
    SimHost host;
    const Decoded d = decode(message(SVC_TEMPENTITY, announcement(0, "a \"b\"\n\x01")), host);
    EXPECT_NE(describe(d).find("text=\"a \\\"b\\\"\\n\\x01\""), std::string::npos) << describe(d);
}

}  // namespace
