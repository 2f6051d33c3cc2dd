#pragma once
// Inflating gzip bodies within the wire's size limit, chunk by chunk as they
// arrive: a small body that would inflate to gigabytes is refused on the way,
// never held. Both sides use it (replies here, requests in the server).
#include <cstddef>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zov {

class BoundedInflater {
public:
    // what: how the messages name the body ("A resposta do servidor de aplicação").
    BoundedInflater(std::size_t limit, const char* what);
    ~BoundedInflater();
    BoundedInflater(const BoundedInflater&) = delete;
    BoundedInflater& operator=(const BoundedInflater&) = delete;

    // Appends the inflated bytes to out. Throws Error when the data is not
    // gzip or the inflated size passes the limit.
    void feed(const char* data, std::size_t size, std::string& out);
    // Throws Error when the compressed stream stopped before its end.
    void finish() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// Appends data to out unless out would pass limit; throws Error then.
void appendBounded(std::string& out, const char* data, std::size_t size, std::size_t limit, const char* what);

// The limit as people read it ("1 GiB").
const char* bodyLimitText();

// gzip of a whole body (requests over 64 KiB travel compressed).
std::string gzipCompress(const std::string& body);
// The same of a body given in parts, never joined into one copy.
std::string gzipCompress(std::initializer_list<std::string_view> parts);
std::string gzipCompress(const std::vector<std::string_view>& parts);

} // namespace zov
