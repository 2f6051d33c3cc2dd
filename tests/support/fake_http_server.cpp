#include "tests/support/fake_http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace zov::test {

namespace {

int listenOn(int& port, int backlog)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, backlog) != 0)
        throw std::runtime_error("fake server: cannot listen");
    socklen_t len = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    port = ntohs(addr.sin_port);
    return fd;
}

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

} // namespace

int closedPort()
{
    int port = 0;
    const int fd = listenOn(port, 1);
    ::close(fd);
    return port;
}

FakeResponse FakeHttpServer::objects() { return {200, R"({"server":"zov-appserver","objects":["PAD.rdmImpPedidos","PAD.rdmExpDados"]})"}; }

FakeHttpServer::FakeHttpServer(Handler handler, Mode mode) : handler_(std::move(handler))
{
    listenFd_ = listenOn(port_, 16);
    if (mode == Mode::Answer)
        thread_ = std::thread([this] { serve(); });
}

FakeHttpServer::~FakeHttpServer()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        for (int fd : open_)
            ::shutdown(fd, SHUT_RDWR);
    }
    ::shutdown(listenFd_, SHUT_RDWR);
    if (thread_.joinable())
        thread_.join();
    ::close(listenFd_);
    for (int fd : open_)
        ::close(fd);
}

std::vector<FakeRequest> FakeHttpServer::requests()
{
    std::lock_guard lock(mutex_);
    return requests_;
}

void FakeHttpServer::serve()
{
    for (;;) {
        pollfd p{listenFd_, POLLIN, 0};
        if (::poll(&p, 1, 50) < 0)
            return;
        {
            std::lock_guard lock(mutex_);
            if (stopping_)
                return;
        }
        if (!(p.revents & POLLIN))
            continue;
        const int fd = ::accept(listenFd_, nullptr, nullptr);
        if (fd < 0)
            continue;
        {
            std::lock_guard lock(mutex_);
            open_.push_back(fd);
        }
        handle(fd);
    }
}

void FakeHttpServer::handle(int fd)
{
    std::string data;
    char buf[4096];
    std::size_t headerEnd;
    while ((headerEnd = data.find("\r\n\r\n")) == std::string::npos) {
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0)
            return;
        data.append(buf, std::size_t(n));
    }
    FakeRequest req;
    const std::string head = data.substr(0, headerEnd);
    std::size_t lineEnd = head.find("\r\n");
    const std::string first = head.substr(0, lineEnd);
    req.method = first.substr(0, first.find(' '));
    req.path = first.substr(req.method.size() + 1, first.rfind(' ') - req.method.size() - 1);
    while (lineEnd != std::string::npos && lineEnd < head.size()) {
        const std::size_t next = head.find("\r\n", lineEnd + 2);
        const std::string line = head.substr(lineEnd + 2, next == std::string::npos ? std::string::npos : next - lineEnd - 2);
        const std::size_t colon = line.find(':');
        if (colon != std::string::npos)
            req.headers[lower(line.substr(0, colon))] = line.substr(line.find_first_not_of(' ', colon + 1));
        lineEnd = next;
    }
    const std::size_t length = req.headers.count("content-length") ? std::stoul(req.headers["content-length"]) : 0;
    req.body = data.substr(headerEnd + 4);
    while (req.body.size() < length) {
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0)
            return;
        req.body.append(buf, std::size_t(n));
    }
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(req);
    }
    const FakeResponse res = handler_(req);
    if (res.silent)
        return; // the connection stays open until the server is destroyed
    if (res.cut) {
        ::shutdown(fd, SHUT_RDWR);
        return;
    }
    std::string out = "HTTP/1.1 " + std::to_string(res.status) + " X\r\nContent-Type: " + res.contentType
        + (res.contentEncoding.empty() ? std::string() : "\r\nContent-Encoding: " + res.contentEncoding)
        + "\r\nContent-Length: " + std::to_string(res.body.size()) + "\r\nConnection: close\r\n\r\n" + res.body;
    ::send(fd, out.data(), out.size(), MSG_NOSIGNAL);
    ::shutdown(fd, SHUT_WR);
}

} // namespace zov::test
