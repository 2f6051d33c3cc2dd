#include "app/outra_copia.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>

namespace zov {

namespace {

// A name per database file, the same for every copy that opens it.
QString nomeDoCanal(const QString& caminhoBanco)
{
    const QByteArray caminho = QFileInfo(caminhoBanco).absoluteFilePath().toUtf8();
    return QStringLiteral("zov-pedidos-")
        + QString::fromLatin1(QCryptographicHash::hash(caminho, QCryptographicHash::Sha1).toHex().left(16));
}

void vemParaFrente()
{
    QWidget* w = QApplication::activeModalWidget();
    if (!w) {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->isVisible() && !top->isMinimized() && top->inherits("QMainWindow"))
                w = top;
    }
    if (!w)
        w = QApplication::activeWindow();
    if (!w)
        return;
    w->setWindowState((w->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    w->raise();
    w->activateWindow();
}

void (*aoSerChamada)() = &vemParaFrente;

} // namespace

void SetAoSerChamada(void (*fn)()) { aoSerChamada = fn ? fn : &vemParaFrente; }

void EscutaOutrasCopias(const QString& caminhoBanco)
{
    static QLocalServer* servidor = nullptr;
    delete servidor;
    servidor = new QLocalServer(qApp);
    const QString nome = nomeDoCanal(caminhoBanco);
    // A socket left by a copy that died: this copy holds the database's lock now.
    QLocalServer::removeServer(nome);
    servidor->setSocketOptions(QLocalServer::UserAccessOption);
    if (!servidor->listen(nome))
        return; // the second start is still refused; it only cannot call this one forward
    QObject::connect(servidor, &QLocalServer::newConnection, servidor, [] {
        while (QLocalSocket* s = servidor->nextPendingConnection()) {
            QObject::connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
            s->disconnectFromServer();
            aoSerChamada();
        }
    });
}

bool ChamaCopiaAberta(const QString& caminhoBanco)
{
    QLocalSocket s;
    s.connectToServer(nomeDoCanal(caminhoBanco));
    if (!s.waitForConnected(1000))
        return false;
    s.disconnectFromServer();
    return true;
}

} // namespace zov
