#include "db/trava_banco.h"

#include <QFileInfo>
#include <QLockFile>
#include <memory>

namespace zov {

namespace {

struct Trava {
    QString caminho;
    std::unique_ptr<QLockFile> arquivo;
};

Trava& trava()
{
    static Trava t;
    return t;
}

} // namespace

QString arquivoTrava(const QString& caminhoBanco) { return QFileInfo(caminhoBanco).absoluteFilePath() + QStringLiteral(".lock"); }

void TravaBanco(const QString& caminhoBanco)
{
    const QString caminho = QFileInfo(caminhoBanco).absoluteFilePath();
    Trava& t = trava();
    if (t.arquivo && t.caminho == caminho)
        return;
    LiberaBanco();
    auto arquivo = std::make_unique<QLockFile>(arquivoTrava(caminho));
    // Only a dead holder makes a lock stale: a program may stay open for days.
    arquivo->setStaleLockTime(0);
    if (!arquivo->tryLock(0)) {
        if (arquivo->error() == QLockFile::LockFailedError) {
            qint64 pid = 0;
            QString maquina, programa;
            arquivo->getLockInfo(&pid, &maquina, &programa);
            throw BancoEmUso(QStringLiteral("O banco de dados \"%1\" já está em uso por outra cópia do Pedidos ZOV-RA (processo %2 em %3). "
                                            "Use a cópia que já está aberta, ou feche-a e tente de novo.")
                                 .arg(caminho)
                                 .arg(pid)
                                 .arg(maquina));
        }
        throw Error(
            QStringLiteral(
                "Não foi possível criar o arquivo de trava \"%1\": verifique se a pasta do banco de dados existe e pode ser gravada.")
                .arg(arquivo->fileName()));
    }
    t.caminho = caminho;
    t.arquivo = std::move(arquivo);
}

void LiberaBanco()
{
    Trava& t = trava();
    t.arquivo.reset(); // unlocks and removes the file
    t.caminho.clear();
}

} // namespace zov
