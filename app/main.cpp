// zov-pedidos: the sales-order client.
//
//   zov-pedidos [--database FILE]
//   zov-pedidos --sync --database FILE --address HOST[:PORT] --filial CODE
//   zov-pedidos --export --database FILE --address HOST[:PORT] --filial CODE [--pedidos N1,N2,...]
#include "library/local_time.h"
#include "app/ZOV00000.h"
#include "app/startup.h"
#include "app/sync.h"

#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>
#include <cstring>

namespace {

struct Options {
    QCommandLineOption database{QStringLiteral("database"), QStringLiteral("Arquivo do banco de dados local."),
                                QStringLiteral("arquivo")};
    QCommandLineOption sync{QStringLiteral("sync"),
                            QStringLiteral("Atualiza as tabelas locais com os dados do servidor, sem janelas, e termina.")};
    QCommandLineOption exporta{QStringLiteral("export"),
                               QStringLiteral("Envia ao servidor os pedidos pendentes da filial, sem janelas, e termina.")};
    QCommandLineOption address{QStringLiteral("address"), QStringLiteral("Endereço do servidor (--sync, --export)."),
                               QStringLiteral("host[:porta]")};
    QCommandLineOption filial{QStringLiteral("filial"), QStringLiteral("Filial (--sync, --export)."), QStringLiteral("código")};
    QCommandLineOption pedidos{QStringLiteral("pedidos"), QStringLiteral("Pedidos a exportar (--export); sem ela, todos os pendentes."),
                               QStringLiteral("n1,n2,...")};

    void parse(QCoreApplication& app, QCommandLineParser& parser)
    {
        parser.setApplicationDescription(QStringLiteral("Pedidos ZOV-RA"));
        parser.addHelpOption();
        parser.addOptions({database, sync, exporta, address, filial, pedidos});
        parser.process(app);
    }
};

void identify()
{
    QCoreApplication::setOrganizationName(QStringLiteral("ZOV-RA"));
    QCoreApplication::setApplicationName(QStringLiteral("zov-pedidos"));
}

} // namespace

int main(int argc, char** argv)
{
    zov::readLocalTimeZoneOnce();
    // A sync runs without a display, and so does the help: no widgets at all.
    bool headless = false;
    for (int i = 1; i < argc; ++i) {
        for (const char* option : {"--sync", "--export", "--help", "-h", "--help-all"})
            headless = headless || std::strcmp(argv[i], option) == 0;
    }
    if (headless) {
        QCoreApplication app(argc, argv);
        identify();
        QCommandLineParser parser;
        Options o;
        parser.setApplicationDescription(QStringLiteral("Pedidos ZOV-RA"));
        const QCommandLineOption help = parser.addHelpOption();
        parser.addOptions({o.database, o.sync, o.exporta, o.address, o.filial, o.pedidos});
        // Wrong options are exit code 2 for scripts, as the commands' own checks are.
        if (!parser.parse(app.arguments())) {
            std::fprintf(stderr, "erro: %s\n", qUtf8Printable(parser.errorText()));
            return 2;
        }
        if (parser.isSet(help))
            parser.showHelp(0);
        if (parser.isSet(o.sync) && parser.isSet(o.exporta)) {
            std::fprintf(stderr, "erro: use --sync ou --export, não os dois.\n");
            return 2;
        }
        if (parser.isSet(o.exporta))
            return zov::runExport({parser.value(o.database), parser.value(o.address), parser.value(o.filial), parser.value(o.pedidos)});
        return zov::runSync({parser.value(o.database), parser.value(o.address), parser.value(o.filial)});
    }

    QApplication app(argc, argv);
    identify();
    // Ties the windows to the installed menu entry and its icon (Wayland, task bars).
    QGuiApplication::setDesktopFileName(QStringLiteral("br.com.zovra.Pedidos"));
    QCommandLineParser parser;
    Options o;
    o.parse(app, parser);
    zov::StartupOptions options;
    options.database = parser.value(o.database);
    if (!zov::iniciaProcesso(app, options))
        return 0;
    zov::TfrmPedidosPrinc* main = zov::createMainWindow();
    main->showAsMainWindow();
    return app.exec();
}
