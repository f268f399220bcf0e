// e2e_test.cpp: runs the built quorvex-sim in a temporary directory and checks its statuses, output and files.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

struct Result {
    int status = -1;
    std::string out, err;
};

std::string slurp(const fs::path &p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Runs `program args...` in `dir`, stdout and stderr into files there.
Result runIn(const fs::path &dir, const std::string &program, const std::vector<std::string> &args) {
    const fs::path outFile = dir / ".stdout", errFile = dir / ".stderr";
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0 || !freopen(outFile.c_str(), "w", stdout) || !freopen(errFile.c_str(), "w", stderr))
            _exit(127);
        std::vector<char *> argv{const_cast<char *>(program.c_str())};
        for (const std::string &a : args) argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    int raw = 0;
    waitpid(pid, &raw, 0);
    Result r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = slurp(outFile);
    r.err = slurp(errFile);
    fs::remove(outFile);
    fs::remove(errFile);
    return r;
}

std::vector<json> lines(const std::string &text) {
    std::vector<json> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) out.push_back(json::parse(line));  // throws on a bad line
    return out;
}

std::vector<json> ofType(const std::vector<json> &all, const std::string &type) {
    std::vector<json> out;
    for (const json &j : all)
        if (j["type"] == type) out.push_back(j);
    return out;
}

// The announcement's bytes as the module must write them.
std::string announcementHex(const std::string &text) {
    std::string hex = "1dff" "0000" "3313" "02" "ffff0032" "00ffff32" "0200" "0002" "0002" "0004";
    char buf[4];
    for (unsigned char c : text) {
        std::snprintf(buf, sizeof buf, "%02x", c);
        hex += buf;
    }
    return hex + "00";
}

class Cli : public ::testing::Test {
protected:
    fs::path dir;

    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "qvcli-e2e-XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        dir = tmpl;
    }
    void TearDown() override { fs::remove_all(dir); }

    Result sim(const std::vector<std::string> &args) { return runIn(dir, QV_SIM_PATH, args); }

    void write(const std::string &name, const std::string &text) { std::ofstream(dir / name) << text; }

    std::string xpath(const std::string &file, const std::string &expr) {
        const Result r = runIn(dir, QV_XMLLINT, {"--nonet", "--xpath", expr, file});
        EXPECT_EQ(r.status, 0) << expr << ": " << r.err;
        std::string value = r.out;
        if (!value.empty() && value.back() == '\n') value.pop_back();
        return value;
    }

    std::vector<json> jsonl(const std::vector<std::string> &args) {
        std::vector<std::string> all = args;
        all.push_back("--format=jsonl");
        const Result r = sim(all);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        return lines(r.out);
    }
};

TEST_F(Cli, DefaultRunPrintsTimelineAndSummary) {
    const Result r = sim({});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("  1     60.00  > slot 1 sends \"say\" \"!eventtest\"\n"), std::string::npos);
    EXPECT_NE(r.out.find("  1     60.00  START Random weapon (forced by a client command)\n"), std::string::npos);
    EXPECT_NE(r.out.find("text=\"Random event: Random Weapon!\""), std::string::npos);
    EXPECT_NE(r.out.find("y=4915 (0.6 screen)"), std::string::npos);
    EXPECT_NE(r.out.find("hold=512 (2 s)"), std::string::npos);
    EXPECT_NE(r.out.find("  1     61.00  END   Random weapon after 1 s (no announcement)\n"), std::string::npos);
    EXPECT_NE(r.out.find("\nSummary\n"), std::string::npos);
    EXPECT_NE(r.out.find("frames: 180000, seed 1"), std::string::npos);
    EXPECT_NE(r.out.find("  framing errors: 0\n"), std::string::npos);

    const Result quiet = sim({"--quiet"});
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.out.rfind("Summary\n", 0), 0u);
    EXPECT_EQ(r.out.substr(r.out.find("\nSummary\n") + 1), quiet.out);
}

