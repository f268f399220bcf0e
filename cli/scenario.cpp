// scenario.cpp: parses and checks scenario files: one timed action a line, # comments.
#include "scenario.h"

#include "numbers.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace qvcli {

namespace {

// What follows the verb.
enum class Shape { SlotText, SlotWords, Nothing, NameValue, Slot, SlotOnOff };

struct VerbRow {
    const char *name;
    Verb verb;
    Shape shape;
};

const VerbRow verbTable[] = {
    {"say", Verb::Say, Shape::SlotText},
    {"say_team", Verb::SayTeam, Shape::SlotText},
    {"cmd", Verb::Cmd, Shape::SlotWords},
    {"map", Verb::Map, Shape::Nothing},
    {"cvar", Verb::Cvar, Shape::NameValue},
    {"connect", Verb::Connect, Shape::Slot},
    {"disconnect", Verb::Disconnect, Shape::Slot},
    {"access", Verb::Access, Shape::SlotOnOff},
};

const char *const kUsage[] = {
    "<slot> <text>",      // SlotText
    "<slot> <word> [args...]",  // SlotWords
    "nothing after it",   // Nothing
    "<name> <value>",     // NameValue
    "<slot>",             // Slot
    "<slot> on|off",      // SlotOnOff
};

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Next blank-separated word from pos; empty at the end.
std::string nextWord(const std::string &s, std::size_t &pos) {
    while (pos < s.size() && isBlank(s[pos])) ++pos;
    const std::size_t start = pos;
    while (pos < s.size() && !isBlank(s[pos])) ++pos;
    return s.substr(start, pos - start);
}

std::string restOfLine(const std::string &s, std::size_t pos) {
    while (pos < s.size() && isBlank(s[pos])) ++pos;
    std::size_t end = s.size();
    while (end > pos && isBlank(s[end - 1])) --end;
    return s.substr(pos, end - pos);
}

bool slotNumber(const std::string &text, int &out) {
    if (text.empty() || text.size() > 6) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    out = std::atoi(text.c_str());
    return true;
}

std::string where(const Scenario &s, const Action &a) {
    if (s.file.empty()) return "default scenario: ";
    return s.file + ":" + std::to_string(a.line) + ": ";
}

std::string number(double v) {
    std::ostringstream out;
    out << v;
    return out.str();
}

}  // namespace

const char *verbName(Verb v) {
    for (const VerbRow &row : verbTable)
        if (row.verb == v) return row.name;
    return "?";
}

std::vector<std::string> splitArguments(const std::string &text) {
    std::vector<std::string> out;
    std::size_t i = 0;
    while (true) {
        while (i < text.size() && isBlank(text[i])) ++i;
        if (i >= text.size()) break;
        std::string arg;
        if (text[i] == '"') {
            const std::size_t close = text.find('"', i + 1);
            arg = text.substr(i + 1, close == std::string::npos ? std::string::npos : close - i - 1);
            i = close == std::string::npos ? text.size() : close + 1;
        } else {
            while (i < text.size() && !isBlank(text[i]) && text[i] != '"') arg += text[i++];
        }
        out.push_back(std::move(arg));
    }
    return out;
}

