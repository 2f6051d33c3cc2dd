#pragma once
// A tiny HTTP listener on 127.0.0.1 for the connection tests: answers each
// request with what the test says, or never answers at all.
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zov::test {

struct FakeRequest {
    std::string method, path, body;
    std::map<std::string, std::string> headers; // lower-case names
};

struct FakeResponse {
    int status = 200;
    std::string body;
    std::string contentType = "application/json";
    bool silent = false;              // keep the connection open and never answer
    bool cut = false;                 // read the whole request, then drop the connection without a word
    std::string contentEncoding = {}; // "gzip": the body is sent as it is, marked so
};

class FakeHttpServer {
public:
    enum class Mode { Answer, NeverAccept };
    using Handler = std::function<FakeResponse(const FakeRequest&)>;

    explicit FakeHttpServer(Handler handler, Mode mode = Mode::Answer);
    ~FakeHttpServer();
    int port() const { return port_; }
    std::vector<FakeRequest> requests();

    // The answer of a real server to GET /.
    static FakeResponse objects();

private:
    void serve();
    void handle(int fd);
    Handler handler_;
    int listenFd_ = -1;
    int port_ = 0;
    bool stopping_ = false;
    std::thread thread_;
    std::mutex mutex_;
    std::vector<FakeRequest> requests_;
    std::vector<int> open_;
};

// A port on 127.0.0.1 where nothing listens.
int closedPort();

} // namespace zov::test