TEST_F(Cli, DefaultRunJsonlHasTheForcedEventItsChatAndItsBytes) {
    const std::vector<json> all = jsonl({});
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all.front()["type"], "run");
    EXPECT_EQ(all.back()["type"], "summary");

    std::vector<json> forced;
    for (const json &e : ofType(all, "event"))
        if (e["forced"] == true && e["phase"] == "start") forced.push_back(e);
    ASSERT_EQ(forced.size(), 1u);
    EXPECT_EQ(forced[0]["name"], "Random weapon");
    EXPECT_EQ(forced[0]["time"], 60);
    EXPECT_EQ(forced[0]["call"], "plgClientCommand");

    // Every slot whose entity exists gets one line and then one item that match.
    const std::map<std::string, std::string> weapons = {
        {"tranquilizer gun", "tf_weapon_tranq"}, {"AC", "tf_weapon_ac"},
        {"rocket launcher", "tf_weapon_rpg"},    {"knife", "tf_weapon_knife"},
        {"flamethrower", "tf_weapon_flamethrower"}, {"auto rifle", "tf_weapon_autorifle"}};
    std::vector<int> slots;
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i]["type"] != "chat" || all[i]["time"] != 60) continue;
        const std::string text = all[i]["text"];
        ASSERT_EQ(text.rfind("[Quorvex] You got the ", 0), 0u) << text;
        const std::string weapon = text.substr(22, text.size() - 22 - 2);
        EXPECT_EQ(text.substr(text.size() - 2), ".\n");
        ASSERT_EQ(weapons.count(weapon), 1u) << weapon;
        const json &item = all[i + 1];
        EXPECT_EQ(item["type"], "item");
        EXPECT_EQ(item["slot"], all[i]["slot"]);
        EXPECT_EQ(item["item"], weapons.at(weapon));
        slots.push_back(all[i]["slot"]);
    }
    EXPECT_EQ(slots, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 16}));

    // Every announcement carries the exact bytes of the text message.
    int announcements = 0;
    for (const json &m : ofType(all, "message")) {
        if (m["kind"] != "TE_TEXTMESSAGE") continue;
        ++announcements;
        EXPECT_EQ(m["hex"], announcementHex(m["fields"]["text"])) << m.dump();
        EXPECT_EQ(m["bytes"], m["hex"].get<std::string>().size() / 2);
        EXPECT_EQ(m["dest"], 2);
        EXPECT_EQ(m["msgType"], 23);
        EXPECT_EQ(m["fields"]["y"]["raw"], 4915);
        EXPECT_DOUBLE_EQ(m["fields"]["y"]["value"].get<double>(), 4915.0 / 8192);
        EXPECT_EQ(m["fields"]["fxtime"]["unit"], "s");
    }
    EXPECT_GE(announcements, 2);

    const json &summary = all.back();
    EXPECT_EQ(summary["events"]["Random weapon"]["forced"], 1);
    EXPECT_EQ(summary["chatLines"], ofType(all, "chat").size());
    EXPECT_EQ(summary["messages"]["TE_TEXTMESSAGE"]["count"], announcements);
    EXPECT_EQ(summary["framingErrors"], 0);
    EXPECT_EQ(summary["cvars"]["sv_gravity"], 800);
    EXPECT_EQ(summary["cvars"]["sv_maxspeed"], 320);
}

TEST_F(Cli, TamperedMaxSpeedIsHeldAndThenRestored) {
    const std::vector<json> all =
        jsonl({"--scenario", QV_SCENARIO_DIR "/tamper-maxspeed.txt", "--map-minutes", "6"});
    // The value sv_maxspeed had after each input or module set, in order.
    std::vector<std::pair<double, double>> sets;  // (time, value) of module sets that changed it
    int holds = 0;
    double lastHold = 0;
    bool endRestored = false;
    for (std::size_t i = 0; i < all.size(); ++i) {
        const json &j = all[i];
        if (j["type"] == "event" && j["phase"] == "hold") {
            ++holds;
            lastHold = j["time"];
            EXPECT_EQ(all[i + 1]["type"], "cvar");
            EXPECT_EQ(all[i + 1]["value"], 100);
        }
        if (j["type"] == "cvar" && j["name"] == "sv_maxspeed" && j["value"] != j["previous"])
            sets.emplace_back(j["time"].get<double>(), j["value"].get<double>());
        if (j["type"] == "event" && j["phase"] == "end" && j["name"] == "Slow movement") {
            EXPECT_EQ(j["time"], 325);
            EXPECT_EQ(all[i + 1]["type"], "cvar");
            EXPECT_EQ(all[i + 1]["value"], 320);
            EXPECT_EQ(all[i + 2]["fields"]["text"], "Random event: Slow movement off");
            endRestored = true;
        }
        // The player in slot 2 has no access: the command does nothing.
        if (j["type"] == "input" && j["action"] == "say") {
            EXPECT_EQ(j["slot"], 2);
            EXPECT_EQ(all[i + 1]["type"], "event");
            EXPECT_EQ(all[i + 1]["phase"], "hold");
            EXPECT_EQ(all[i + 1]["call"], "plgThink");
        }
    }
    EXPECT_TRUE(endRestored);
    EXPECT_EQ(holds, 2401);  // every frame from 301.00 to 325.00
    EXPECT_EQ(lastHold, 325);
    EXPECT_EQ(sets, (std::vector<std::pair<double, double>>{{300, 100}, {305, 100}, {312.5, 100}, {325, 320}}));
    EXPECT_EQ(all.back()["cvars"]["sv_maxspeed"], 320);
}

