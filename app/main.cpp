// zov-pedidos: the sales-order client.
//
//   zov-pedidos [--database FILE]
//   zov-pedidos --sync --database FILE --address HOST[:PORT] --filial CODE --operador CODE   (ZOV_SENHA)
//   zov-pedidos --export --database FILE --address HOST[:PORT] --filial CODE --operador CODE [--pedidos N1,N2,...]
//   zov-pedidos --pdf NRPEDIDO --filial CODE --database FILE --output FILE.pdf
#include "app/ZOV00000.h"
#include "app/pdf_cli.h"
#include "app/startup.h"
#include "app/sync.h"
#include "library/formats.h"
#include "library/local_time.h"

#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

struct Options {
    QCommandLineOption database{QStringLiteral("database"), QStringLiteral("Arquivo do banco de dados local."), QStringLiteral("arquivo")};
    QCommandLineOption sync{QStringLiteral("sync"),
                            QStringLiteral("Atualiza as tabelas locais com os dados do servidor, sem janelas, e termina.")};
    QCommandLineOption exporta{QStringLiteral("export"),
                               QStringLiteral("Envia ao servidor os pedidos pendentes da filial, sem janelas, e termina.")};
    QCommandLineOption address{QStringLiteral("address"), QStringLiteral("Endereço do servidor (--sync, --export)."),
                               QStringLiteral("host[:porta]")};
    QCommandLineOption filial{QStringLiteral("filial"), QStringLiteral("Filial (--sync, --export, --pdf)."), QStringLiteral("código")};
    QCommandLineOption operador{QStringLiteral("operador"),
                                QStringLiteral("Operador que o servidor admite (--sync, --export); a senha vem da variável ZOV_SENHA."),
                                QStringLiteral("código")};
    QCommandLineOption pedidos{QStringLiteral("pedidos"), QStringLiteral("Pedidos a exportar (--export); sem ela, todos os pendentes."),
                               QStringLiteral("n1,n2,...")};
    QCommandLineOption pdf{QStringLiteral("pdf"), QStringLiteral("Grava o espelho do pedido em PDF, sem janelas, e termina."),
                           QStringLiteral("número")};
    QCommandLineOption output{QStringLiteral("output"), QStringLiteral("Arquivo PDF a gravar (--pdf)."), QStringLiteral("arquivo")};

    void parse(QCoreApplication& app, QCommandLineParser& parser)
    {
        parser.setApplicationDescription(QStringLiteral("Pedidos ZOV-RA"));
        parser.addHelpOption();
        parser.addOptions({database, sync, exporta, address, filial, operador, pedidos, pdf, output});
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
    // A sync, an export, a PDF and the help run without a display: no widgets at all.
    bool headless = false;
    bool pdf = false;
    for (int i = 1; i < argc; ++i) {
        for (const char* option : {"--sync", "--export", "--help", "-h", "--help-all"})
            headless = headless || std::strcmp(argv[i], option) == 0;
        pdf = pdf || std::strcmp(argv[i], "--pdf") == 0 || std::strncmp(argv[i], "--pdf=", 6) == 0;
    }
    if (headless || pdf) {
        // A PDF's text needs fonts, which need a QGuiApplication: on the
        // offscreen platform, so that no display is needed nor touched.
        std::unique_ptr<QCoreApplication> instance;
        if (pdf) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            instance = std::make_unique<QGuiApplication>(argc, argv);
        } else {
            instance = std::make_unique<QCoreApplication>(argc, argv);
        }
        QCoreApplication& app = *instance;
        identify();
        QCommandLineParser parser;
        Options o;
        parser.setApplicationDescription(QStringLiteral("Pedidos ZOV-RA"));
        const QCommandLineOption help = parser.addHelpOption();
        parser.addOptions({o.database, o.sync, o.exporta, o.address, o.filial, o.operador, o.pedidos, o.pdf, o.output});
        // Wrong options are exit code 2 for scripts, as the commands' own checks are.
        if (!parser.parse(app.arguments())) {
            std::fprintf(stderr, "erro: %s\n", qUtf8Printable(parser.errorText()));
            return 2;
        }
        if (parser.isSet(help))
            parser.showHelp(0);
        if (int(parser.isSet(o.sync)) + int(parser.isSet(o.exporta)) + int(parser.isSet(o.pdf)) > 1) {
            std::fprintf(stderr, "erro: use só um de --sync, --export e --pdf.\n");
            return 2;
        }
        if (parser.isSet(o.pdf))
            return zov::runPdf({parser.value(o.database), parser.value(o.pdf), parser.value(o.filial), parser.value(o.output)});
        if (parser.isSet(o.exporta))
            return zov::runExport({parser.value(o.database), parser.value(o.address), parser.value(o.filial), parser.value(o.pedidos),
                                   parser.value(o.operador)});
        return zov::runSync({parser.value(o.database), parser.value(o.address), parser.value(o.filial), parser.value(o.operador)});
    }

    zov::datasEmPortuguesNoAmbiente();
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
