// sink.h: what a run reports, in order, to the formatters, the summary and the timeline picture.
#ifndef QVCLI_SINK_H
#define QVCLI_SINK_H

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "inference.h"
#include "options.h"
#include "qvsim/decode.h"
#include "qvsim/sim_host.h"
#include "scenario.h"

namespace qvcli {

// The engine's name of a message destination, "" if it has none.
inline const char *destinationName(int dest) {
    static const char *const names[] = {"MSG_BROADCAST", "MSG_ONE", "MSG_ALL", "MSG_INIT", "MSG_PVS",
                                        "MSG_PAS", "MSG_PVS_R", "MSG_PAS_R", "MSG_ONE_UNRELIABLE", "MSG_SPEC"};
    return dest >= 0 && dest <= 9 ? names[dest] : "";
}

// Where in the run something happened.
struct Stamp {
    int map = 0;      // 1-based
    float time = 0;   // server time
    CallKind call = CallKind::Think;  // entry point running at the time
};

struct RunInfo {
    const Options *options = nullptr;
    std::string plugin;             // as loaded
    std::vector<int> clients;       // slots with a client at each map start
    std::string scenario;           // file name, empty for the default
    int maps = 1;
    double mapSeconds = 0;
};

// One effect of the module, with what the formatters need to show it.
struct EffectNote {
    qvsim::Effect::Kind kind = qvsim::Effect::MessageSent;
    const qvsim::Message *message = nullptr;
    const qvsim::Decoded *decoded = nullptr;
    const qvsim::ChatLine *chat = nullptr;
    const qvsim::ItemGiven *item = nullptr;
    const qvsim::ConsoleCommand *command = nullptr;
    const qvsim::CvarSet *cvar = nullptr;
    float previous = 0;             // the variable's value before a cvar set
    const qvsim::FramingError *framing = nullptr;
};

struct RunEnd {
    std::map<std::string, float> cvars;  // final server variables
    std::size_t framingErrors = 0;       // the host's count plus undecodable payloads
    std::size_t strayCalls = 0;          // calls to slots this host does not provide
    long long frames = 0;
    std::vector<float> mapLengths;       // server time of each map's last frame
};

class Sink {
public:
    virtual ~Sink() = default;
    virtual void runStart(const RunInfo &) {}
    virtual void mapStart(const Stamp &) {}
    virtual void input(const Stamp &, const Action &) {}
    virtual void event(const Stamp &, const EventNote &) {}
    virtual void effect(const Stamp &, const EffectNote &) {}
    virtual void finish(const RunEnd &) {}
};

}  // namespace qvcli

#endif
