#pragma once
// Connections of a test's own to the server, byte by byte: what a laptop
// never sends (a head cut short, a body nobody asked for) and from a local
// address of the test's choice (all of 127.0.0.0/8 is this machine).
#include <string>
#include <string_view>

namespace zov::test {

// A connected socket from `from` to 127.0.0.1:port, or -1.
int conecta(const char* from, int port);
// False when the server stopped taking it.
bool enviaTudo(int fd, std::string_view data);
// Everything the server sends until it closes.
std::string leResposta(int fd);

} // namespace zov::test
