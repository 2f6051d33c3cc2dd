#include "transfer/endereco.h"

#include "library/errors.h"
#include "session/GeralZOV.h"

namespace zov {

void SplitEndereco(const QString& address, QString& host, int& port)
{
    const qsizetype colon = address.indexOf(QLatin1Char(':'));
    if (colon < 0) {
        host = address.trimmed();
        port = 211;
        return;
    }
    const QString portText = address.mid(colon + 1).trimmed();
    bool ok = false;
    const int value = portText.toInt(&ok);
    if (!ok)
        throw Error(QStringLiteral("\"%1\" não é um número de porta válido.").arg(portText));
    host = address.left(colon).trimmed();
    port = value;
}

void UsaEndereco(const QString& address)
{
    QString host;
    int port = 0;
    SplitEndereco(address, host, port);
    SetIPAcesso(host);
    SetPorta(port);
}

} // namespace zov
