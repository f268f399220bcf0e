// invariants.h: watches what a SimHost sees from the module and flags every broken promise.
//
// The checker knows the module only from the outside: messages, chat lines,
// items, console lines, server-variable sets, RandomLong calls and answers,
// and the clock.  Events are recognised from their announcement texts.  The
// driver brackets every entry-point call with begin()/end(); effects arrive
// through the host's listener, RandomLong calls are read back from the host's
// record in call order.  Records may be cleared between calls.
//
// Always checked: framing (no nesting, every begin ended within its call),
// payload size and layout per message kind, chat lines of at most 255 bytes,
// weapons, tints and events being rows of their tables (and the rows the
// clamped draws named), at most one event at a time, every frame-time end
// followed by the next-start draw, and server variables back to their saved
// value after an event ends.  Checked only while the clock is sane (finite,
// not negative, not running backwards since the reference time was taken):
// an event ends in the first frame at or after its end time, and a random
// start comes in the first frame at or after the drawn 300 to 420 s pause.
#ifndef QVSIM_INVARIANTS_H
#define QVSIM_INVARIANTS_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "qvsim/event_kinds.h"
#include "qvsim/sim_host.h"

namespace qvsim {

struct WeaponRow {
    const char *line;  // printf format, %s is the host tag
    const char *item;
};
extern const std::array<WeaponRow, 6> weaponRows;

struct TintRow {
    std::uint8_t r, g, b;
};
extern const std::array<TintRow, 6> tintRows;

// The longest chat line a player's client takes.
constexpr std::size_t kMaxChatBytes = 255;

struct InvariantStats {
    std::uint64_t frames = 0;
    std::uint64_t timedFrames = 0;  // frames where the timing invariants were checked
    std::uint64_t commands = 0;
    std::uint64_t mapStarts = 0;
    std::uint64_t messages = 0;
    std::uint64_t chatLines = 0;
    std::uint64_t items = 0;
    std::uint64_t cvarSets = 0;
    std::uint64_t randomCalls = 0;
    std::array<std::uint64_t, 7> started{};  // by event number
    std::array<std::uint64_t, 7> ended{};
    std::array<std::uint64_t, 7> dropped{};  // by a map change
    std::uint64_t forced = 0;
};

class InvariantChecker {
public:
    enum class Call { None, MapStart, Frame, Command };

    // Becomes the host's listener until destroyed.
    explicit InvariantChecker(SimHost &host);
    ~InvariantChecker();
    InvariantChecker(const InvariantChecker &) = delete;
    InvariantChecker &operator=(const InvariantChecker &) = delete;

    void begin(Call call);
    void end();

    bool ok() const { return violationCount_ == 0; }
    std::uint64_t violationCount() const { return violationCount_; }
    // The first violations, each "t=<time> <what>"; later ones are only counted.
    const std::vector<std::string> &violations() const { return violations_; }
    const InvariantStats &stats() const { return stats_; }
    // The running event, 0 if none.
    int running() const { return phase_ == Phase::Running ? event_ : 0; }

private:
    enum class Phase { Unscheduled, Waiting, Running };

    void onEffect(const Effect &e);
    void flushRandom();
    void onRandom(const SimHost::RandomCall &c);
    void onMessage(const Message &m);
    void onAnnouncement(const std::string &text);
    void onChat(const ChatLine &c);
    void onItem(const ItemGiven &i);
    void onCvar(const CvarSet &c);
    void onCommand(const ConsoleCommand &c);
    void startEvent(int n);
    void endEvent();
    void fail(const std::string &what);
    float cvarNow(const char *name) const;

    SimHost &host_;
    std::vector<std::string> violations_;
    std::uint64_t violationCount_ = 0;
    InvariantStats stats_;

    // Across calls.
    Phase phase_ = Phase::Unscheduled;
    int event_ = 0;
    bool timingKnown_ = false;
    float nextStart_ = 0;
    float endAt_ = 0;
    float savedCvar_ = 0;
    bool haveLast_ = false;
    float lastTime_ = 0;

    // Within the call.
    Call call_ = Call::None;
    float now_ = 0;
    bool nowSane_ = false;
    std::size_t randomSeen_ = 0;
    int live_ = 0;            // event whose actions may act now (running or ended in this call)
    int picked_ = 0;          // frame draw of the event, awaiting its start text
    bool announced_ = false;  // the picked or forced event's start text came
    int startedNow_ = 0;      // event started in this call
    int endedEvent_ = 0;
    float endedSaved_ = 0;
    int weaponRow_ = -1;   // drawn, awaiting its chat line
    int itemRow_ = -1;     // line printed, awaiting its item
    int itemSlot_ = 0;
    int tintRow_ = -1;
    bool awaitingDraw_ = false;  // ended in this frame, the next-start draw is due
    bool forcedEnd_ = false;     // ended by the test command, the random weapon is due
    bool mapDrawn_ = false;
    Phase phaseAtBegin_ = Phase::Unscheduled;
    bool timedAtBegin_ = false;
    float nextAtBegin_ = 0;
    std::array<float, 7> cvarAtBegin_{};          // by event number
    std::array<const float *, 7> cvarSlot_{};     // the host's value of each event's variable
};

}  // namespace qvsim

#endif
