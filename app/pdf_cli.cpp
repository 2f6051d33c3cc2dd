#include "app/pdf_cli.h"

#include "db/dbgeralped.h"
#include "library/consiste.h"
#include "library/formats.h"
#include "library/velmora.h"
#include "orders/espelho_pedido.h"

#include <QFileInfo>
#include <cstdio>

namespace zov {

namespace {

bool soDigitos(const QString& text, int maximo)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > maximo)
        return false;
    for (QChar c : t)
        if (!c.isDigit())
            return false;
    return true;
}

} // namespace

int runPdf(const PdfOptions& options)
{
    auto fail = [](const QString& text, int code) {
        std::fprintf(stderr, "erro: %s\n", qUtf8Printable(text));
        return code;
    };
    if (options.filial.trimmed().isEmpty() || options.output.trimmed().isEmpty())
        return fail(QStringLiteral("--pdf precisa de --filial CÓDIGO e --output ARQUIVO.pdf."), 2);
    if (!soDigitos(options.pedido, 10))
        return fail(QStringLiteral("--pdf espera o número do pedido (até 10 dígitos), não \"%1\".").arg(options.pedido), 2);
    if (options.filial.trimmed().size() > 4)
        return fail(QStringLiteral("--filial espera um código de até 4 caracteres, não \"%1\".").arg(options.filial), 2);
    try {
        fixLocaleAtStartup();
        LoadInstallationSettings();
        if (!options.database.isEmpty())
            SetDatabasePath(options.database);
        // Printing never creates a database: a missing file has no orders.
        if (!QFileInfo::exists(DatabasePath()))
            return fail(QStringLiteral("o banco de dados %1 não existe.").arg(DatabasePath()), 1);
        Database& db = DataBaseGeralPed();
        const QString filial = Ajusta(options.filial, 4);
        const QString numero = Ajusta(options.pedido, 10);
        const std::optional<EspelhoPedido> espelho = EspelhoPedido::le(db, filial, numero);
        if (!espelho)
            return fail(QStringLiteral("o pedido %1 não existe na filial %2.").arg(numero, filial), 1);
        espelho->gravaPdf(options.output);
        FreeDBGeralPed();
        return 0;
    } catch (const std::exception& e) {
        return fail(QString::fromUtf8(e.what()), 1);
    }
}

} // namespace zov
