#pragma once
// One connection as its front and the thread serving it both see it: what
// it is doing, so that a server near its cap can tell a slow sender to give
// way, and whether it was told.
#include <httplib.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <mutex>
#include <string>

namespace zov::server {

enum class Phase {
    Handshake,  // TLS handshake
    Receiving,  // a request's head, or a body no handler admitted
    Working,    // the request is being answered
    Upload,     // the body of an admitted request
    Discarding, // the rest of a refused request's body
};

// What a client may drag out on purpose: these give way first.
constexpr bool isSlow(Phase p) { return p == Phase::Handshake || p == Phase::Receiving || p == Phase::Discarding; }

class FrontSlot {
public:
    using Clock = std::chrono::steady_clock;

    // book: the front's lock, which guards every slot's phase.
    FrontSlot(std::mutex& book, socket_t sock, std::string address, Phase first);
    FrontSlot(const FrontSlot&) = delete;
    FrontSlot& operator=(const FrontSlot&) = delete;

    const std::string& address() const { return address_; }
    bool gaveWay() const { return gaveWay_.load(std::memory_order_acquire); }
    void enter(Phase p);

    // Under the book's lock.
    Phase phase() const { return phase_; }
    // When the current run of slow phases began.
    Clock::time_point since() const { return since_; }
    void joined(); // counted among the front's connections
    void left();
    // Its reads end at once; its thread answers 503 when it still can.
    void giveWay();

private:
    std::mutex& book_;
    const socket_t sock_;
    const std::string address_;
    Phase phase_;
    Clock::time_point since_;
    bool counted_ = false;
    std::atomic<bool> gaveWay_{false};
};

// For tests: waits until the fronts of this process hold `connections`
// connections, `slow` of them in a slow phase. False after a minute.
bool waitUntilHeld(std::size_t connections, std::size_t slow);

} // namespace zov::server