TEST_F(Cli, MapChangeDropsLowGravityAndTheTimelineShowsIt) {
    const std::vector<json> all =
        jsonl({"--scenario", QV_SCENARIO_DIR "/map-change-in-low-gravity.txt", "--timeline", "t.svg"});
    std::vector<json> dropped;
    for (const json &e : ofType(all, "event"))
        if (e["phase"] == "dropped") dropped.push_back(e);
    ASSERT_EQ(dropped.size(), 1u);
    EXPECT_EQ(dropped[0]["name"], "Low gravity");
    EXPECT_EQ(dropped[0]["map"], 1);
    EXPECT_EQ(dropped[0]["time"], 1299);
    // Nothing put the gravity back: the next low gravity quarters the quarter.
    bool secondMapGravity = false;
    for (const json &c : ofType(all, "cvar"))
        if (c["name"] == "sv_gravity" && c["map"] == 2) {
            EXPECT_EQ(c["previous"], 200);
            EXPECT_EQ(c["value"], 50);
            secondMapGravity = true;
            break;
        }
    EXPECT_TRUE(secondMapGravity) << "no low gravity on map 2";
    EXPECT_EQ(all.back()["cvars"]["sv_gravity"], 200);
    EXPECT_EQ(all.back()["mapLengths"], json::parse("[1299, 1800]"));

    int bars = 0;
    for (const json &e : ofType(all, "event"))
        if (e["phase"] != "start" && e["phase"] != "hold") ++bars;
    ASSERT_TRUE(fs::exists(dir / "t.svg"));
    const std::string svg = "//*[local-name()='svg' and namespace-uri()='http://www.w3.org/2000/svg']";
    EXPECT_EQ(xpath("t.svg", "count(" + svg + ")"), "1");
    EXPECT_EQ(xpath("t.svg", "count(//*[local-name()='rect'][@class='event'])"), std::to_string(bars));
    EXPECT_EQ(xpath("t.svg", "count(//*[local-name()='rect'][@class='map'])"), "2");
    EXPECT_EQ(xpath("t.svg", "string(//*[local-name()='rect'][@data-ended='dropped']/@data-event)"), "1");
    EXPECT_EQ(xpath("t.svg", "string(//*[local-name()='rect'][@data-ended='dropped']/@data-start)"), "1289.00");
    for (const char *name : {"Low gravity", "Trails", "Earthquake", "Colored view", "Random weapon", "Slow movement"})
        EXPECT_EQ(xpath("t.svg", std::string("count(//*[local-name()='g'][@class='legend']/*[local-name()='text'][.='") +
                                     name + "'])"),
                  "1")
            << name;
    // Written in one step: nothing is left beside it.
    int files = 0;
    for (const auto &entry : fs::directory_iterator(dir)) files += entry.path().filename() != ".stdout" ? 1 : 0;
    EXPECT_EQ(files, 1);
}

TEST_F(Cli, ForcingDuringEachEventEndsEachKindFirst) {
    const std::vector<json> all =
        jsonl({"--scenario", QV_SCENARIO_DIR "/force-during-each-event.txt", "--timeline", "f.svg"});
    std::set<std::string> endedByForce;
    int forcedStarts = 0;
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i]["type"] != "input" || all[i]["action"] != "say") continue;
        // The command's call begins with the end of the running event, then the forced start.
        ASSERT_LT(i + 2, all.size());
        EXPECT_EQ(all[i + 1]["phase"], "end") << all[i + 1].dump();
        endedByForce.insert(all[i + 1]["name"].get<std::string>());
        std::size_t j = i + 2;
        while (j < all.size() && all[j]["type"] != "event") ++j;
        ASSERT_LT(j, all.size()) << "no event after the forcing command";
        EXPECT_EQ(all[j]["phase"], "start");
        EXPECT_EQ(all[j]["name"], "Random weapon");
        EXPECT_EQ(all[j]["forced"], true);
        ++forcedStarts;
    }
    EXPECT_EQ(forcedStarts, 6);
    EXPECT_EQ(endedByForce.size(), 6u);
    EXPECT_EQ(all.back()["cvars"]["sv_gravity"], 800);
    EXPECT_EQ(all.back()["cvars"]["sv_maxspeed"], 320);
    EXPECT_EQ(xpath("f.svg", "count(//*[local-name()='path'][@class='forced'])"), "6");
    EXPECT_EQ(xpath("f.svg", "count(//*[local-name()='rect'][@class='event'][@data-forced='true'])"), "6");
}

