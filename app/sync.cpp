#include "app/sync.h"

#include "app/GeralZOV.h"
#include "db/dbgeralped.h"
#include "library/consiste.h"
#include "library/errors.h"
#include "library/formats.h"
#include "library/velmora.h"
#include "transfer/atu_tab.h"
#include "transfer/endereco.h"
#include "transfer/progress.h"

#include <cstdio>

namespace zov {

int runSync(const SyncOptions& options)
{
    auto fail = [](const QString& text, int code) {
        std::fprintf(stderr, "erro: %s\n", qUtf8Printable(text));
        return code;
    };
    if (options.address.trimmed().isEmpty() || options.filial.trimmed().isEmpty())
        return fail(QStringLiteral("--sync precisa de --address HOST[:PORTA] e --filial CÓDIGO."), 2);
    try {
        fixLocaleAtStartup();
        LoadInstallationSettings();
        if (!options.database.isEmpty())
            SetDatabasePath(options.database);
        DataBaseGeralPed();
        QString host;
        int port = 0;
        SplitEndereco(options.address, host, port);
        SetIPAcesso(host);
        SetPorta(port);
        SetFilial(Ajusta(options.filial, 4));

        StderrProgress progress;
        TransferLock lock;
        UpdateProgress(&progress, {QStringLiteral("Conectando ao servidor...")}, 0, 1, true);
        if (!TestaConnect())
            return fail(QStringLiteral("Não existe conexão com o servidor: %1").arg(lastTransferError()), 1);
        if (!CriaBaixaDados() || !ChamaExportaDados())
            return fail(lastTransferError(), 1);
        FreeDBGeralPed();
        return 0;
    } catch (const std::exception& e) {
        return fail(QString::fromUtf8(e.what()), 1);
    }
}

} // namespace zov
