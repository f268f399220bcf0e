// invariants.cpp: the module's promises checked against what the simulated host records.
#include "qvsim/invariants.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>


namespace qvsim {

const std::array<WeaponRow, 6> weaponRows{{
    {"[%s] You got the tranquilizer gun.\n", "tf_weapon_tranq"},
    {"[%s] You got the AC.\n", "tf_weapon_ac"},
    {"[%s] You got the rocket launcher.\n", "tf_weapon_rpg"},
    {"[%s] You got the knife.\n", "tf_weapon_knife"},
    {"[%s] You got the flamethrower.\n", "tf_weapon_flamethrower"},
    {"[%s] You got the auto rifle.\n", "tf_weapon_autorifle"},
}};

const std::array<TintRow, 6> tintRows{{
    {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}, {0, 255, 255}, {255, 0, 255},
}};

namespace {

// Message kinds the module may send, with the engine's size limits for each
// and the event whose actions send it (0: any event's announcement).
struct MessageKind {
    const char *name;
    int tempEntity;       // first payload byte for SVC_TEMPENTITY kinds, -1 for user messages
    const char *userMsg;  // user message name, or null
    int dest;
    std::size_t minBytes, maxBytes;
    int event;
};

// The text message is 23 fixed bytes and the NUL-terminated text; the whole
// message must fit the engine's 512-byte buffer.
const MessageKind messageKinds[] = {
    {"TE_TEXTMESSAGE", TE_TEXTMESSAGE, nullptr, MSG_ALL, 24, MAX_MSG_PAYLOAD, 0},
    {"TE_BEAMFOLLOW", TE_BEAMFOLLOW, nullptr, MSG_ALL, 11, 11, 2},
    {"TE_KILLBEAM", TE_KILLBEAM, nullptr, MSG_ALL, 3, 3, 2},
    {"ScreenShake", -1, "ScreenShake", MSG_ALL, SCREENSHAKE_BYTES, SCREENSHAKE_BYTES, 3},
    {"ScreenFade", -1, "ScreenFade", MSG_ONE, SCREENFADE_BYTES, SCREENFADE_BYTES, 4},
};

// RandomLong calls the module makes, by their bounds.
enum class Draw { NextStart, OneToSix, Colour, Unknown };

Draw drawOf(int low, int high) {
    if (low == 300 && high == 420) return Draw::NextStart;
    if (low == 1 && high == 6) return Draw::OneToSix;
    if (low == 0 && high == 255) return Draw::Colour;
    return Draw::Unknown;
}

// What the module makes of a host answer: clamped into the bounds.
int clampAnswer(int answer, int low, int high) { return answer < low ? low : (answer > high ? high : answer); }

bool sameFloat(float a, float b) {
    if (std::isnan(a) && std::isnan(b)) return true;
    return std::memcmp(&a, &b, sizeof a) == 0;
}

std::string num(double v) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.9g", v);
    return buf;
}

}  // namespace

InvariantChecker::InvariantChecker(SimHost &host) : host_(host) {
    // The host never removes a server variable, so a value found now stays
    // where it is; read through it, each frame costs no lookup.
    for (const EventKind &k : eventKinds) {
        if (!k.cvar) continue;
        auto it = host_.cvars().find(k.cvar);
        if (it != host_.cvars().end()) cvarSlot_[k.number] = &it->second;
    }
    host_.setListener([this](const Effect &e) { onEffect(e); });
}

InvariantChecker::~InvariantChecker() { host_.setListener(nullptr); }

void InvariantChecker::fail(const std::string &what) {
    ++violationCount_;
    if (violations_.size() < 64) violations_.push_back("t=" + num(now_) + " " + what);
}

float InvariantChecker::cvarNow(const char *name) const {
    const auto &vars = host_.cvars();
    auto it = vars.find(name);
    return it == vars.end() ? 0.0f : it->second;
}

