#pragma once
// The transfer data module and its steps: the connection test, the download
// of the reference tables, their apply, and the progress shown meanwhile.
//
// The steps answer true or false and never raise; when one fails,
// lastTransferError() says what failed, in words for the user.
#include <QString>
#include <QStringList>

#include <functional>

namespace zov {

class TNetConnection;

class ProgressWindow;

// Opens and closes the download connection; false on any error.
bool TestaConnect();
// Whether the server admits the operator of the session's credentials
// (POST /sessao); false when it refuses them or cannot be reached.
bool ServidorAdmiteOperador();
// Runs a call on the orders' object (PAD.rdmImpPedidos); false with the
// reason kept for lastTransferError().
bool ChamaServidorPedidos(const std::function<bool(TNetConnection&)>& passo);
// Shows progress in a window (the first one handed over after the data module
// was created is kept as its progress window).
void UpdateProgress(ProgressWindow* window, const QStringList& arsMessages, int position, int total, bool boMessage);
// Asks the server for everything newer than the local tables and holds the reply.
bool CriaBaixaDados();
// Writes the held reply into the local tables and purges; frees the data module in every case.
bool ChamaExportaDados();
// What the last failed step failed on.
QString lastTransferError();
// A step of another unit says what failed in its own words.
void setLastTransferError(const QString& text);

// One transfer at a time: the login and the download window both take this;
// a second one is refused with a message.
class TransferLock {
public:
    TransferLock(); // throws Error when a transfer is running
    ~TransferLock();
    TransferLock(const TransferLock&) = delete;
    TransferLock& operator=(const TransferLock&) = delete;
    static bool running();
};

} // namespace zov
