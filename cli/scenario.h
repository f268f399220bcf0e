// scenario.h: timed actions of a scenario file, parsed line by line and checked before a run.
#ifndef QVCLI_SCENARIO_H
#define QVCLI_SCENARIO_H

#include <istream>
#include <set>
#include <string>
#include <vector>

namespace qvcli {

enum class Verb { Say, SayTeam, Cmd, Map, Cvar, Connect, Disconnect, Access };

struct Action {
    int line = 0;       // 1-based line in the file; 0 for built-in actions
    double time = 0;    // server seconds within the current map
    Verb verb = Verb::Map;
    int slot = 0;       // say, say_team, cmd, connect, disconnect, access
    std::vector<std::string> argv;  // say, say_team, cmd: the client command's arguments
    std::string name;   // cvar
    float value = 0;    // cvar
    bool on = false;    // access
};

const char *verbName(Verb v);

// One line.  Returns false with `error` set for a bad line; true with
// `isAction` false for a blank line or a comment.
bool parseScenarioLine(const std::string &line, Action &action, bool &isAction, std::string &error);

// Splits a command's text into arguments as the engine does: blanks
// separate them, a double-quoted run is one argument without its quotes.
std::vector<std::string> splitArguments(const std::string &text);

struct Scenario {
    std::string file;             // as named on the command line; empty for the default
    std::vector<Action> actions;  // file order, map changes included
};

// Reads every line; the first bad one gives "FILE:LINE: reason".
bool parseScenario(std::istream &in, const std::string &file, Scenario &out, std::string &error);

// What a scenario is checked against before the run.
struct ScenarioLimits {
    int maxClients = 16;
    double mapSeconds = 1800;
    int maps = 1;                 // maps the run will play
    bool mapsFixed = false;       // --maps given: map changes must fit in it
    std::set<int> clients;        // slots holding a client at the start
    std::set<int> nonClients;
};

// Slot ranges, times in order and within the map, commands only from
// connected clients, map changes within --maps.  "FILE:LINE: reason".
bool checkScenario(const Scenario &s, const ScenarioLimits &limits, std::string &error);

// The number of maps the scenario needs (its map changes plus one).
int mapsNeeded(const Scenario &s);

// The admin in slot 1 typing "!eventtest" 60 s into the map.
Scenario defaultScenario();

}  // namespace qvcli

#endif
