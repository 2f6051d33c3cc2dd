// zov-pedidos: the sales-order client.
#include "app/ZOV00000.h"
#include "app/startup.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("ZOV-RA"));
    QApplication::setApplicationName(QStringLiteral("zov-pedidos"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Pedidos ZOV-RA"));
    parser.addHelpOption();
    const QCommandLineOption database(QStringLiteral("database"), QStringLiteral("Arquivo do banco de dados local."),
                                      QStringLiteral("arquivo"));
    const QCommandLineOption filial(QStringLiteral("filial"), QStringLiteral("Filial da sessão (desenvolvimento)."),
                                    QStringLiteral("código"));
    const QCommandLineOption operador(QStringLiteral("operador"), QStringLiteral("Operador da sessão (desenvolvimento)."),
                                      QStringLiteral("código"));
    parser.addOptions({database, filial, operador});
    parser.process(app);

    zov::StartupOptions options;
    options.database = parser.value(database);
    options.filial = parser.value(filial);
    options.operador = parser.value(operador);
    if (!zov::iniciaProcesso(app, options))
        return 0;
    zov::TfrmPedidosPrinc* main = zov::createMainWindow();
    main->showAsMainWindow();
    return app.exec();
}