void InvariantChecker::begin(Call call) {
    if (call_ != Call::None) fail("a call began inside another");
    call_ = call;
    now_ = host_.time();
    randomSeen_ = host_.randomCalls().size();
    live_ = phase_ == Phase::Running ? event_ : 0;
    picked_ = startedNow_ = endedEvent_ = 0;
    announced_ = awaitingDraw_ = forcedEnd_ = mapDrawn_ = false;
    weaponRow_ = itemRow_ = tintRow_ = -1;
    // The value an event's start will save: nothing changes it inside the call
    // but the module itself.
    for (const EventKind &k : eventKinds)
        if (k.cvar) cvarAtBegin_[k.number] = cvarSlot_[k.number] ? *cvarSlot_[k.number] : cvarNow(k.cvar);

    const bool finite = std::isfinite(now_) && now_ >= 0.0f;
    if (call == Call::MapStart) {
        // The host restarts the clock with each map: going back is sound here.
        nowSane_ = finite;
        haveLast_ = finite;
        lastTime_ = now_;
        ++stats_.mapStarts;
        if (phase_ == Phase::Running) ++stats_.dropped[event_];
        phase_ = Phase::Waiting;
        timingKnown_ = false;
        live_ = 0;
    } else {
        const bool monotonic = !haveLast_ || now_ >= lastTime_;
        nowSane_ = finite && monotonic;
        if (!nowSane_) timingKnown_ = false;
        if (finite) {
            lastTime_ = now_;
            haveLast_ = true;
        }
    }
    phaseAtBegin_ = phase_;
    timedAtBegin_ = timingKnown_ && nowSane_;
    nextAtBegin_ = nextStart_;
    if (call == Call::Frame) {
        ++stats_.frames;
        if (timedAtBegin_) ++stats_.timedFrames;
    } else if (call == Call::Command) {
        ++stats_.commands;
    }
}

void InvariantChecker::end() {
    flushRandom();
    if (host_.messageOpen()) fail("a message was left open at the end of the call");
    if (picked_ && !announced_) fail(std::string(eventKinds[picked_].name) + " was drawn but its start text never came");
    if (forcedEnd_ && startedNow_ != 5) fail("a forced end without the random weapon starting");
    if (awaitingDraw_) fail("an event ended in a frame without drawing the next start");
    if (weaponRow_ >= 0) fail("a weapon was drawn but no chat line followed");
    if (itemRow_ >= 0) fail("a weapon chat line without its item");
    if (startedNow_ == 4 && tintRow_ < 0) fail("colored view started without drawing a tint");
    if (call_ == Call::MapStart && !mapDrawn_) fail("a map start without drawing the first start");

    if (endedEvent_ != 0) {
        const EventKind &k = eventKinds[endedEvent_];
        const float v = cvarNow(k.cvar);
        if (!sameFloat(v, endedSaved_))
            fail(std::string(k.cvar) + " is " + num(v) + " after " + k.name + " ended; its saved value was " +
                 num(endedSaved_));
    }

    if (call_ == Call::Frame) {
        if (phaseAtBegin_ == Phase::Waiting && timedAtBegin_ && startedNow_ == 0 && now_ >= nextAtBegin_)
            fail("no event started in the first frame at or after the next start " + num(nextAtBegin_));
        if (phase_ == Phase::Running && timingKnown_ && nowSane_ && now_ >= endAt_)
            fail(std::string(eventKinds[event_].name) + " did not end in the first frame at or after " + num(endAt_));
    }
    call_ = Call::None;
}

void InvariantChecker::flushRandom() {
    const auto &calls = host_.randomCalls();
    // Records cleared inside a call would lose draws: start over from there.
    if (randomSeen_ > calls.size()) randomSeen_ = 0;
    while (randomSeen_ < calls.size()) onRandom(calls[randomSeen_++]);
}

void InvariantChecker::onEffect(const Effect &e) {
    flushRandom();
    if (call_ == Call::None) fail("an effect outside any entry-point call");
    if (call_ == Call::MapStart && e.kind != Effect::Framing) fail("a map start caused an effect");
    switch (e.kind) {
    case Effect::MessageSent: onMessage(host_.messages()[e.index]); break;
    case Effect::Chat: onChat(host_.chat()[e.index]); break;
    case Effect::Item: onItem(host_.items()[e.index]); break;
    case Effect::Command: onCommand(host_.commands()[e.index]); break;
    case Effect::Cvar: onCvar(host_.cvarSets()[e.index]); break;
    case Effect::Framing: fail("framing: " + host_.framingErrors()[e.index].what); break;
    }
}

void InvariantChecker::startEvent(int n) {
    const EventKind &k = eventKinds[n];
    phase_ = Phase::Running;
    event_ = live_ = startedNow_ = n;
    ++stats_.started[n];
    endAt_ = k.length + now_;
    timingKnown_ = nowSane_;
    if (k.cvar) savedCvar_ = cvarAtBegin_[n];
}

void InvariantChecker::endEvent() {
    const EventKind &k = eventKinds[event_];
    if (call_ == Call::Frame && timingKnown_ && nowSane_ && now_ < endAt_)
        fail(std::string(k.name) + " ended before its end time " + num(endAt_));
    ++stats_.ended[event_];
    if (k.cvar) {
        endedEvent_ = event_;
        endedSaved_ = savedCvar_;
    }
    phase_ = Phase::Waiting;
    timingKnown_ = false;
}

