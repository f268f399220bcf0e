// options_test.cpp: option spellings and the values each option refuses.
#include <gtest/gtest.h>

#include "options.h"

namespace {

bool parse(std::vector<std::string> args, qvcli::Options &o, std::string &error) {
    return qvcli::parseOptions(args, o, error) && qvcli::checkOptions(o, error);
}

TEST(Options, GnuSpellingsAllReachTheSameValue) {
    for (const auto &args : std::vector<std::vector<std::string>>{
             {"--seed", "7"}, {"--seed=7"}, {"--se", "7"}, {"--se=7"}}) {
        qvcli::Options o;
        std::string error;
        ASSERT_TRUE(parse(args, o, error)) << error;
        EXPECT_EQ(o.seed, 7u);
    }
}

TEST(Options, ValuesAndDefaultsThatDependOnOthers) {
    qvcli::Options o;
    std::string error;
    ASSERT_TRUE(parse({"--max-clients", "8", "--players=5", "--admins", "1,3-4", "--cvar", "sv_gravity=400",
                       "--cvar=mp_x=-2.5", "--map-minutes", "0.5", "--format", "jsonl", "-q"},
                      o, error))
        << error;
    EXPECT_EQ(o.maxClients, 8);
    EXPECT_EQ(o.admins, (std::vector<int>{1, 3, 4}));
    EXPECT_EQ(o.nonClients, (std::vector<int>{8}));  // the highest slot, left free by the players
    EXPECT_EQ(qvcli::clientSlots(o), (std::vector<int>{1, 2, 3, 4, 5}));
    ASSERT_EQ(o.cvars.size(), 2u);
    EXPECT_EQ(o.cvars[1].first, "mp_x");
    EXPECT_FLOAT_EQ(o.cvars[1].second, -2.5f);
    EXPECT_DOUBLE_EQ(o.mapMinutes, 0.5);
    EXPECT_EQ(o.format, qvcli::Format::Jsonl);
    EXPECT_TRUE(o.quiet);

    qvcli::Options full;
    ASSERT_TRUE(parse({"--players", "16"}, full, error)) << error;
    EXPECT_TRUE(full.nonClients.empty());

    qvcli::Options skip;
    ASSERT_TRUE(parse({"--players", "4", "--non-clients", "2,3"}, skip, error)) << error;
    EXPECT_EQ(qvcli::clientSlots(skip), (std::vector<int>{1, 4, 5, 6}));
}

TEST(Options, BadValuesNameTheOptionAndTheProblem) {
    const std::pair<std::vector<std::string>, const char *> cases[] = {
        {{"--fps", "0"}, "--fps: '0' is not a whole number from 1 to 10000"},
        {{"--fps", "ten"}, "--fps: 'ten' is not a whole number"},
        {{"--seed", "-1"}, "--seed: '-1' is not a whole number from 0 to 4294967295"},
        {{"--seed", "4294967296"}, "--seed: '4294967296' is not a whole number"},
        {{"--max-clients", "300"}, "--max-clients: '300' is not a whole number from 1 to 256"},
        {{"--players", "20"}, "--players: 20 players do not fit in 16 slots with 0 non-clients"},
        {{"--players", "16", "--non-clients", "16"}, "--players: 16 players do not fit"},
        {{"--admins", "1,99"}, "--admins: slot 99 is outside 1..16"},
        {{"--admins", "1,,2"}, "--admins: '1,,2' is not a list of slot numbers"},
        {{"--non-clients", "5-3"}, "--non-clients: '5-3' is not a list of slot numbers"},
        {{"--cvar", "sv_gravity"}, "--cvar: 'sv_gravity' is not NAME=VALUE"},
        {{"--cvar", "=5"}, "--cvar: '=5' is not NAME=VALUE"},
        {{"--cvar", "sv_gravity=low"}, "--cvar: 'sv_gravity=low' is not NAME=VALUE"},
        {{"--maps", "0"}, "--maps: '0' is not a whole number from 1 to 1000"},
        {{"--map-minutes", "0"}, "--map-minutes: '0' is not a number of minutes"},
        {{"--map-minutes", "1e3"}, "--map-minutes: '1e3' is not a number of minutes"},
        {{"--format", "xml"}, "--format: 'xml' is neither text nor jsonl"},
        {{"--fps"}, "option '--fps' requires an argument"},
        {{"--quiet=yes"}, "option '--quiet' doesn't allow an argument"},
        {{"--bogus"}, "unrecognized option '--bogus'"},
        {{"--ma", "3"}, "option '--ma' is ambiguous"},
        {{"-x"}, "invalid option -- 'x'"},
        {{"extra"}, "unexpected argument 'extra'"},
        {{"--timeline", "/nonexistent-dir/t.svg"}, "--timeline: cannot write into directory /nonexistent-dir/"},
    };
    for (const auto &[args, expected] : cases) {
        qvcli::Options o;
        std::string error;
        EXPECT_FALSE(parse(args, o, error)) << args[0];
        EXPECT_EQ(error.rfind(expected, 0), 0u) << args[0] << " gave: " << error;
    }
}

}  // namespace