TEST_F(Cli, ErrorsNameTheProblemExitTwoAndWriteNothing) {
    write("bad.txt", "# ok\n60 say 1 hi\n70 jump 1\n");
    write("late.txt", "90 say 1 hi\n");
    write("empty-slot.txt", "10 say 14 hi\n");
    write("not-a-module.so", "plain text\n");
    const struct {
        std::vector<std::string> args;
        std::vector<std::string> messages;
    } cases[] = {
        {{"--plugin", "missing.so"}, {"cannot load module missing.so", "No such file"}},
        {{"--plugin", "not-a-module.so"}, {"cannot load module not-a-module.so", "not-a-module.so: "}},
        {{"--plugin", QV_FIXTURE_MISSING}, {"has no export plgClientCommand"}},
        {{"--fps", "0"}, {"--fps: '0' is not a whole number from 1 to 10000", "Try 'quorvex-sim --help'"}},
        {{"--format", "xml"}, {"--format: 'xml' is neither text nor jsonl"}},
        {{"--cvar", "sv_gravity"}, {"--cvar: 'sv_gravity' is not NAME=VALUE"}},
        {{"--players", "20"}, {"--players: 20 players do not fit"}},
        {{"--bogus"}, {"unrecognized option '--bogus'"}},
        {{"--scenario", "absent.txt"}, {"cannot read scenario absent.txt: No such file"}},
        {{"--scenario", "bad.txt"}, {"bad.txt:3: unknown action 'jump'"}},
        {{"--scenario", "late.txt", "--map-minutes", "1"}, {"late.txt:1: time 90 is past the end of the map (60 s)"}},
        {{"--scenario", "empty-slot.txt"}, {"empty-slot.txt:1: slot 14 is empty at that time"}},
        {{"--map-minutes", "0.5"}, {"default scenario: time 60 is past the end of the map (30 s)"}},
    };
    for (const auto &c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--timeline", "out.svg"});
        const Result r = sim(args);
        EXPECT_EQ(r.status, 2) << c.args[0];
        EXPECT_EQ(r.out, "") << c.args[0];
        EXPECT_EQ(r.err.rfind("quorvex-sim: ", 0), 0u) << r.err;
        for (const std::string &m : c.messages) EXPECT_NE(r.err.find(m), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(dir / "out.svg")) << c.args[0];
    }
    const Result r = sim({"--timeline", "no-such-dir/out.svg"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--timeline: cannot write into directory no-such-dir/"), std::string::npos) << r.err;
}

TEST_F(Cli, FramingErrorsExitOneAndKeepTheOldPicture) {
    write("old.svg", "old picture");
    const Result r = sim({"--plugin", QV_FIXTURE_FRAMING, "--map-minutes", "1", "--timeline", "old.svg"});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.out.find("FRAMING ERROR: WriteByte with no message open"), std::string::npos);
    EXPECT_NE(r.out.find("  framing errors: 1\n"), std::string::npos);
    EXPECT_EQ(slurp(dir / "old.svg"), "old picture");

    // A good run replaces it.
    EXPECT_EQ(sim({"--map-minutes", "1", "--timeline", "old.svg", "-q"}).status, 0);
    EXPECT_NE(slurp(dir / "old.svg").find("<svg"), std::string::npos);
}

TEST_F(Cli, HelpAndVersion) {
    const Result help = sim({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: quorvex-sim [OPTION]...\n", 0), 0u);
    for (const char *opt : {"--plugin", "--seed", "--fps", "--max-clients", "--players", "--admins", "--non-clients",
                            "--tag", "--cvar", "--maps", "--map-minutes", "--scenario", "--format", "--timeline",
                            "--quiet", "Exit status", "  2  bad usage"})
        EXPECT_NE(help.out.find(opt), std::string::npos) << opt;
    const Result version = sim({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "quorvex-sim 1.0.0\n");
}

}  // namespace
