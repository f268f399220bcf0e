// sim_host.cpp: the simulated host's world: slots, variables, random source, registries, records.
#include "qvsim/sim_host.h"

#include <stdexcept>

#include "slot_table.h"

namespace qvsim {

SimHost::SimHost(int maxClients, std::uint32_t seed) : maxClients_(maxClients), rng_(seed) {
    for (int n = 0; n <= kMaxSlots; ++n) handles_[n].index = n;
    kinds_.fill(SlotKind::Empty);
    cvars_["sv_gravity"] = 800.0f;
    cvars_["sv_maxspeed"] = 320.0f;
    registerUserMsg("ScreenShake", SCREENSHAKE_BYTES);
    registerUserMsg("ScreenFade", SCREENFADE_BYTES);
    fillSlotTable(slots_, &time_, &maxClients_);
}

SimHost::~SimHost() {
    if (installedHost() == this) setInstalledHost(nullptr);
}

void **SimHost::table() { return slots_; }
void SimHost::install() { setInstalledHost(this); }
SimHost *SimHost::installed() { return installedHost(); }

void SimHost::setSlot(int n, SlotKind kind) {
    if (!inStorage(n)) throw std::out_of_range("player slot " + std::to_string(n) + " is outside 1.." +
                                               std::to_string(kMaxSlots));
    kinds_[n] = kind;
}

SlotKind SimHost::slot(int n) const { return inStorage(n) ? kinds_[n] : SlotKind::Empty; }

void SimHost::setAccess(int n, bool granted) {
    if (!inStorage(n)) throw std::out_of_range("player slot " + std::to_string(n) + " is outside 1.." +
                                               std::to_string(kMaxSlots));
    access_[n] = granted;
}

bool SimHost::access(int n) const { return inStorage(n) && access_[n]; }

EntityHandle SimHost::entity(int n) const {
    if (slot(n) == SlotKind::Empty) return nullptr;
    // The module holds handles as non-const; the host never hands out its
    // storage for writing through them.
    return reinterpret_cast<EntityHandle>(const_cast<EntityRecord *>(&handles_[n]));
}

int SimHost::slotOf(EntityHandle e) const {
    if (e == nullptr) return 0;
    // Compare as integers: the handle may point anywhere.
    auto first = reinterpret_cast<std::uintptr_t>(&handles_[1]);
    auto last = reinterpret_cast<std::uintptr_t>(&handles_[kMaxSlots]);
    auto at = reinterpret_cast<std::uintptr_t>(e);
    if (at < first || at > last || (at - first) % sizeof(EntityRecord) != 0) return 0;
    return static_cast<int>((at - first) / sizeof(EntityRecord)) + 1;
}

float SimHost::cvar(const std::string &name) const {
    auto it = cvars_.find(name);
    return it == cvars_.end() ? 0.0f : it->second;
}

void SimHost::setCvar(const std::string &name, float value) { cvars_[name] = value; }

void SimHost::scriptRandom(std::initializer_list<int> answers) {
    scripted_.insert(scripted_.end(), answers.begin(), answers.end());
}

// Rejection sampling over the generator's 32-bit words: exact, and free of
// the standard library's distribution code, which differs between vendors.
int SimHost::drawUniform(int low, int high) {
    if (high <= low) return low;
    const std::uint64_t span = static_cast<std::uint64_t>(std::int64_t{high} - std::int64_t{low}) + 1;
    const std::uint64_t words = std::uint64_t{1} << 32;
    const std::uint64_t limit = words - words % span;
    std::uint64_t r;
    do {
        r = static_cast<std::uint32_t>(rng_());
    } while (r >= limit);
    return static_cast<int>(std::int64_t{low} + static_cast<std::int64_t>(r % span));
}

int SimHost::modelIndex(const std::string &path) const {
    auto it = models_.find(path);
    return it == models_.end() ? 0 : it->second;
}

int SimHost::registerUserMsg(const std::string &name, int size) {
    auto it = userMsgs_.find(name);
    if (it != userMsgs_.end()) return it->second.id;
    const int id = kFirstUserMsgId + static_cast<int>(userMsgs_.size());
    if (id > 255) throw std::length_error("no user message id left for " + name);
    userMsgs_[name] = UserMsg{id, size};
    return id;
}

std::optional<std::string> SimHost::userMsgName(int id) const {
    for (const auto &[name, msg] : userMsgs_)
        if (msg.id == id) return name;
    return std::nullopt;
}

std::size_t SimHost::framingErrorCount() const {
    std::size_t n = framingErrors_.size();
    for (const Message &m : messages_) n += m.errors.size();
    return n;
}

void SimHost::clearRecords() {
    messages_.clear();
    chat_.clear();
    items_.clear();
    commands_.clear();
    cvarSets_.clear();
    framingErrors_.clear();
    effects_.clear();
    strayCalls_.clear();
    randomCalls_.clear();
    userMsgIdCalls_.clear();
    accessCalls_.clear();
    precacheCalls_.clear();
    argvCalls_ = 0;
}

void SimHost::record(Effect::Kind kind, std::size_t index) {
    effects_.push_back(Effect{kind, index});
    if (listener_) listener_(effects_.back());
}

void SimHost::framingError(std::string what) {
    framingErrors_.push_back(FramingError{time_, std::move(what)});
    record(Effect::Framing, framingErrors_.size() - 1);
}

// Engine side.  Null texts from the module are kept as empty strings so a
// test sees the call rather than a crash.

const char *SimHost::onGetTag() const { return nullTag_ ? nullptr : tag_.c_str(); }

void SimHost::onClientPrint(EntityHandle e, int where, const char *text) {
    chat_.push_back(ChatLine{time_, slotOf(e), where, text ? text : ""});
    record(Effect::Chat, chat_.size() - 1);
}

void SimHost::onCvarSet(const char *name, float value) {
    const std::string key = name ? name : "";
    cvars_[key] = value;
    cvarSets_.push_back(CvarSet{time_, key, value});
    record(Effect::Cvar, cvarSets_.size() - 1);
}

int SimHost::onHasAccess(EntityHandle e, int level) {
    accessCalls_.push_back(AccessCall{slotOf(e), level});
    return access(slotOf(e)) ? 1 : 0;
}

void SimHost::onGiveItem(EntityHandle e, const char *className) {
    items_.push_back(ItemGiven{time_, slotOf(e), className ? className : ""});
    record(Effect::Item, items_.size() - 1);
}

void SimHost::onRunCommand(const char *line) {
    commands_.push_back(ConsoleCommand{time_, line ? line : ""});
    record(Effect::Command, commands_.size() - 1);
}

int SimHost::onPrecacheModel(const char *path) {
    precacheCalls_.push_back(path ? path : "");
    if (path == nullptr) return 0;
    return models_.try_emplace(path, static_cast<int>(models_.size()) + 1).first->second;
}

int SimHost::onRandomLong(int low, int high) {
    int answer;
    if (!scripted_.empty()) {
        answer = scripted_.front();
        scripted_.pop_front();
    } else {
        answer = drawUniform(low, high);
    }
    randomCalls_.push_back(RandomCall{low, high, answer});
    return answer;
}

int SimHost::onUserMsgId(const char *name, int size) {
    userMsgIdCalls_.push_back(UserMsgIdCall{name ? name : "", size});
    if (name == nullptr) return 0;
    auto it = userMsgs_.find(name);
    if (it == userMsgs_.end()) return 0;
    // Asking with another size than the message's is a client-breaking mistake
    // even before anything is sent.
    if (it->second.size >= 0 && it->second.size != size)
        framingError("UserMsgId(\"" + it->first + "\", " + std::to_string(size) + "): registered with " +
                     std::to_string(it->second.size) + " bytes");
    return it->second.id;
}

void SimHost::onStrayCall(int slot) { strayCalls_.push_back(slot); }

}  // namespace qvsim
