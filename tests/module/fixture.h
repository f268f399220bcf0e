// fixture.h: a fresh copy of the built module on a fresh simulated host, for every test.
#ifndef MODULE_TESTS_FIXTURE_H
#define MODULE_TESTS_FIXTURE_H

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "qvsim/decode.h"
#include "qvsim/module.h"
#include "qvsim/sim_host.h"

using Bytes = std::vector<std::uint8_t>;

class ModuleTest : public ::testing::Test {
public:
    qvsim::SimHost host{16, 1};
    qvsim::Module mod;

    void SetUp() override
    {
        host.install();
        ASSERT_TRUE(mod.load(QV_MODULE_PATH)) << mod.error();
        // Twelve clients in slots 1..12; 13..15 empty; 16 an entity that is no client.
        for (int n = 1; n <= 16; n++)
            host.setSlot(n, n <= 12 ? qvsim::SlotKind::Client : qvsim::SlotKind::Empty);
        host.setSlot(16, qvsim::SlotKind::NonClient);
        host.setAccess(1, true);
        mod.giveFuncs(host.table());
    }

    void TearDown() override { mod.unload(); }

    void frame(float t)
    {
        host.setTime(t);
        mod.think();
    }

    // Frames every `dt` seconds from the current time up to and including `t`.
    void runTo(double t, double dt = 0.01)
    {
        double start = host.time();
        for (long i = 1;; i++) {
            double now = start + static_cast<double>(i) * dt;
            if (now > t + 1e-9)
                break;
            frame(static_cast<float>(now));
        }
    }

    void mapStart(float t = 0.0f)
    {
        host.setTime(t);
        mod.mapInit();
    }

    int say(int slot, std::vector<std::string> argv)
    {
        host.setCommand(std::move(argv));
        return mod.clientCommand(host.entity(slot));
    }

    // Forces the random weapon from the admin in slot 1.
    void force() { say(1, {"say", "!eventtest"}); }

    // Starts event n by the clock: a map start at 0 whose first start is at
    // 300, then the draw of n.
    void startByClock(int n)
    {
        host.scriptRandom({300, n});
        mapStart(0.0f);
        frame(300.0f);
    }

    std::vector<qvsim::Decoded> decodedMessages() const
    {
        std::vector<qvsim::Decoded> out;
        for (const auto &m : host.messages())
            out.push_back(qvsim::decode(m, host));
        return out;
    }

    // The announcement texts, in order.
    std::vector<std::string> announcements() const
    {
        std::vector<std::string> out;
        for (const auto &d : decodedMessages())
            if (d.kind == "TE_TEXTMESSAGE")
                for (const auto &f : d.fields)
                    if (f.isText)
                        out.push_back(f.text);
        return out;
    }

    // The first and latest announcement, or "(none)".
    std::string firstText() const
    {
        auto t = announcements();
        return t.empty() ? "(none)" : t.front();
    }
    std::string lastText() const
    {
        auto t = announcements();
        return t.empty() ? "(none)" : t.back();
    }

    // Kinds of the decoded messages, in order.
    std::vector<std::string> messageKinds() const
    {
        std::vector<std::string> out;
        for (const auto &d : decodedMessages())
            out.push_back(d.kind);
        return out;
    }

    // The effect kinds in the order the module caused them.
    std::vector<qvsim::Effect::Kind> effectKinds() const
    {
        std::vector<qvsim::Effect::Kind> out;
        for (const auto &e : host.effects())
            out.push_back(e.kind);
        return out;
    }

    void expectNoFramingErrors() const { EXPECT_EQ(host.framingErrorCount(), 0u); }
};

#endif
