// encoder.cpp: the message encoder, flagging framing a real server would refuse or die on.
#include <string>

#include "qvsim/sim_host.h"

namespace qvsim {

namespace {

// The engine's destinations; anything else makes it stop the server.
struct Destination {
    int dest;
    const char *name;
    bool needsEntity;
};

constexpr Destination destinations[] = {
    {0, "MSG_BROADCAST", false}, {1, "MSG_ONE", true},  {2, "MSG_ALL", false},
    {3, "MSG_INIT", false},      {4, "MSG_PVS", false}, {5, "MSG_PAS", false},
    {6, "MSG_PVS_R", false},     {7, "MSG_PAS_R", false}, {8, "MSG_ONE_UNRELIABLE", true},
    {9, "MSG_SPEC", false},
};

const Destination *findDestination(int dest) {
    for (const Destination &d : destinations)
        if (d.dest == dest) return &d;
    return nullptr;
}

}  // namespace

void SimHost::onMessageBegin(int dest, int type, const float *origin, EntityHandle e) {
    const bool nested = open_.has_value();
    if (nested) {
        // The engine dies here, so the open message never leaves.
        open_->errors.push_back("never ended: MessageBegin came before its MessageEnd");
        messages_.push_back(std::move(*open_));
        open_.reset();
        record(Effect::MessageSent, messages_.size() - 1);
    }

    Message m;
    m.time = time_;
    m.dest = dest;
    m.type = type;
    m.hasOrigin = origin != nullptr;
    const int slotNumber = slotOf(e);
    m.entity = e == nullptr ? 0 : (slotNumber != 0 ? slotNumber : -1);

    if (nested) m.errors.push_back("MessageBegin inside an open message");

    const Destination *d = findDestination(dest);
    if (d == nullptr) {
        m.errors.push_back("unknown destination " + std::to_string(dest));
    } else if (d->needsEntity) {
        if (e == nullptr)
            m.errors.push_back(std::string(d->name) + " without a target entity");
        else if (slotNumber < 1 || slotNumber > maxClients_)
            m.errors.push_back(std::string(d->name) + " to an entity that is not a player slot");
    } else if (dest == MSG_ALL && e != nullptr) {
        m.errors.push_back("MSG_ALL with a target entity");
    }

    if (type <= 0 || type > 255)
        m.errors.push_back("message type " + std::to_string(type) + " does not fit the wire");
    else if (type >= kFirstUserMsgId && !userMsgName(type))
        m.errors.push_back("unknown user message " + std::to_string(type));

    open_ = std::move(m);
}

Message *SimHost::openFor(const char *writer) {
    if (open_) return &*open_;
    framingError(std::string(writer) + " with no message open");
    return nullptr;
}

void SimHost::onWriteByte(int value) {
    if (Message *m = openFor("WriteByte")) m->payload.push_back(static_cast<std::uint8_t>(value & 0xff));
}

void SimHost::onWriteShort(int value) {
    if (Message *m = openFor("WriteShort")) {
        m->payload.push_back(static_cast<std::uint8_t>(value & 0xff));
        m->payload.push_back(static_cast<std::uint8_t>((value >> 8) & 0xff));
    }
}

void SimHost::onWriteString(const char *text) {
    if (Message *m = openFor("WriteString")) {
        for (const char *c = text; c && *c; ++c) m->payload.push_back(static_cast<std::uint8_t>(*c));
        m->payload.push_back(0);
    }
}

void SimHost::onMessageEnd() {
    if (!open_) {
        framingError("MessageEnd with no message open");
        return;
    }
    Message &m = *open_;
    const std::size_t size = m.payload.size();
    if (size > MAX_MSG_PAYLOAD)
        m.errors.push_back("payload of " + std::to_string(size) + " bytes is over the " +
                           std::to_string(MAX_MSG_PAYLOAD) + "-byte limit");
    if (auto name = userMsgName(m.type)) {
        const int registered = userMsgs_.at(*name).size;
        if (registered >= 0 && static_cast<std::size_t>(registered) != size)
            m.errors.push_back("user message " + *name + " carries " + std::to_string(size) +
                               " bytes but was registered with " + std::to_string(registered));
    }
    messages_.push_back(std::move(m));
    open_.reset();
    record(Effect::MessageSent, messages_.size() - 1);
}

}  // namespace qvsim