void InvariantChecker::onRandom(const SimHost::RandomCall &c) {
    ++stats_.randomCalls;
    const Draw draw = drawOf(c.low, c.high);
    const int r = clampAnswer(c.answer, c.low, c.high);
    switch (draw) {
    case Draw::NextStart:
        if (call_ == Call::MapStart) {
            if (mapDrawn_) fail("a map start drew its first start twice");
            mapDrawn_ = true;
            nextStart_ = static_cast<float>(r);  // absolute: the clock restarts with the map
            timingKnown_ = true;
            return;
        }
        if (call_ != Call::Frame) {
            fail("the next start was drawn outside a frame or map start");
            return;
        }
        if (!awaitingDraw_) {
            if (phase_ != Phase::Running) {
                fail("the next start was drawn with no event ending");
                return;
            }
            if (eventKinds[event_].endText)
                fail(std::string(eventKinds[event_].name) + " ended without its end text");
            endEvent();
        }
        awaitingDraw_ = false;
        nextStart_ = static_cast<float>(r) + now_;
        timingKnown_ = nowSane_;
        return;
    case Draw::OneToSix:
        if (call_ == Call::Frame && startedNow_ == 0 && picked_ == 0) {
            if (phaseAtBegin_ == Phase::Unscheduled || phase_ == Phase::Unscheduled)
                fail("a random start before the first map start");
            else if (phase_ == Phase::Running)
                fail(std::string("an event was drawn while ") + eventKinds[event_].name + " runs");
            else if (timedAtBegin_ && phaseAtBegin_ == Phase::Waiting && now_ < nextAtBegin_)
                fail("an event started before the next start " + num(nextAtBegin_));
            picked_ = r;
            startEvent(r);
            return;
        }
        if (startedNow_ == 4 && tintRow_ < 0) {
            tintRow_ = r - 1;
            return;
        }
        if (startedNow_ == 5 && announced_) {
            if (weaponRow_ >= 0 || itemRow_ >= 0) fail("a weapon was drawn before the last one reached its player");
            weaponRow_ = r - 1;
            return;
        }
        fail("RandomLong(1, 6) outside an event pick, tint or weapon draw");
        return;
    case Draw::Colour:
        if (startedNow_ != 2) fail("RandomLong(0, 255) outside the trails start");
        return;
    case Draw::Unknown:
        fail("RandomLong(" + std::to_string(c.low) + ", " + std::to_string(c.high) + ") is not a draw of the module");
        return;
    }
}

void InvariantChecker::onMessage(const Message &m) {
    ++stats_.messages;
    for (const std::string &err : m.errors) fail("message refused by the engine: " + err);

    const MessageKind *kind = nullptr;
    for (const MessageKind &k : messageKinds) {
        if (k.tempEntity >= 0 ? (m.type == SVC_TEMPENTITY && !m.payload.empty() && m.payload[0] == k.tempEntity)
                              : host_.userMsgName(m.type) == std::optional<std::string>(k.userMsg)) {
            kind = &k;
            break;
        }
    }
    if (kind == nullptr) {
        fail("a message of no known kind (type " + std::to_string(m.type) + ")");
        return;
    }
    if (m.payload.size() < kind->minBytes || m.payload.size() > kind->maxBytes)
        fail(std::string(kind->name) + " payload of " + std::to_string(m.payload.size()) + " bytes, limits " +
             std::to_string(kind->minBytes) + ".." + std::to_string(kind->maxBytes));
    if (m.dest != kind->dest) fail(std::string(kind->name) + " sent to destination " + std::to_string(m.dest));
    const std::vector<std::uint8_t> &p = m.payload;
    if (kind->event == 0) {
        // Wire layout: kind, channel, x, y, effect, two colours, fade-in,
        // fade-out, hold, the effect time only for effect 2, then the text.
        const std::size_t textAt = p.size() > 6 && p[6] == 2 ? 23 : 21;
        const auto nul = p.size() > textAt ? std::find(p.begin() + static_cast<long>(textAt), p.end(), 0) : p.end();
        if (nul == p.end() || nul + 1 != p.end()) {
            fail("TE_TEXTMESSAGE whose text is not one NUL-terminated string at its end");
            return;
        }
        onAnnouncement(std::string(p.begin() + static_cast<long>(textAt), nul));
        return;
    }
    if (live_ != kind->event) {
        fail(std::string(kind->name) + " sent " +
             (live_ ? std::string("during ") + eventKinds[live_].name : std::string("with no event")));
        return;
    }
    if (kind->event == 4 && p.size() == SCREENFADE_BYTES) {
        // A fade before the start text tints; every other one clears.  The
        // colour follows duration, hold time and flags.
        const int r = p[6], g = p[7], b = p[8];
        if (startedNow_ == 4 && !announced_) {
            if (tintRow_ < 0)
                fail("a tint was sent before any was drawn");
            else if (r != tintRows[tintRow_].r || g != tintRows[tintRow_].g || b != tintRows[tintRow_].b)
                fail("the tint " + std::to_string(r) + "," + std::to_string(g) + "," + std::to_string(b) +
                     " is not row " + std::to_string(tintRow_ + 1) + " of the tint table");
        } else if (r != 0 || g != 0 || b != 0) {
            fail("the fade that clears the tint is not black");
        }
    }
}

