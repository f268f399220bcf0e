// sim_host.h: a simulated Quorvex host that fills the module's services table.
//
// The slots are plain C functions with no context argument, so one SimHost
// is "installed" at a time: the slot functions forward to it.  Installing a
// new host replaces the previous one; destroying the installed host
// uninstalls it (slots then answer with harmless defaults).  Slots 0 and 1
// point at this host's own clock and player count whether installed or not.
#ifndef QVSIM_SIM_HOST_H
#define QVSIM_SIM_HOST_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <initializer_list>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "host_abi.h"

namespace qvsim {

// The host's own record behind an entity handle.  The module's handle type
// stays incomplete: it only ever sees this record's address.
struct EntityRecord {
    int index;
};

// What sits in a player slot.
enum class SlotKind { Empty, Client, NonClient };

// One message as the engine would put it on the wire.
struct Message {
    double time = 0;          // server time at MessageBegin
    int dest = 0;             // MSG_ONE, MSG_ALL, ...
    int type = 0;             // SVC_TEMPENTITY or a user message id
    bool hasOrigin = false;   // MessageBegin got a non-null origin
    int entity = 0;           // slot number of the target entity, 0 for null,
                              // -1 for a handle that is not one of ours
    std::vector<std::uint8_t> payload;
    std::vector<std::string> errors;  // what a real server would refuse; empty if sound
};

struct ChatLine {
    double time = 0;
    int slot = 0;  // 0 if the entity was null or unknown
    int where = 0; // HUD_PRINTTALK for chat
    std::string text;
};

struct ItemGiven {
    double time = 0;
    int slot = 0;
    std::string className;
};

struct ConsoleCommand {
    double time = 0;
    std::string line;
};

struct CvarSet {
    double time = 0;
    std::string name;
    float value = 0;
};

// A framing fault outside any message (a write or end with none open).
struct FramingError {
    double time = 0;
    std::string what;
};

// Every observable effect, in order, for listeners such as the CLI.
struct Effect {
    enum Kind { MessageSent, Chat, Item, Command, Cvar, Framing } kind;
    std::size_t index;  // into the matching record vector
};

struct UserMsg {
    int id = 0;
    int size = 0;  // payload bytes it was registered with; -1 for variable
};

class SimHost {
public:
    // Entity storage covers slots 1..kMaxSlots whatever *pMaxClients says.
    static constexpr int kMaxSlots = 256;
    static constexpr int kFirstUserMsgId = 64;

    explicit SimHost(int maxClients = 16, std::uint32_t seed = 1);
    ~SimHost();
    SimHost(const SimHost &) = delete;
    SimHost &operator=(const SimHost &) = delete;

    // The table to hand to DFGiveFuncs; valid while this host lives.
    void **table();
    // Make this host the one the slot functions forward to.
    void install();
    static SimHost *installed();

    // Server clock.
    float time() const { return time_; }
    void setTime(float t) { time_ = t; }
    void advance(float dt) { time_ += dt; }

    // Player slots.  maxClients is only the number *pMaxClients reads and
    // may be hostile (negative, or beyond storage); it never clears slots.
    // Slots 1..kMaxSlots can be filled even above maxClients, so a test can
    // see a module reach past *pMaxClients.  EntByIndex answers null for an
    // empty slot and for anything outside 1..kMaxSlots.
    int maxClients() const { return maxClients_; }
    void setMaxClients(int n) { maxClients_ = n; }
    // setSlot and setAccess throw std::out_of_range outside 1..kMaxSlots.
    void setSlot(int n, SlotKind kind);
    SlotKind slot(int n) const;          // Empty outside storage
    void setAccess(int n, bool granted);
    bool access(int n) const;
    EntityHandle entity(int n) const;    // null for empty or out of range
    int slotOf(EntityHandle e) const;    // 0 if null or not one of ours

    // Host tag (GetTag).
    void setTag(std::string tag) { tag_ = std::move(tag); }
    const std::string &tag() const { return tag_; }
    // Make GetTag answer null (a hostile host).
    void setNullTag(bool on) { nullTag_ = on; }

    // Server variables.  Defaults: sv_gravity 800, sv_maxspeed 320.
    // An unknown name reads 0; CvarSetFloat from the module records the
    // change and applies it, creating the variable if need be.
    float cvar(const std::string &name) const;
    void setCvar(const std::string &name, float value);  // not recorded as a module effect
    const std::map<std::string, float> &cvars() const { return cvars_; }

    // Random source: seeded, with scripted answers taken first.  A scripted
    // answer is returned as is, even outside the bounds asked for.  Seeded
    // answers are uniform in [low, high] and the same on every platform;
    // RandomLong(low, high) with high <= low answers low.
    void seed(std::uint32_t s) { rng_.seed(s); }
    void scriptRandom(std::initializer_list<int> answers);
    void scriptRandom(int answer) { scripted_.push_back(answer); }
    std::size_t scriptedLeft() const { return scripted_.size(); }
    // Every RandomLong call as (low, high, answer).
    struct RandomCall { int low, high, answer; };
    const std::vector<RandomCall> &randomCalls() const { return randomCalls_; }
    // Every UserMsgId, HasAccess and PrecacheModel call the module made, with
    // what it passed.
    struct UserMsgIdCall { std::string name; int size; };
    struct AccessCall { int slot, level; };
    const std::vector<UserMsgIdCall> &userMsgIdCalls() const { return userMsgIdCalls_; }
    const std::vector<AccessCall> &accessCalls() const { return accessCalls_; }
    const std::vector<std::string> &precacheCalls() const { return precacheCalls_; }

