// harness.cpp: the shared fuzzing session around the real module.
#include "harness.h"

#include <cstdio>
#include <cstdlib>

namespace qvfuzz {

namespace {

qvsim::Module &loadedModule() {
    static qvsim::Module mod;
    if (!mod.loaded() && !mod.load(QV_MODULE_PATH)) {
        std::fprintf(stderr, "fuzz: %s\n", mod.error().c_str());
        std::abort();
    }
    return mod;
}

}  // namespace

Session::Session() : mod(loadedModule()) {
    host.install();
    for (int n = 1; n <= 16; ++n) host.setSlot(n, n <= 12 ? qvsim::SlotKind::Client : qvsim::SlotKind::Empty);
    host.setSlot(16, qvsim::SlotKind::NonClient);
    host.setAccess(1, true);
    mod.giveFuncs(host.table());
    mapStart();
}

Session::~Session() { mod.giveFuncs(nullptr); }

void Session::mapStart() {
    check.begin(qvsim::InvariantChecker::Call::MapStart);
    mod.mapInit();
    check.end();
}

void Session::frame() {
    if (spent()) return;
    ++frames_;
    check.begin(qvsim::InvariantChecker::Call::Frame);
    mod.think();
    check.end();
    // Records are only for the checker, which is done with them.
    if (host.effects().size() > 4096) host.clearRecords();
}

void Session::command(int n) {
    check.begin(qvsim::InvariantChecker::Call::Command);
    mod.clientCommand(host.entity(n));
    check.end();
}

bool Session::spent() const {
    const qvsim::InvariantStats &st = check.stats();
    return frames_ >= kMaxFrames || st.messages + st.chatLines + st.cvarSets >= kMaxEffects;
}

void Session::finish() {
    // QV_FUZZ_STATS=1 tells what one input made the module do, for a look at a single input.
    static const bool stats = std::getenv("QV_FUZZ_STATS") != nullptr;
    if (stats) {
        const qvsim::InvariantStats &st = check.stats();
        std::fprintf(stderr, "fuzz: %llu frames (%llu timed), %llu commands, %llu map starts, %llu messages, "
                     "%llu chat lines, %llu random calls, %llu forced\n",
                     static_cast<unsigned long long>(st.frames), static_cast<unsigned long long>(st.timedFrames),
                     static_cast<unsigned long long>(st.commands), static_cast<unsigned long long>(st.mapStarts),
                     static_cast<unsigned long long>(st.messages), static_cast<unsigned long long>(st.chatLines),
                     static_cast<unsigned long long>(st.randomCalls), static_cast<unsigned long long>(st.forced));
    }
    if (check.ok()) return;
    std::fprintf(stderr, "fuzz: %llu invariant violations:\n", static_cast<unsigned long long>(check.violationCount()));
    for (const std::string &v : check.violations()) std::fprintf(stderr, "  %s\n", v.c_str());
    std::abort();
}

}  // namespace qvfuzz
