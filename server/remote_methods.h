#pragma once
// The methods the server objects offer. Each takes the decoded arguments and
// returns the reply body; a malformed request throws RequestError.
#include "library/errors.h"
#include "protocol/protocol.h"
#include "server/sql_connection.h"

#include <QStringList>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace zov::server {

class RequestError : public Error {
public:
    using Error::Error;
};

// A request past the wire's limits (status 413).
class TooLargeError : public Error {
public:
    using Error::Error;
};

// A call for another branch than its session's (status 403).
class ForbiddenError : public Error {
public:
    using Error::Error;
};

// The operator of the session a call came with.
struct Chamador {
    QString filial, operador;
};

// The branch argument of a call is its session's: else ForbiddenError.
void requireSessionBranch(const WireValue& branch, const Chamador& who);

// PAD.rdmExpDados / getTabelas: branch, 24 last-update dates, 24 insert dates.
std::string getTabelas(Connection& db, const std::vector<WireValue>& args);
// The same in two steps, for a reply sent while it is written: the request
// checked (RequestError), then the body handed to deliver part by part (deliver
// may clear what it is given).
struct TabelasRequest {
    QStringList lastUpdate, inserted;
};
TabelasRequest parseTabelas(const std::vector<WireValue>& args);
// A large element goes out while it is read, a few hundred kilobytes at a
// time; one that fails after part of it went out throws ReplyCut, and the
// reply must then be cut short (the client, missing the element's end,
// keeps nothing of it). A small one that fails is replaced by the error.
void writeTabelas(Connection& db, const TabelasRequest& request, const std::function<void(std::string&)>& deliver);
class ReplyCut : public Error {
public:
    using Error::Error;
};
// PAD.rdmImpPedidos / SetPedidos: orders, items, observations, customers,
// addresses, branch, workstation user name.
// who: the session's operator, kept with each order.
std::string setPedidos(Connection& db, const std::vector<WireValue>& args, const Chamador& who = {});
// The same from the request body as it arrives: the customers and addresses
// are checked while the body is decoded, never held whole (an export sends
// every active customer), and only the columns the tables have are kept.
// One transaction; a body that does not decode is a RequestError. A branch
// other than the session's is refused before anything is written.
// whole, when given, runs once the arguments are decoded and before anything
// is written: it throws when the body did not arrive whole and within limits.
std::string setPedidosRequest(Connection& db, std::istream& body, const Chamador& who, const std::function<void()>& whole = {});
std::string setPedidosRequest(Connection& db, std::string_view body, const Chamador& who = {});

// The storage text ("YYYY-MM-DD HH:MM:SS.fff") of a date-time argument; empty for null.
QString watermarkArgument(const WireValue& value, int argument, int index);

} // namespace zov::server