void InvariantChecker::onAnnouncement(const std::string &text) {
    int n = 0;
    bool isStart = false;
    for (const EventKind &k : eventKinds) {
        if (k.startText && text == k.startText) n = k.number, isStart = true;
        if (k.endText && text == k.endText) n = k.number;
    }
    if (n == 0) {
        fail("announcement not in the event table: \"" + text + "\"");
        return;
    }
    const EventKind &k = eventKinds[n];
    if (isStart) {
        if (call_ == Call::Frame) {
            if (startedNow_ != n || announced_)
                fail(std::string(k.name) + " announced without being drawn" +
                     (picked_ ? std::string(" (") + eventKinds[picked_].name + " was)" : std::string()));
            announced_ = true;
            return;
        }
        if (call_ != Call::Command || n != 5) {
            fail(std::string(k.name) + " started outside a frame or the test command");
            return;
        }
        if (startedNow_ != 0) fail("two events forced in one command");
        if (phase_ == Phase::Running) {
            if (eventKinds[event_].endText)
                fail(std::string("random weapon forced while ") + eventKinds[event_].name + " still runs");
            endEvent();
        }
        ++stats_.forced;
        startEvent(5);
        announced_ = true;
        return;
    }
    if (phase_ != Phase::Running || event_ != n) {
        fail(std::string(k.name) + " ended while " +
             (phase_ == Phase::Running ? eventKinds[event_].name : "no event") + " runs");
        return;
    }
    endEvent();
    if (call_ == Call::Frame)
        awaitingDraw_ = true;
    else if (call_ == Call::Command)
        forcedEnd_ = true;
    else
        fail(std::string(k.name) + " ended outside a frame or the test command");
}

void InvariantChecker::onChat(const ChatLine &c) {
    ++stats_.chatLines;
    if (c.text.size() > kMaxChatBytes)
        fail("a chat line of " + std::to_string(c.text.size()) + " bytes, over " + std::to_string(kMaxChatBytes));
    if (!(startedNow_ == 5 && announced_)) {
        fail("a chat line outside the random weapon's start");
        return;
    }
    if (weaponRow_ < 0) {
        fail("a chat line without a weapon draw");
        return;
    }
    // What the host would answer for the tag right now.
    const char *tag = reinterpret_cast<HostGetTagFn>(host_.table()[SLOT_GetTag])();
    if (tag == nullptr) tag = "";
    std::vector<char> buf(std::strlen(tag) + 64);
    std::snprintf(buf.data(), buf.size(), weaponRows[static_cast<std::size_t>(weaponRow_)].line, tag);
    std::string expected(buf.data());
    if (expected.size() > kMaxChatBytes) expected.resize(kMaxChatBytes);
    if (c.text != expected || c.where != HUD_PRINTTALK)
        fail("the chat line is not row " + std::to_string(weaponRow_ + 1) + " of the weapon table");
    itemRow_ = weaponRow_;
    itemSlot_ = c.slot;
    weaponRow_ = -1;
}

void InvariantChecker::onItem(const ItemGiven &i) {
    ++stats_.items;
    if (itemRow_ < 0) {
        fail("an item given without its chat line");
        return;
    }
    if (i.slot != itemSlot_ || i.className != weaponRows[static_cast<std::size_t>(itemRow_)].item)
        fail("item " + i.className + " is not row " + std::to_string(itemRow_ + 1) + " of the weapon table");
    itemRow_ = -1;
}

void InvariantChecker::onCvar(const CvarSet &c) {
    ++stats_.cvarSets;
    const char *owned = live_ ? eventKinds[live_].cvar : nullptr;
    if (owned == nullptr || c.name != owned)
        fail("server variable " + c.name + " set " +
             (live_ ? std::string("during ") + eventKinds[live_].name : std::string("with no event")));
}

void InvariantChecker::onCommand(const ConsoleCommand &) {
    if (!(startedNow_ == 5 && announced_)) fail("a console command outside the random weapon's start");
}

}  // namespace qvsim
