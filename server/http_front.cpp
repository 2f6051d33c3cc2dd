#include "server/http_front.h"

#include "server/connection_stream.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>

namespace zov::server {

namespace {

std::atomic<std::size_t> testPerAddress{0};
std::atomic<std::size_t> testTotal{0};

std::string peerAddress(socket_t sock)
{
    sockaddr_storage addr{};
    socklen_t len = sizeof addr;
    if (::getpeername(sock, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        return {};
    char text[INET6_ADDRSTRLEN] = {};
    if (addr.ss_family == AF_INET)
        ::inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(&addr)->sin_addr, text, sizeof text);
    else if (addr.ss_family == AF_INET6)
        ::inet_ntop(AF_INET6, &reinterpret_cast<sockaddr_in6*>(&addr)->sin6_addr, text, sizeof text);
    return text;
}

} // namespace

HttpFront::HttpFront(httplib::Server& handling) : handling_(dynamic_cast<ConnectionHandler&>(handling)) {}

void HttpFront::setCaps(std::size_t perAddress, std::size_t total)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    perAddress_ = perAddress;
    total_ = total;
}

void HttpFront::setCapsForTests(std::size_t perAddress, std::size_t total)
{
    testPerAddress = perAddress;
    testTotal = total;
}

FrontSlot* HttpFront::slowest(const std::string* address) const
{
    FrontSlot* found = nullptr;
    for (FrontSlot* slot : slots_) {
        if (slot->gaveWay() || !isSlow(slot->phase()) || (address && slot->address() != *address))
            continue;
        if (!found || slot->since() < found->since())
            found = slot;
    }
    return found;
}

void HttpFront::forget(const FrontSlot& slot)
{
    const auto it = open_.find(slot.address());
    if (it != open_.end() && --it->second == 0)
        open_.erase(it);
    --all_;
}

bool HttpFront::admit(FrontSlot& slot)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    const std::size_t perAddress = testPerAddress ? testPerAddress.load() : perAddress_;
    const std::size_t total = testTotal ? testTotal.load() : total_;
    const auto mine = open_.find(slot.address());
    const std::size_t held = mine == open_.end() ? 0 : mine->second;
    // Full: the slowest of the address, or of all, gives way.
    if (held >= perAddress || all_ >= total) {
        FrontSlot* victim = slowest(held >= perAddress ? &slot.address() : nullptr);
        if (!victim)
            return false;
        forget(*victim);
        victim->giveWay();
    }
    ++open_[slot.address()];
    ++all_;
    slots_.push_back(&slot);
    slot.joined();
    return true;
}

void HttpFront::release(FrontSlot& slot)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    slots_.erase(std::find(slots_.begin(), slots_.end(), &slot));
    if (!slot.gaveWay()) {
        forget(slot);
        slot.left();
    }
}

// Said at once, without reading the request; inside TLS on a TLS port, so
// the client reads why and may retry.
void HttpFront::refuse(socket_t sock)
{
    using std::chrono::milliseconds;
    FrontSlot outside(mutex_, sock, {}, Phase::Handshake); // never admitted
    const TlsSession tls = tlsSession(handling_.tlsContext(), sock);
    ConnectionStream strm(sock, tls.get(), outside, StreamLimits{});
    if (handling_.tlsContext() && (!tls || !strm.handshake())) {
        strm.close({milliseconds(0), milliseconds(0), 0});
        return;
    }
    const std::string reply = refusalReply(503);
    for (std::size_t done = 0; done < reply.size();) {
        const ssize_t n = strm.write(reply.data() + done, reply.size() - done);
        if (n <= 0)
            break;
        done += std::size_t(n);
    }
    strm.close({milliseconds(1000), milliseconds(2000), 1u << 20});
}

bool HttpFront::process_and_close_socket(socket_t sock)
{
    // A thread of the pool: nothing may escape it.
    try {
        setNonBlocking(sock);
        FrontSlot slot(mutex_, sock, peerAddress(sock), handling_.tlsContext() ? Phase::Handshake : Phase::Receiving);
        if (admit(slot)) {
            struct Release {
                HttpFront& front;
                FrontSlot& slot;
                ~Release() { front.release(slot); } // before the socket closes: a victim's is shut down under the lock
            } release{*this, slot};
            handling_.serve(sock, slot);
        } else {
            refuse(sock);
        }
    } catch (...) {
    }
    ::close(sock);
    return true;
}

} // namespace zov::server
