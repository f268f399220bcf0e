// options.cpp: the option table, value parsers and cross-checks of the quorvex-sim command line.
#include "options.h"

#include "numbers.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <set>

namespace qvcli {

namespace {

bool wholeNumber(const std::string &text, long long low, long long high, long long &out) {
    if (text.empty() || text.size() > 18) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    out = std::stoll(text);
    return out >= low && out <= high;
}

// "1,3,5-7"; "" is the empty list.
bool slotList(const std::string &text, std::vector<int> &out) {
    out.clear();
    if (text.empty()) return true;
    std::size_t pos = 0;
    while (true) {
        const std::size_t comma = text.find(',', pos);
        const std::string item = text.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
        const std::size_t dash = item.find('-');
        long long a = 0, b = 0;
        if (dash == std::string::npos) {
            if (!wholeNumber(item, 1, 1000000, a)) return false;
            b = a;
        } else if (!wholeNumber(item.substr(0, dash), 1, 1000000, a) ||
                   !wholeNumber(item.substr(dash + 1), 1, 1000000, b) || b < a) {
            return false;
        }
        for (long long n = a; n <= b; ++n) out.push_back(static_cast<int>(n));
        if (comma == std::string::npos) break;
        pos = comma + 1;
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return true;
}

using Setter = bool (*)(Options &, const std::string &, std::string &);

bool setInt(const std::string &value, long long low, long long high, int &field, std::string &why) {
    long long n = 0;
    if (!wholeNumber(value, low, high, n)) {
        why = "'" + value + "' is not a whole number from " + std::to_string(low) + " to " + std::to_string(high);
        return false;
    }
    field = static_cast<int>(n);
    return true;
}

struct OptionRow {
    const char *name;
    char shortName;  // 0 for none
    const char *valueName;  // nullptr: takes no value
    Setter set;
};

const OptionRow optionTable[] = {
    {"plugin", 0, "PATH",
     [](Options &o, const std::string &v, std::string &why) {
         if (v.empty()) {
             why = "the path is empty";
             return false;
         }
         o.plugin = v;
         return true;
     }},
    {"seed", 0, "N",
     [](Options &o, const std::string &v, std::string &why) {
         long long n = 0;
         if (!wholeNumber(v, 0, 4294967295LL, n)) {
             why = "'" + v + "' is not a whole number from 0 to 4294967295";
             return false;
         }
         o.seed = static_cast<std::uint32_t>(n);
         return true;
     }},
    {"fps", 0, "N", [](Options &o, const std::string &v, std::string &why) { return setInt(v, 1, kMaxFps, o.fps, why); }},
    {"max-clients", 0, "N",
     [](Options &o, const std::string &v, std::string &why) { return setInt(v, 1, 256, o.maxClients, why); }},
    {"players", 0, "N",
     [](Options &o, const std::string &v, std::string &why) { return setInt(v, 0, 256, o.players, why); }},
    {"admins", 0, "LIST",
     [](Options &o, const std::string &v, std::string &why) {
         if (slotList(v, o.admins)) return true;
         why = "'" + v + "' is not a list of slot numbers such as 1,3,5-7";
         return false;
     }},
    {"non-clients", 0, "LIST",
     [](Options &o, const std::string &v, std::string &why) {
         o.nonClientsGiven = true;
         if (slotList(v, o.nonClients)) return true;
         why = "'" + v + "' is not a list of slot numbers such as 1,3,5-7";
         return false;
     }},
    {"tag", 0, "TEXT",
     [](Options &o, const std::string &v, std::string &) {
         o.tag = v;
         return true;
     }},
    {"cvar", 0, "NAME=VALUE",
     [](Options &o, const std::string &v, std::string &why) {
         const std::size_t eq = v.find('=');
         float value = 0;
         if (eq == std::string::npos || eq == 0 || !serverFloat(v.substr(eq + 1), value)) {
             why = "'" + v + "' is not NAME=VALUE with a number as the value";
             return false;
         }
         const std::string name = v.substr(0, eq);
         if (name.find_first_of(" \t\r\n\"") != std::string::npos) {
             why = "'" + name + "' is not a server variable name";
             return false;
         }
         o.cvars.emplace_back(name, value);
         return true;
     }},
    {"maps", 0, "N",
     [](Options &o, const std::string &v, std::string &why) {
         o.mapsGiven = true;
         return setInt(v, 1, kMaxMaps, o.maps, why);
     }},
    {"map-minutes", 0, "M",
     [](Options &o, const std::string &v, std::string &why) {
         double m = 0;
         if (!plainDecimal(v, m) || m <= 0 || m > kMaxMapMinutes) {
             why = "'" + v + "' is not a number of minutes above 0 and at most 1440";
             return false;
         }
         o.mapMinutes = m;
         return true;
     }},
    {"scenario", 0, "FILE",
     [](Options &o, const std::string &v, std::string &why) {
         if (v.empty()) {
             why = "the file name is empty";
             return false;
         }
         o.scenario = v;
         return true;
     }},
    {"format", 0, "text|jsonl",
     [](Options &o, const std::string &v, std::string &why) {
         if (v == "text") {
             o.format = Format::Text;
         } else if (v == "jsonl") {
             o.format = Format::Jsonl;
         } else {
             why = "'" + v + "' is neither text nor jsonl";
             return false;
         }
         return true;
     }},
    {"timeline", 0, "FILE.svg",
     [](Options &o, const std::string &v, std::string &why) {
         if (v.empty()) {
             why = "the file name is empty";
             return false;
         }
         o.timeline = v;
         return true;
     }},
    {"quiet", 'q', nullptr,
     [](Options &o, const std::string &, std::string &) {
         o.quiet = true;
         return true;
     }},
    {"help", 'h', nullptr,
     [](Options &o, const std::string &, std::string &) {
         o.help = true;
         return true;
     }},
    {"version", 'V', nullptr,
     [](Options &o, const std::string &, std::string &) {
         o.version = true;
         return true;
     }},
};

// Exact name first, then a unique prefix, as getopt_long does.
const OptionRow *findLong(const std::string &name, std::string &error) {
    const OptionRow *found = nullptr;
    int matches = 0;
    for (const OptionRow &o : optionTable) {
        if (name == o.name) return &o;
        if (std::string(o.name).compare(0, name.size(), name) == 0) {
            found = &o;
            ++matches;
        }
    }
    if (matches == 1) return found;
    error = matches == 0 ? "unrecognized option '--" + name + "'" : "option '--" + name + "' is ambiguous";
    return nullptr;
}

const OptionRow *findShort(char c) {
    for (const OptionRow &o : optionTable)
        if (o.shortName == c) return &o;
    return nullptr;
}

}  // namespace

bool parseOptions(const std::vector<std::string> &args, Options &opts, std::string &error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (arg == "--") {
            if (i + 1 < args.size()) {
                error = "unexpected argument '" + args[i + 1] + "'";
                return false;
            }
            break;
        }
        const OptionRow *row = nullptr;
        std::string shown, value;
        bool hasValue = false;
        if (arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
            const std::size_t eq = arg.find('=');
            const std::string name = arg.substr(2, eq == std::string::npos ? std::string::npos : eq - 2);
            row = findLong(name, error);
            if (row == nullptr) return false;
            shown = std::string("--") + row->name;
            if (eq != std::string::npos) {
                if (row->valueName == nullptr) {
                    error = "option '" + shown + "' doesn't allow an argument";
                    return false;
                }
                value = arg.substr(eq + 1);
                hasValue = true;
            }
        } else if (arg.size() == 2 && arg[0] == '-' && arg[1] != '-') {
            row = findShort(arg[1]);
            if (row == nullptr) {
                error = "invalid option -- '" + arg.substr(1) + "'";
                return false;
            }
            shown = arg;
        } else {
            error = "unexpected argument '" + arg + "'";
            return false;
        }
        if (row->valueName != nullptr && !hasValue) {
            if (i + 1 >= args.size()) {
                error = "option '" + shown + "' requires an argument (" + row->valueName + ")";
                return false;
            }
            value = args[++i];
        }
        std::string why;
        if (!row->set(opts, value, why)) {
            error = shown + ": " + why;
            return false;
        }
    }
    return true;
}

bool checkOptions(Options &opts, std::string &error) {
    const auto outside = [&](const std::vector<int> &list) {
        return std::find_if(list.begin(), list.end(), [&](int n) { return n > opts.maxClients; });
    };
    if (!opts.nonClientsGiven) {
        // The highest slot holds a non-client when the players leave it free.
        opts.nonClients.clear();
        if (opts.players < opts.maxClients) opts.nonClients.push_back(opts.maxClients);
    }
    if (auto it = outside(opts.nonClients); it != opts.nonClients.end()) {
        error = "--non-clients: slot " + std::to_string(*it) + " is outside 1.." + std::to_string(opts.maxClients);
        return false;
    }
    if (auto it = outside(opts.admins); it != opts.admins.end()) {
        error = "--admins: slot " + std::to_string(*it) + " is outside 1.." + std::to_string(opts.maxClients);
        return false;
    }
    const int free = opts.maxClients - static_cast<int>(opts.nonClients.size());
    if (opts.players > free) {
        error = "--players: " + std::to_string(opts.players) + " players do not fit in " +
                std::to_string(opts.maxClients) + " slots with " + std::to_string(opts.nonClients.size()) +
                " non-clients";
        return false;
    }
    if (!opts.timeline.empty()) {
        const std::size_t slash = opts.timeline.rfind('/');
        const std::string dir = slash == std::string::npos ? "." : opts.timeline.substr(0, slash + 1);
        if (access(dir.c_str(), W_OK | X_OK) != 0) {
            error = "--timeline: cannot write into directory " + dir;
            return false;
        }
    }
    return true;
}

std::vector<int> clientSlots(const Options &opts) {
    std::vector<int> slots;
    const std::set<int> others(opts.nonClients.begin(), opts.nonClients.end());
    for (int n = 1; n <= opts.maxClients && static_cast<int>(slots.size()) < opts.players; ++n)
        if (others.count(n) == 0) slots.push_back(n);
    return slots;
}

std::string helpText() {
    return R"(Usage: quorvex-sim [OPTION]...
Load the Quorvex_PLG module into a simulated Team Fortress Classic server,
play maps frame by frame, and show everything the module does, decoded.

Without options it plays the default scenario: 16 player slots, 12 clients
(slot 1 an admin), slot 16 an entity that is not a client, one 30-minute map
at 100 frames per second, seed 1, and the admin typing "!eventtest" at 60 s.

Module and server:
      --plugin PATH        module to load (default: Quorvex_PLG next to this program)
      --seed N             seed of the server's random numbers (default 1)
      --fps N              server frames per second, 1 to 10000 (default 100)
      --max-clients N      player slots, 1 to 256 (default 16)
      --players N          clients connected at each map start, in the lowest
                           free slots (default 12)
      --admins LIST        slots whose players have access, e.g. 1,3,5-7 (default 1)
      --non-clients LIST   slots holding an entity that is not a client
                           (default: the highest slot, if the players leave it free)
      --tag TEXT           host tag shown in chat lines (default Quorvex)
      --cvar NAME=VALUE    set a server variable before the run (repeatable)
      --maps N             maps to play, 1 to 1000 (default 1, or as many as the
                           scenario's map changes need)
      --map-minutes M      length of each map in minutes (default 30)
      --scenario FILE      timed actions, one a line (see the README)

Output:
      --format text|jsonl  readable timeline, or one JSON object a line (default text)
      --timeline FILE.svg  also draw the events as an SVG picture, written only
                           when the run succeeds
  -q, --quiet              print the summary only
  -h, --help               show this help and exit
  -V, --version            show the version and exit

Scenario lines (times are server seconds within the current map):
  <seconds> say <slot> <text>          <seconds> say_team <slot> <text>
  <seconds> cmd <slot> <word> [args...]
  <seconds> map                        <seconds> cvar <name> <value>
  <seconds> connect <slot>             <seconds> disconnect <slot>
  <seconds> access <slot> on|off       # a comment

Exit status:
  0  the run finished and the module framed every message soundly
  1  the run finished but found framing errors
  2  bad usage, a module that cannot be loaded, or a bad scenario
)";
}

}  // namespace qvcli