    // The client command being handled: word 0 is the command.  CmdArgv
    // answers "" past the last word.
    void setCommand(std::vector<std::string> argv) { argv_ = std::move(argv); }
    // Make CmdArgv answer null (a hostile host).
    void setNullArgv(bool on) { nullArgv_ = on; }
    int argvCalls() const { return argvCalls_; }  // CmdArgv calls so far

    // Precache and user-message registries.  Ids and indices are stable.
    // Models are numbered from 1 in first-seen order.
    int modelIndex(const std::string &path) const;  // 0 if never precached
    const std::map<std::string, int> &models() const { return models_; }
    // Precache a model as the game would (e.g. its own models at a map start).
    int precache(const std::string &path) { return onPrecacheModel(path.c_str()); }
    // Empty the model table, as a server restart does: indices start again at 1.
    void clearModels() { models_.clear(); }
    // Register a user message; ScreenShake and ScreenFade are registered at
    // construction with sizes 6 and 10.  Ids run from 64 upward; a name
    // already known keeps its id and size.  Returns its id.  Throws
    // std::length_error once the one-byte id space is used up.
    // UserMsgId from the module answers 0 for a name never registered.
    int registerUserMsg(const std::string &name, int size);
    const std::map<std::string, UserMsg> &userMsgs() const { return userMsgs_; }
    std::optional<std::string> userMsgName(int id) const;

    // Records.
    const std::vector<Message> &messages() const { return messages_; }
    const std::vector<ChatLine> &chat() const { return chat_; }
    const std::vector<ItemGiven> &items() const { return items_; }
    const std::vector<ConsoleCommand> &commands() const { return commands_; }
    const std::vector<CvarSet> &cvarSets() const { return cvarSets_; }
    const std::vector<FramingError> &framingErrors() const { return framingErrors_; }
    const std::vector<Effect> &effects() const { return effects_; }
    // Slots the module called that this host does not provide, in call order.
    const std::vector<int> &strayCalls() const { return strayCalls_; }
    // Framing faults in total: those outside messages plus every message
    // error.  A MessageBegin inside an open message counts twice: the open
    // message is recorded unfinished and the new one flagged.
    std::size_t framingErrorCount() const;
    bool messageOpen() const { return open_.has_value(); }
    // Forgets every record and counter above; an open message stays open.
    void clearRecords();

    // Called after each effect is recorded.
    void setListener(std::function<void(const Effect &)> fn) { listener_ = std::move(fn); }

private:
    friend struct SlotFunctions;  // the C functions in the table

    void record(Effect::Kind kind, std::size_t index);
    void framingError(std::string what);
    bool inStorage(int n) const { return n >= 1 && n <= kMaxSlots; }
    int drawUniform(int low, int high);

    // Engine side, reached only through the slot functions.
    const char *onGetTag() const;
    // Inline: it runs for every client command, and its cost is the floor
    // under the module's own command benchmarks.
    const char *onCmdArgv(int n) {
        ++argvCalls_;
        if (nullArgv_) return nullptr;
        if (n < 0 || static_cast<std::size_t>(n) >= argv_.size()) return "";
        return argv_[static_cast<std::size_t>(n)].c_str();
    }
    void onClientPrint(EntityHandle e, int where, const char *text);
    void onCvarSet(const char *name, float value);
    int onHasAccess(EntityHandle e, int level);
    void onGiveItem(EntityHandle e, const char *className);
    void onRunCommand(const char *line);
    int onPrecacheModel(const char *path);
    int onRandomLong(int low, int high);
    int onUserMsgId(const char *name, int size);
    void onStrayCall(int slot);
    // The message encoder.
    void onMessageBegin(int dest, int type, const float *origin, EntityHandle e);
    void onMessageEnd();
    void onWriteByte(int value);
    void onWriteShort(int value);
    void onWriteString(const char *text);
    Message *openFor(const char *writer);

    void *slots_[HOST_SLOT_COUNT] = {};
    float time_ = 0;
    int maxClients_ = 16;
    std::array<SlotKind, kMaxSlots + 1> kinds_{};  // index 0 unused
    std::array<bool, kMaxSlots + 1> access_{};
    std::array<EntityRecord, kMaxSlots + 1> handles_{};  // addresses of these are the entities
    std::string tag_ = "Quorvex";
    bool nullTag_ = false;
    std::map<std::string, float> cvars_;
    std::mt19937 rng_;
    std::deque<int> scripted_;
    std::vector<RandomCall> randomCalls_;
    std::vector<UserMsgIdCall> userMsgIdCalls_;
    std::vector<AccessCall> accessCalls_;
    std::vector<std::string> precacheCalls_;
    std::vector<std::string> argv_;
    bool nullArgv_ = false;
    int argvCalls_ = 0;
    std::map<std::string, int> models_;
    std::map<std::string, UserMsg> userMsgs_;
    std::optional<Message> open_;
    std::vector<Message> messages_;
    std::vector<ChatLine> chat_;
    std::vector<ItemGiven> items_;
    std::vector<ConsoleCommand> commands_;
    std::vector<CvarSet> cvarSets_;
    std::vector<FramingError> framingErrors_;
    std::vector<Effect> effects_;
    std::vector<int> strayCalls_;
    std::function<void(const Effect &)> listener_;
};

}  // namespace qvsim

#endif
