#include "server/front_slot.h"

#include <condition_variable>
#include <sys/socket.h>

namespace zov::server {

namespace {

// What every front of the process holds, for tests to wait on.
struct Held {
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t connections = 0;
    std::size_t slow = 0;
};

Held& held()
{
    static Held h;
    return h;
}

void count(int connections, int slow)
{
    Held& h = held();
    {
        const std::lock_guard<std::mutex> lock(h.mutex);
        h.connections += std::size_t(connections);
        h.slow += std::size_t(slow);
    }
    h.changed.notify_all();
}

} // namespace

FrontSlot::FrontSlot(std::mutex& book, socket_t sock, std::string address, Phase first)
    : book_(book), sock_(sock), address_(std::move(address)), phase_(first), since_(Clock::now())
{}

void FrontSlot::enter(Phase p)
{
    const std::lock_guard<std::mutex> lock(book_);
    if (p == phase_)
        return;
    if (isSlow(p) && !isSlow(phase_))
        since_ = Clock::now();
    if (counted_ && isSlow(p) != isSlow(phase_))
        count(0, isSlow(p) ? 1 : -1);
    phase_ = p;
}

void FrontSlot::joined()
{
    counted_ = true;
    count(1, isSlow(phase_) ? 1 : 0);
}

void FrontSlot::left()
{
    if (counted_)
        count(-1, isSlow(phase_) ? -1 : 0);
    counted_ = false;
}

void FrontSlot::giveWay()
{
    left();
    gaveWay_.store(true, std::memory_order_release);
    // Wakes a thread waiting for bytes; what it writes still goes out.
    ::shutdown(sock_, SHUT_RD);
}

bool waitUntilHeld(std::size_t connections, std::size_t slow)
{
    Held& h = held();
    std::unique_lock<std::mutex> lock(h.mutex);
    return h.changed.wait_for(lock, std::chrono::minutes(1), [&] { return h.connections == connections && h.slow == slow; });
}

} // namespace zov::server
