// options.h: the command line of quorvex-sim, parsed and checked into one Options value.
#ifndef QVCLI_OPTIONS_H
#define QVCLI_OPTIONS_H

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace qvcli {

enum class Format { Text, Jsonl };

struct Options {
    std::string plugin;              // path of the module to load
    std::uint32_t seed = 1;
    int fps = 100;
    int maxClients = 16;
    int players = 12;
    std::vector<int> admins{1};
    std::vector<int> nonClients;     // filled by check() when not given
    bool nonClientsGiven = false;
    std::string tag = "Quorvex";
    std::vector<std::pair<std::string, float>> cvars;  // in command-line order
    int maps = 1;
    bool mapsGiven = false;
    double mapMinutes = 30;
    std::string scenario;            // empty: the built-in default scenario
    Format format = Format::Text;
    std::string timeline;            // SVG path, empty for none
    bool quiet = false;
    bool help = false;
    bool version = false;
};

// Limits of the values the options accept.
constexpr int kMaxFps = 10000;
constexpr int kMaxMaps = 1000;
constexpr double kMaxMapMinutes = 24 * 60;

// Parses argv[1..] (GNU style: --name VALUE, --name=VALUE, unique
// abbreviations, -h, -V, -q, "--").  On failure returns false with `error`
// naming the option and the problem.  `plugin` is set only when given.
bool parseOptions(const std::vector<std::string> &args, Options &opts, std::string &error);

// Cross-checks the parsed values (slot lists against the slot count, the
// timeline's directory) and fills defaults that depend on others.
bool checkOptions(Options &opts, std::string &error);

// The slots the players occupy: the first `players` slots that are not
// non-clients.
std::vector<int> clientSlots(const Options &opts);

std::string helpText();

}  // namespace qvcli

#endif
