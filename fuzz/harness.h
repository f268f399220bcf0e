// harness.h: what both fuzz targets share: the module loaded once, a fresh host per input, the input reader.
#ifndef QVFUZZ_HARNESS_H
#define QVFUZZ_HARNESS_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "qvsim/invariants.h"
#include "qvsim/module.h"
#include "qvsim/sim_host.h"

namespace qvfuzz {

// Reads the input front to back; past its end every read answers 0.
class Reader {
public:
    Reader(const std::uint8_t *data, std::size_t size) : p_(data), n_(size) {}
    bool empty() const { return n_ == 0; }
    std::uint8_t u8() {
        if (n_ == 0) return 0;
        --n_;
        return *p_++;
    }
    // Little-endian.  Each part is read in its own statement: the operands of
    // one expression may be evaluated in either order.
    std::uint16_t u16() {
        const unsigned lo = u8();
        const unsigned hi = u8();
        return static_cast<std::uint16_t>(lo | hi << 8);
    }
    std::uint32_t u32() {
        const std::uint32_t lo = u16();
        const std::uint32_t hi = u16();
        return lo | hi << 16;
    }
    std::int32_t i32() {
        const std::uint32_t u = u32();
        std::int32_t v;
        std::memcpy(&v, &u, sizeof v);
        return v;
    }
    // Any bit pattern: NaNs, infinities and denormals included.
    float f32() {
        const std::uint32_t u = u32();
        float v;
        std::memcpy(&v, &u, sizeof v);
        return v;
    }
    std::string bytes(std::size_t len) {
        if (len > n_) len = n_;
        std::string s(reinterpret_cast<const char *>(p_), len);
        p_ += len;
        n_ -= len;
        return s;
    }

private:
    const std::uint8_t *p_;
    std::size_t n_;
};

// One input's world: a fresh host with twelve clients, an empty stretch and
// a non-client in slot 16, the admin in slot 1, the checker watching, and
// the module handed this host's table and started on a map at time 0.
//
// The module stays loaded for the whole process: its coverage counters
// must stay mapped for libFuzzer.  The map start resets every piece of its
// state that later calls read (the pending start and the running event);
// the rest is written by an event's start before its end reads it.
class Session {
public:
    // Budgets per input, so that one input stays fast: a hostile clock can
    // start an event every frame, each with a message per player slot.
    static constexpr long kMaxFrames = 4000;
    static constexpr std::uint64_t kMaxEffects = 5000;

    Session();
    ~Session();
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    qvsim::SimHost host{16, 1};
    qvsim::InvariantChecker check{host};
    qvsim::Module &mod;

    void mapStart();
    // One frame at the host's current time, unless the frame budget is spent.
    void frame();
    // The command in host.setCommand from the client in slot n (0: null entity).
    void command(int n);
    // True once the input's budget is used up; the rest of it is skipped.
    bool spent() const;
    // Aborts, printing what broke, if the checker saw any violation.
    void finish();

private:
    long frames_ = 0;
};

}  // namespace qvfuzz

#endif
