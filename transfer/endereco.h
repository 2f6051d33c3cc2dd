#pragma once
// The server address as stored and typed: a host, optionally ":" and a port.
#include <QString>

namespace zov {

// Splits at the first ":": the host before it (the whole text without one)
// and the port after it, or 211 when there is no ":". A port that is not a
// number (an address ending in ":" included) throws Error.
void SplitEndereco(const QString& address, QString& host, int& port);
// The same, kept as the session's server (IPAcesso, Porta).
void UsaEndereco(const QString& address);

} // namespace zov
