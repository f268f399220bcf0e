// scenario_test.cpp: the scenario parser on tables of good and bad lines, and the checks before a run.
#include <gtest/gtest.h>

#include <sstream>

#include "scenario.h"

using qvcli::Action;
using qvcli::Verb;

namespace {

struct GoodLine {
    const char *line;
    double time;
    Verb verb;
    int slot;
    std::vector<std::string> argv;
    std::string name;
    float value;
    bool on;
};

TEST(ScenarioLine, GoodLinesParseIntoTheirAction) {
    const GoodLine cases[] = {
        {"60 say 1 !eventtest", 60, Verb::Say, 1, {"say", "!eventtest"}, "", 0, false},
        {"  60.5\tsay 3 hello  there ", 60.5, Verb::Say, 3, {"say", "hello", "there"}, "", 0, false},
        {"1 say 2 \"!eventtest now\"", 1, Verb::Say, 2, {"say", "!eventtest now"}, "", 0, false},
        {"1 say 2 I'm #1", 1, Verb::Say, 2, {"say", "I'm", "#1"}, "", 0, false},
        {"2 say_team 4 !eventtest", 2, Verb::SayTeam, 4, {"say_team", "!eventtest"}, "", 0, false},
        {"3 cmd 1 SAY !EventTest extra", 3, Verb::Cmd, 1, {"SAY", "!EventTest", "extra"}, "", 0, false},
        {"4 cmd 5 kill", 4, Verb::Cmd, 5, {"kill"}, "", 0, false},
        {".5 map", 0.5, Verb::Map, 0, {}, "", 0, false},
        {"5 cvar sv_maxspeed 500", 5, Verb::Cvar, 0, {}, "sv_maxspeed", 500, false},
        {"5 cvar sv_gravity -1.5e2", 5, Verb::Cvar, 0, {}, "sv_gravity", -150, false},
        {"6 connect 14", 6, Verb::Connect, 14, {}, "", 0, false},
        {"7 disconnect 3", 7, Verb::Disconnect, 3, {}, "", 0, false},
        {"8 access 2 on", 8, Verb::Access, 2, {}, "", 0, true},
        {"9 access 2 off", 9, Verb::Access, 2, {}, "", 0, false},
    };
    for (const GoodLine &c : cases) {
        SCOPED_TRACE(c.line);
        Action a;
        bool isAction = false;
        std::string error;
        ASSERT_TRUE(qvcli::parseScenarioLine(c.line, a, isAction, error)) << error;
        ASSERT_TRUE(isAction);
        EXPECT_DOUBLE_EQ(a.time, c.time);
        EXPECT_EQ(a.verb, c.verb);
        EXPECT_EQ(a.slot, c.slot);
        EXPECT_EQ(a.argv, c.argv);
        EXPECT_EQ(a.name, c.name);
        EXPECT_FLOAT_EQ(a.value, c.value);
        EXPECT_EQ(a.on, c.on);
    }
}

TEST(ScenarioLine, BlankLinesAndCommentsAreNoActions) {
    for (const char *line : {"", "   ", "\t", "# a comment", "   # indented 60 say 1 x", "#"}) {
        Action a;
        bool isAction = true;
        std::string error;
        EXPECT_TRUE(qvcli::parseScenarioLine(line, a, isAction, error)) << line;
        EXPECT_FALSE(isAction) << line;
    }
}

TEST(ScenarioLine, BadLinesAreRejectedWithTheReason) {
    const std::pair<const char *, const char *> cases[] = {
        {"sixty say 1 hi", "'sixty' is not a time in seconds"},
        {"-1 map", "'-1' is not a time in seconds"},
        {"1e3 map", "'1e3' is not a time in seconds"},
        {"inf map", "'inf' is not a time in seconds"},
        {"1.2.3 map", "'1.2.3' is not a time in seconds"},
        {"60", "an action must follow the time"},
        {"60 jump 1", "unknown action 'jump'"},
        {"60 SAY 1 hi", "unknown action 'SAY'"},
        {"60 say", "say takes <slot> <text>"},
        {"60 say 1", "say takes <slot> <text>"},
        {"60 say 1   ", "say takes <slot> <text>"},
        {"60 say x hi", "'x' is not a slot number"},
        {"60 say 0 hi", "'0' is not a slot number"},
        {"60 say -2 hi", "'-2' is not a slot number"},
        {"60 cmd 1", "cmd takes <slot> <word> [args...]"},
        {"60 map now", "unexpected 'now' at the end; map takes nothing after it"},
        {"60 cvar sv_gravity", "cvar takes <name> <value>"},
        {"60 cvar sv_gravity fast", "'fast' is not a number"},
        {"60 cvar sv_gravity 1e99", "'1e99' is not a number"},
        {"60 cvar sv_gravity nan", "'nan' is not a number"},
        {"60 cvar sv_gravity 1 2", "unexpected '2' at the end"},
        {"60 connect", "connect takes <slot>"},
        {"60 disconnect 3 now", "unexpected 'now' at the end; disconnect takes <slot>"},
        {"60 access 2", "access takes <slot> on|off"},
        {"60 access 2 yes", "'yes' is neither on nor off"},
    };
    for (const auto &[line, reason] : cases) {
        Action a;
        bool isAction = false;
        std::string error;
        EXPECT_FALSE(qvcli::parseScenarioLine(line, a, isAction, error)) << line;
        EXPECT_NE(error.find(reason), std::string::npos) << line << " gave: " << error;
    }
}

TEST(ScenarioLine, ArgumentsSplitAsTheEngineDoes) {
    const std::pair<const char *, std::vector<std::string>> cases[] = {
        {"a b", {"a", "b"}},
        {"  a\t b  ", {"a", "b"}},
        {"\"a b\" c", {"a b", "c"}},
        {"a\"b c\"", {"a", "b c"}},
        {"\"\"", {""}},
        {"\"open quote", {"open quote"}},
        {"", {}},
    };
    for (const auto &[text, argv] : cases) EXPECT_EQ(qvcli::splitArguments(text), argv) << text;
}

TEST(ScenarioFile, FirstBadLineIsNamedWithFileAndLine) {
    std::istringstream in("# header\n60 say 1 hi\n\n70 jump\n80 map now\n");
    qvcli::Scenario s;
    std::string error;
    EXPECT_FALSE(qvcli::parseScenario(in, "x.txt", s, error));
    EXPECT_EQ(error, "x.txt:4: unknown action 'jump'; expected say, say_team, cmd, map, cvar, connect, "
                     "disconnect or access");
}

TEST(ScenarioFile, ActionsKeepTheirLineNumbers) {
    std::istringstream in("# header\n60 say 1 hi\n\n70 map\n5 cvar a 1");
    qvcli::Scenario s;
    std::string error;
    ASSERT_TRUE(qvcli::parseScenario(in, "x.txt", s, error)) << error;
    ASSERT_EQ(s.actions.size(), 3u);
    EXPECT_EQ(s.actions[0].line, 2);
    EXPECT_EQ(s.actions[1].line, 4);
    EXPECT_EQ(s.actions[2].line, 5);
    EXPECT_EQ(qvcli::mapsNeeded(s), 2);
}

// Slots 1..12 clients, 16 a non-client, on 16 slots, 30-minute maps.
qvcli::ScenarioLimits limits() {
    qvcli::ScenarioLimits l;
    l.maxClients = 16;
    l.mapSeconds = 1800;
    l.maps = 2;
    for (int n = 1; n <= 12; ++n) l.clients.insert(n);
    l.nonClients.insert(16);
    return l;
}

std::string check(const std::string &text, qvcli::ScenarioLimits l = limits()) {
    std::istringstream in(text);
    qvcli::Scenario s;
    std::string error;
    if (!qvcli::parseScenario(in, "s.txt", s, error)) return "parse: " + error;
    return qvcli::checkScenario(s, l, error) ? "" : error;
}

TEST(ScenarioCheck, RejectsWhatCannotHappenOnTheServer) {
    qvcli::ScenarioLimits fixedMaps = limits();
    fixedMaps.mapsFixed = true;
    fixedMaps.maps = 1;
    const struct {
        const char *text;
        const char *error;
        qvcli::ScenarioLimits limits;
    } cases[] = {
        {"60 say 1 hi\n90 map\n10 say 2 hi\n1800 say 3 hi\n", "", limits()},
        {"60 say 17 hi\n", "s.txt:1: slot 17 is outside 1..16", limits()},
        {"60 access 20 on\n", "s.txt:1: slot 20 is outside 1..16", limits()},
        {"60 say 1 a\n50 say 1 b\n", "s.txt:2: time 50 is before the previous action's 60", limits()},
        {"1800.01 say 1 a\n", "s.txt:1: time 1800.01 is past the end of the map (1800 s)", limits()},
        {"60 say 14 hi\n", "s.txt:1: slot 14 is empty at that time", limits()},
        {"60 say 16 hi\n", "s.txt:1: slot 16 holds no client at that time", limits()},
        {"50 connect 14\n60 say 14 hi\n70 disconnect 14\n80 cmd 14 kill\n",
         "s.txt:4: slot 14 is empty at that time", limits()},
        {"50 connect 16\n60 say 16 hi\n", "", limits()},
        {"10 map\n", "s.txt:1: this map change needs more than the 1 maps --maps allows", fixedMaps},
    };
    for (const auto &c : cases) {
        const std::string error = check(c.text, c.limits);
        if (*c.error == '\0')
            EXPECT_EQ(error, "") << c.text;
        else
            EXPECT_EQ(error.rfind(c.error, 0), 0u) << c.text << " gave: " << error;
    }
}

}  // namespace
