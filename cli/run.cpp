// run.cpp: the run loop: map starts, scenario actions and frames on a simulated host, effects to the sinks.
#include "run.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>

#include "qvsim/decode.h"

namespace qvcli {

namespace {

// Scenario actions at time t run before the first frame at or after t.
long long frameFor(double t, int fps) {
    const long long f = static_cast<long long>(std::ceil(t * fps - 1e-9));
    return f < 1 ? 1 : f;
}

float frameTime(long long frame, int fps) {
    return static_cast<float>(static_cast<double>(frame) / fps);
}

class Runner {
public:
    Runner(const Options &opts, qvsim::Module &module, const std::vector<Sink *> &sinks)
        : opts_(opts), module_(module), sinks_(sinks), host_(opts.maxClients, opts.seed) {}

    std::size_t run(const Scenario &scenario, int maps);

private:
    void setUpSlots();
    void connectClient(int slot);
    void perform(const Action &a);
    // Runs one entry point and reports what it did.
    void call(CallKind kind, const std::function<void()> &fn);
    void report(const EventNote &n) {
        for (Sink *s : sinks_) s->event(stamp_, n);
    }

    const Options &opts_;
    qvsim::Module &module_;
    const std::vector<Sink *> &sinks_;
    qvsim::SimHost host_;
    EventTracker tracker_;
    Stamp stamp_;
    std::vector<qvsim::Effect> pending_;
    std::map<std::string, float> known_;  // variable values as last set by anyone
    std::size_t undecodable_ = 0;
};

void Runner::setUpSlots() {
    for (int n : opts_.nonClients) host_.setSlot(n, qvsim::SlotKind::NonClient);
    for (int n : clientSlots(opts_)) host_.setSlot(n, qvsim::SlotKind::Client);
    for (int n : opts_.admins) host_.setAccess(n, true);
}

void Runner::connectClient(int slot) {
    const std::string name = "Player" + std::to_string(slot);
    const std::string address = "192.0.2." + std::to_string(slot % 250 + 1) + ":27005";
    call(CallKind::Connect, [&] { module_.clientConnect(host_.entity(slot), name.c_str(), address.c_str()); });
}

void Runner::perform(const Action &a) {
    const bool command = a.verb == Verb::Say || a.verb == Verb::SayTeam || a.verb == Verb::Cmd;
    stamp_.call = command ? CallKind::Command : a.verb == Verb::Connect ? CallKind::Connect : CallKind::None;
    for (Sink *s : sinks_) s->input(stamp_, a);
    switch (a.verb) {
    case Verb::Say:
    case Verb::SayTeam:
    case Verb::Cmd:
        host_.setCommand(a.argv);
        call(CallKind::Command, [&] { module_.clientCommand(host_.entity(a.slot)); });
        break;
    case Verb::Cvar:
        host_.setCvar(a.name, a.value);
        known_[a.name] = a.value;
        break;
    case Verb::Connect:
        host_.setSlot(a.slot, qvsim::SlotKind::Client);
        connectClient(a.slot);
        break;
    case Verb::Disconnect:
        host_.setSlot(a.slot, qvsim::SlotKind::Empty);
        host_.setAccess(a.slot, false);
        break;
    case Verb::Access:
        host_.setAccess(a.slot, a.on);
        break;
    case Verb::Map:
        break;  // the run loop changes the map
    }
}

void Runner::call(CallKind kind, const std::function<void()> &fn) {
    pending_.clear();
    stamp_.call = kind;
    fn();

    std::vector<qvsim::Decoded> decoded(pending_.size());
    std::vector<Observed> observed(pending_.size());
    for (std::size_t i = 0; i < pending_.size(); ++i) {
        const qvsim::Effect &e = pending_[i];
        if (e.kind == qvsim::Effect::MessageSent) {
            decoded[i] = qvsim::decode(host_.messages()[e.index], host_);
            if (!decoded[i].error.empty()) ++undecodable_;
            if (decoded[i].kind == "TE_TEXTMESSAGE")
                for (const qvsim::Field &f : decoded[i].fields)
                    if (f.isText) observed[i].announcement = f.text;
        } else if (e.kind == qvsim::Effect::Cvar) {
            observed[i].cvar = host_.cvarSets()[e.index].name;
        }
    }

    for (const Item &item : tracker_.call(kind, host_.time(), observed)) {
        if (item.note) {
            report(*item.note);
            continue;
        }
        const qvsim::Effect &e = pending_[item.effect];
        EffectNote n;
        n.kind = e.kind;
        switch (e.kind) {
        case qvsim::Effect::MessageSent:
            n.message = &host_.messages()[e.index];
            n.decoded = &decoded[item.effect];
            break;
        case qvsim::Effect::Chat:
            n.chat = &host_.chat()[e.index];
            break;
        case qvsim::Effect::Item:
            n.item = &host_.items()[e.index];
            break;
        case qvsim::Effect::Command:
            n.command = &host_.commands()[e.index];
            break;
        case qvsim::Effect::Cvar: {
            n.cvar = &host_.cvarSets()[e.index];
            auto it = known_.find(n.cvar->name);
            n.previous = it == known_.end() ? 0.0f : it->second;
            known_[n.cvar->name] = n.cvar->value;
            break;
        }
        case qvsim::Effect::Framing:
            n.framing = &host_.framingErrors()[e.index];
            break;
        }
        for (Sink *s : sinks_) s->effect(stamp_, n);
    }
    pending_.clear();
}

std::size_t Runner::run(const Scenario &scenario, int maps) {
    host_.install();
    host_.setTag(opts_.tag);
    for (const auto &[name, value] : opts_.cvars) host_.setCvar(name, value);
    known_ = host_.cvars();
    setUpSlots();
    host_.setListener([this](const qvsim::Effect &e) { pending_.push_back(e); });

    RunInfo info;
    info.options = &opts_;
    info.plugin = module_.path();
    info.clients = clientSlots(opts_);
    info.scenario = scenario.file;
    info.maps = maps;
    info.mapSeconds = opts_.mapMinutes * 60;
    for (Sink *s : sinks_) s->runStart(info);

    stamp_ = Stamp{1, 0, CallKind::GiveFuncs};
    call(CallKind::GiveFuncs, [&] { module_.giveFuncs(host_.table()); });
    call(CallKind::GameDLLInit, [&] { module_.gameDLLInit(); });

    RunEnd end;
    const long long mapFrames = std::max(1LL, std::llround(opts_.mapMinutes * 60 * opts_.fps));
    std::size_t next = 0;  // next scenario action
    for (int map = 1; map <= maps; ++map) {
        host_.setTime(0);
        stamp_ = Stamp{map, 0, CallKind::MapInit};
        for (Sink *s : sinks_) s->mapStart(stamp_);
        call(CallKind::MapInit, [&] { module_.mapInit(); });
        // The engine connects every client again at each map start.
        for (int slot = 1; slot <= opts_.maxClients; ++slot)
            if (host_.slot(slot) == qvsim::SlotKind::Client) connectClient(slot);

        float last = 0;
        bool changed = false;
        for (long long frame = 1; frame <= mapFrames && !changed; ++frame) {
            const float now = frameTime(frame, opts_.fps);
            host_.setTime(now);
            stamp_.time = now;
            // Actions are checked to lie within the map, so none spills over.
            while (next < scenario.actions.size() &&
                   std::min(frameFor(scenario.actions[next].time, opts_.fps), mapFrames) <= frame) {
                const Action &a = scenario.actions[next++];
                perform(a);
                if (a.verb == Verb::Map) {
                    changed = true;
                    break;
                }
            }
            if (changed) break;
            call(CallKind::Think, [&] { module_.think(); });
            last = now;
            ++end.frames;
        }
        if (changed) last = host_.time();
        end.mapLengths.push_back(last);
        stamp_.time = last;
        stamp_.call = CallKind::None;
        if (map < maps) {
            if (auto n = tracker_.mapChange()) report(*n);
        } else if (auto n = tracker_.finish()) {
            report(*n);
        }
    }

    end.cvars = host_.cvars();
    end.framingErrors = host_.framingErrorCount() + undecodable_;
    end.strayCalls = host_.strayCalls().size();
    for (Sink *s : sinks_) s->finish(end);
    host_.setListener(nullptr);
    return end.framingErrors;
}

}  // namespace

std::size_t runSimulation(const Options &opts, const Scenario &scenario, int maps, qvsim::Module &module,
                          const std::vector<Sink *> &sinks) {
    Runner runner(opts, module, sinks);
    return runner.run(scenario, maps);
}

}  // namespace qvcli
