#include "app/startup.h"

#include "app/ZOV00000.h"
#include "app/ZOV00010.h"
#include "app/outra_copia.h"
#include "app/windows.h"
#include "db/dbgeralped.h"
#include "db/trava_banco.h"
#include "library/ajuda_qt.h"
#include "library/arquivos_banco.h"
#include "library/dialogs_qt.h"
#include "library/formats.h"
#include "library/geral.h"
#include "library/velmora.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace zov {

QIcon applicationIcon()
{
    // Built once: every window asks for it.
    static const QIcon icon = [] {
        QIcon fromResources;
        for (int size : {16, 32, 48, 64, 128, 256}) {
            const QString file = QStringLiteral(":/icons/br.com.zovra.Pedidos-%1.png").arg(size);
            if (QFile::exists(file))
                fromResources.addFile(file, QSize(size, size));
        }
        return fromResources.isNull() ? QIcon::fromTheme(QStringLiteral("br.com.zovra.Pedidos")) : fromResources;
    }();
    return icon;
}

bool loadQtTranslations(QCoreApplication& app)
{
    // Qt's own dialogs (printer set-up, files, standard buttons) in Portuguese.
    auto* qt = new QTranslator(&app);
    if (!qt->load(QLocale(QLocale::Portuguese, QLocale::Brazil), QStringLiteral("qtbase"), QStringLiteral("_"),
                  QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete qt;
        return false;
    }
    return app.installTranslator(qt);
}

bool iniciaProcesso(QApplication& app, const StartupOptions& options)
{
    fixLocaleAtStartup();
    installDialogs(std::make_unique<QtDialogs>());
    instalaAjudaF1();
    ProtegeArquivosDoBanco();
    if (!options.database.isEmpty())
        SetDatabasePath(options.database);
    LoadInstallationSettings();

    TfrmLogin login;
    app.setWindowIcon(login.windowIcon());
    // No application display name: Qt would repeat it after every window's
    // and box's own title ("Confirmação — Pedidos ZOV - RA").
    loadQtTranslations(app);
    // One copy per database: a second start calls the first forward and ends.
    const QString banco = DatabasePath();
    QDir().mkpath(QFileInfo(banco).absolutePath());
    try {
        TravaBanco(banco);
    } catch (const BancoEmUso& e) {
        ChamaCopiaAberta(banco);
        dialogs().error(e.text());
        return false;
    } catch (const Error&) {
        // A folder that cannot be written: the login says so when it opens the database.
    }
    EscutaOutrasCopias(banco);
    // The database is connected with the login window: a file that cannot be
    // opened is reported here, the window still opens, and every later use
    // tries again.
    login.abrir();
    login.exec();
    QCoreApplication::processEvents();
    if (!login.logic().admitido())
        return false;
    HandleFormChange(app);
    HandleMsgPagina();
    return true;
}

TfrmPedidosPrinc* createMainWindow()
{
    auto* w = new TfrmPedidosPrinc;
    w->setAttribute(Qt::WA_DeleteOnClose);
    registerWindows(*w);
    w->setWindowIcon(applicationIcon());
    return w;
}

} // namespace zov
