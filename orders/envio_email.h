#pragma once
// "Enviar por E-mail": the order's mirror as a PDF attached to a new message
// in the user's own mail program (xdg-email), addressed to the customer when
// the customer has an e-mail. The program is started, not waited for: the
// user writes and sends the message there.
#include <QString>
#include <QStringList>
#include <functional>

namespace zov {

class Database;

struct MensagemPedido {
    QString para; // empty: the user types it in the mail program
    QString assunto, corpo, anexo;
};

// xdg-email's arguments for the message; an address that is not a plain
// address (or could be read as an option) is left out.
QStringList argumentosXdgEmail(const MensagemPedido& m);

// Starts a program and reports its end: iniciou false when it could not be
// started (not installed), else its exit code. Tests replace it.
using FimPrograma = std::function<void(bool iniciou, int codigo)>;
using ExecutaPrograma = std::function<void(const QString& programa, const QStringList& argumentos, FimPrograma fim)>;
void setExecutaPrograma(ExecutaPrograma executa); // null puts the real one back

// The PDF is written under the program's data folder (the mail program reads
// it when the message is sent, so it is not a temporary file); a mail
// program missing or not set up is said with where the PDF was kept.
void EnviaPedidoPorEmail(Database& db, const QString& cdFilial, const QString& nrPedido);

} // namespace zov