bool parseScenarioLine(const std::string &line, Action &action, bool &isAction, std::string &error) {
    isAction = false;
    std::size_t pos = 0;
    const std::string timeWord = nextWord(line, pos);
    if (timeWord.empty() || timeWord[0] == '#') return true;

    action = Action{};
    if (!plainDecimal(timeWord, action.time)) {
        error = "'" + timeWord + "' is not a time in seconds";
        return false;
    }
    const std::string verbWord = nextWord(line, pos);
    if (verbWord.empty()) {
        error = "an action must follow the time";
        return false;
    }
    const VerbRow *row = nullptr;
    for (const VerbRow &v : verbTable)
        if (verbWord == v.name) row = &v;
    if (row == nullptr) {
        error = "unknown action '" + verbWord +
                "'; expected say, say_team, cmd, map, cvar, connect, disconnect or access";
        return false;
    }
    action.verb = row->verb;
    const std::string usage = std::string(row->name) + " takes " + kUsage[static_cast<int>(row->shape)];

    if (row->shape != Shape::Nothing && row->shape != Shape::NameValue) {
        const std::string slotWord = nextWord(line, pos);
        if (slotWord.empty()) {
            error = usage;
            return false;
        }
        if (!slotNumber(slotWord, action.slot) || action.slot < 1) {
            error = "'" + slotWord + "' is not a slot number";
            return false;
        }
    }
    switch (row->shape) {
    case Shape::SlotText: {
        const std::string text = restOfLine(line, pos);
        if (text.empty()) {
            error = usage;
            return false;
        }
        action.argv.push_back(row->name);
        for (std::string &arg : splitArguments(text)) action.argv.push_back(std::move(arg));
        pos = line.size();
        break;
    }
    case Shape::SlotWords:
        action.argv = splitArguments(restOfLine(line, pos));
        pos = line.size();
        if (action.argv.empty() || action.argv[0].empty()) {
            error = usage;
            return false;
        }
        break;
    case Shape::NameValue: {
        action.name = nextWord(line, pos);
        const std::string valueWord = nextWord(line, pos);
        if (valueWord.empty()) {
            error = usage;
            return false;
        }
        if (!serverFloat(valueWord, action.value)) {
            error = "'" + valueWord + "' is not a number";
            return false;
        }
        break;
    }
    case Shape::SlotOnOff: {
        const std::string flag = nextWord(line, pos);
        if (flag != "on" && flag != "off") {
            error = flag.empty() ? usage : "'" + flag + "' is neither on nor off";
            return false;
        }
        action.on = flag == "on";
        break;
    }
    case Shape::Nothing:
    case Shape::Slot:
        break;
    }
    const std::string extra = nextWord(line, pos);
    if (!extra.empty()) {
        error = "unexpected '" + extra + "' at the end; " + usage;
        return false;
    }
    isAction = true;
    return true;
}

bool parseScenario(std::istream &in, const std::string &file, Scenario &out, std::string &error) {
    out = Scenario{};
    out.file = file;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        Action a;
        bool isAction = false;
        std::string why;
        if (!parseScenarioLine(line, a, isAction, why)) {
            error = file + ":" + std::to_string(number) + ": " + why;
            return false;
        }
        if (!isAction) continue;
        a.line = number;
        out.actions.push_back(std::move(a));
    }
    if (in.bad()) {
        error = file + ": read error";
        return false;
    }
    return true;
}

int mapsNeeded(const Scenario &s) {
    int maps = 1;
    for (const Action &a : s.actions)
        if (a.verb == Verb::Map) ++maps;
    return maps;
}

bool checkScenario(const Scenario &s, const ScenarioLimits &limits, std::string &error) {
    std::set<int> clients = limits.clients, nonClients = limits.nonClients;
    double previous = 0;
    int map = 1;
    for (const Action &a : s.actions) {
        const std::string at = where(s, a);
        if (a.time < previous) {
            error = at + "time " + number(a.time) + " is before the previous action's " + number(previous);
            return false;
        }
        if (a.time > limits.mapSeconds) {
            error = at + "time " + number(a.time) + " is past the end of the map (" + number(limits.mapSeconds) +
                    " s)";
            return false;
        }
        previous = a.time;
        if (a.verb != Verb::Map && a.verb != Verb::Cvar && a.slot > limits.maxClients) {
            error = at + "slot " + std::to_string(a.slot) + " is outside 1.." + std::to_string(limits.maxClients);
            return false;
        }
        switch (a.verb) {
        case Verb::Map:
            ++map;
            previous = 0;
            if (limits.mapsFixed && map > limits.maps) {
                error = at + "this map change needs more than the " + std::to_string(limits.maps) +
                        " maps --maps allows";
                return false;
            }
            break;
        case Verb::Say:
        case Verb::SayTeam:
        case Verb::Cmd:
            if (clients.count(a.slot) == 0) {
                error = at + "slot " + std::to_string(a.slot) +
                        (nonClients.count(a.slot) ? " holds no client" : " is empty") +
                        " at that time, so it cannot send a command";
                return false;
            }
            break;
        case Verb::Connect:
            clients.insert(a.slot);
            nonClients.erase(a.slot);
            break;
        case Verb::Disconnect:
            clients.erase(a.slot);
            nonClients.erase(a.slot);
            break;
        case Verb::Cvar:
            if (a.name.empty()) {
                error = at + "the server variable has no name";
                return false;
            }
            break;
        case Verb::Access:
            break;
        }
    }
    return true;
}

Scenario defaultScenario() {
    Scenario s;
    Action force;
    force.time = 60;
    force.verb = Verb::Say;
    force.slot = 1;
    force.argv = {"say", "!eventtest"};
    s.actions.push_back(force);
    return s;
}

}  // namespace qvcli
