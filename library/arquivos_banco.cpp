#include "library/arquivos_banco.h"

#include <QDir>
#include <QFileInfo>

namespace zov {

namespace {

QString& banco()
{
    static QString b;
    return b;
}

QString absoluto(const QString& caminho) { return QDir::cleanPath(QFileInfo(caminho).absoluteFilePath()); }

} // namespace

void SetArquivoBanco(const QString& caminhoBanco) { banco() = caminhoBanco.isEmpty() ? QString() : absoluto(caminhoBanco); }

bool arquivoDoBanco(const QString& caminho)
{
    if (banco().isEmpty() || caminho.trimmed().isEmpty())
        return false;
    const QString c = absoluto(caminho);
    for (const char* sufixo : {"", "-wal", "-shm", "-journal", ".lock"})
        if (c == banco() + QLatin1String(sufixo))
            return true;
    // The same file through a link, when it exists.
    const QString real = QFileInfo(c).canonicalFilePath();
    return !real.isEmpty() && real == QFileInfo(banco()).canonicalFilePath();
}

QString msgArquivoDoBanco()
{
    return QStringLiteral(
        "Este arquivo pertence ao banco de dados do Pedidos ZOV-RA e não pode ser aberto nem substituído. Escolha outro arquivo.");
}

} // namespace zov
