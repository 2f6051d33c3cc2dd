#pragma once
// The methods the server objects offer. Each takes the decoded arguments and
// returns the reply body; a malformed request throws RequestError.
#include "library/database.h"
#include "library/errors.h"
#include "transfer/protocol.h"

#include <string>
#include <vector>

namespace zov::server {

class RequestError : public Error {
public:
    using Error::Error;
};

// PAD.rdmExpDados / getTabelas: branch, 24 last-update dates, 24 insert dates.
std::string getTabelas(Database& db, const std::vector<WireValue>& args);
// PAD.rdmImpPedidos / SetPedidos: orders, items, observations, customers,
// addresses, branch, workstation user name.
std::string setPedidos(Database& db, const std::vector<WireValue>& args);

// The storage text ("YYYY-MM-DD HH:MM:SS.fff") of a date-time argument; empty for null.
QString watermarkArgument(const WireValue& value, int argument, int index);

} // namespace zov::server
