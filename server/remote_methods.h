#pragma once
// The methods the server objects offer. Each takes the decoded arguments and
// returns the reply body; a malformed request throws RequestError.
#include "library/database.h"
#include "library/errors.h"
#include "transfer/protocol.h"

#include <QStringList>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zov::server {

class RequestError : public Error {
public:
    using Error::Error;
};

// PAD.rdmExpDados / getTabelas: branch, 24 last-update dates, 24 insert dates.
std::string getTabelas(Database& db, const std::vector<WireValue>& args);
// The same in two steps, for a reply sent while it is written: the request
// checked (RequestError), then the body handed to deliver part by part (deliver
// may clear what it is given).
struct TabelasRequest {
    QStringList lastUpdate, inserted;
};
TabelasRequest parseTabelas(const std::vector<WireValue>& args);
void writeTabelas(Database& db, const TabelasRequest& request, const std::function<void(std::string&)>& deliver);
// PAD.rdmImpPedidos / SetPedidos: orders, items, observations, customers,
// addresses, branch, workstation user name.
std::string setPedidos(Database& db, const std::vector<WireValue>& args);
// The same from the request body: the customers and addresses are checked
// and added while the body is decoded, never held (an export sends every
// active customer). One transaction; a body that does not decode is a
// RequestError.
std::string setPedidosRequest(Database& db, std::string_view body);

// The storage text ("YYYY-MM-DD HH:MM:SS.fff") of a date-time argument; empty for null.
QString watermarkArgument(const WireValue& value, int argument, int index);

} // namespace zov::server
