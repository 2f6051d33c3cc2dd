#pragma once
// A body handed from the thread that receives it to the thread that decodes
// it, chunk by chunk: neither side ever holds it whole. The receiver waits
// while a few megabytes are queued, so a fast network never piles up a body.
// Both sides use it (replies in the client, requests in the server).
#include <condition_variable>
#include <deque>
#include <istream>
#include <mutex>
#include <streambuf>
#include <string>

namespace zov {

class ChunkPipe {
public:
    // False when the reader stopped (an error): the receiver stops too.
    bool push(std::string chunk);
    // The end of the body.
    void close();
    // The next chunk; false at the end of the body.
    bool pop(std::string& out);
    // The decoder stopped: whatever is queued goes and pushes are refused.
    void readerDone();

private:
    static constexpr std::size_t kMaxQueued = 4 << 20;
    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<std::string> chunks_;
    std::size_t queued_ = 0;
    bool closed_ = false;
    bool readerDone_ = false;
};

// The pipe as a stream for the decoder.
class PipeBuffer final : public std::streambuf {
public:
    explicit PipeBuffer(ChunkPipe& pipe) : pipe_(pipe) {}

protected:
    int_type underflow() override;

private:
    ChunkPipe& pipe_;
    std::string current_;
};

// Watches a JSON body go by on its way to a parser and refuses it once one
// string value passes the limit decoded (a gzip reply of a few megabytes can
// inflate to one string of a gigabyte), or once more than a megabyte comes
// outside strings without a bracket, brace, comma or colon. The parser keeps
// each token twice while it reads it, its capacity doubling: a string's bytes
// past the first few megabytes are held here, once, until it ends, so a
// string the limit refuses never reaches the parser whole.
class JsonStringGuard {
public:
    // what: how the message names the body ("A resposta do servidor de aplicação").
    explicit JsonStringGuard(const char* what, std::size_t limit);
    // Appends to out what may go on to the parser now. Throws Error when the
    // body passes a limit.
    void feed(const char* data, std::size_t size, std::string& out);

private:
    static constexpr std::size_t kPassOn = std::size_t(4) << 20;
    static constexpr std::size_t kMaxRun = std::size_t(1) << 20;
    enum State { Outside, InString, Escape, Unicode };
    const char* what_;
    std::size_t limit_;
    State state_ = Outside;
    int hexLeft_ = 0;
    std::size_t length_ = 0; // of the open string, decoded
    std::size_t raw_ = 0;    // of the open string, as sent
    std::size_t run_ = 0;    // outside strings since the last structural character
    bool holding_ = false;
    std::string held_;
};

} // namespace zov
