#include "server/http_front.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zov::server {

namespace {

// httplib keeps the serving of one accepted socket private. An explicit
// instantiation may name a private member, so this template hands its
// address to serveConnection (httplib's own code runs).
using ProcessSocket = bool (httplib::Server::*)(socket_t);
ProcessSocket processSocket();
template <ProcessSocket P>
struct ProcessSocketAccess {
    friend ProcessSocket processSocket() { return P; }
};
template struct ProcessSocketAccess<&httplib::Server::process_and_close_socket>;

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

// Said at once, without reading the request: the client learns why and may retry.
void refuse(socket_t sock)
{
    static const std::string body = "{\"error\":{\"message\":\"O servidor de aplicação está com conexões demais no momento. "
                                    "Tente de novo em instantes.\"}}";
    static const std::string reply = "HTTP/1.1 503 Service Unavailable\r\nContent-Type: application/json\r\nConnection: close\r\n"
                                     "Retry-After: 5\r\nContent-Length: "
                                     + std::to_string(body.size()) + "\r\n\r\n" + body;
    (void)::send(sock, reply.data(), reply.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    ::shutdown(sock, SHUT_RDWR);
    ::close(sock);
}

} // namespace

// Virtual: an SSLServer's own serving runs.
bool serveConnection(httplib::Server& server, socket_t sock) { return (server.*processSocket())(sock); }

void HttpFront::setCaps(std::size_t perAddress, std::size_t total)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    perAddress_ = perAddress;
    total_ = total;
}

bool HttpFront::admit(const std::string& address)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    std::size_t& mine = open_[address];
    if (mine >= perAddress_ || all_ >= total_) {
        if (mine == 0)
            open_.erase(address);
        return false;
    }
    ++mine;
    ++all_;
    return true;
}

void HttpFront::release(const std::string& address)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    const auto it = open_.find(address);
    if (it != open_.end() && --it->second == 0)
        open_.erase(it);
    --all_;
}

bool HttpFront::process_and_close_socket(socket_t sock)
{
    const std::string address = peerAddress(sock);
    if (!admit(address)) {
        refuse(sock);
        return false;
    }
    struct Release {
        HttpFront* front;
        const std::string& address;
        ~Release() { front->release(address); }
    } release{this, address};
    return serveConnection(handling_, sock);
}

} // namespace zov::server
