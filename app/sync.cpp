#include "app/sync.h"
#include "transfer/acompanhamento.h"

#include "db/dbgeralped.h"
#include "library/consiste.h"
#include "library/errors.h"
#include "library/formats.h"
#include "library/velmora.h"
#include "session/GeralZOV.h"
#include "transfer/atu_tab.h"
#include "transfer/endereco.h"
#include "transfer/exporta.h"
#include "transfer/progress.h"
#include "transfer/sessao_servidor.h"

#include <cstdio>

namespace zov {

namespace {

// The operator's credentials for the server; the password only from the environment.
QString defineOperador(const QString& filial, const QString& operador)
{
    if (operador.trimmed().isEmpty())
        return QStringLiteral("falta --operador CÓDIGO (a senha vem da variável de ambiente ZOV_SENHA).");
    if (!qEnvironmentVariableIsSet("ZOV_SENHA"))
        return QStringLiteral("defina a senha do operador na variável de ambiente ZOV_SENHA.");
    DefineCredenciaisServidor(Ajusta(filial, 4), Ajusta(operador, 12), qEnvironmentVariable("ZOV_SENHA"));
    return {};
}

} // namespace

int runSync(const SyncOptions& options)
{
    auto fail = [](const QString& text, int code) {
        std::fprintf(stderr, "erro: %s\n", qUtf8Printable(text));
        return code;
    };
    if (options.address.trimmed().isEmpty() || options.filial.trimmed().isEmpty())
        return fail(QStringLiteral("--sync precisa de --address HOST[:PORTA] e --filial CÓDIGO."), 2);
    if (const QString problem = defineOperador(options.filial, options.operador); !problem.isEmpty())
        return fail(problem, 2);
    try {
        fixLocaleAtStartup();
        LoadInstallationSettings();
        if (!options.database.isEmpty())
            SetDatabasePath(options.database);
        DataBaseGeralPed();
        UsaEndereco(options.address);
        SetFilial(Ajusta(options.filial, 4));

        StderrProgress progress;
        TransferLock lock;
        UpdateProgress(&progress, {QStringLiteral("Conectando ao servidor...")}, 0, 1, true);
        if (!TestaConnect())
            return fail(QStringLiteral("Não existe conexão com o servidor: %1").arg(lastTransferError()), 1);
        if (!CriaBaixaDados() || !ChamaExportaDados())
            return fail(lastTransferError(), 1);
        if (!AtualizaAcompanhamento())
            return fail(lastTransferError(), 1);
        if (const MudancasAcompanhamento m = TomaMudancasAcompanhamento(); !m.vazia())
            std::fprintf(stderr, "%s\n", qUtf8Printable(m.texto()));
        FreeDBGeralPed();
        return 0;
    } catch (const std::exception& e) {
        return fail(QString::fromUtf8(e.what()), 1);
    }
}

int runExport(const ExportOptions& options)
{
    auto fail = [](const QString& text, int code) {
        std::fprintf(stderr, "erro: %s\n", qUtf8Printable(text));
        return code;
    };
    if (options.address.trimmed().isEmpty() || options.filial.trimmed().isEmpty())
        return fail(QStringLiteral("--export precisa de --address HOST[:PORTA] e --filial CÓDIGO."), 2);
    if (const QString problem = defineOperador(options.filial, options.operador); !problem.isEmpty())
        return fail(problem, 2);
    QString host;
    int port = 0;
    try {
        SplitEndereco(options.address, host, port);
    } catch (const std::exception& e) {
        return fail(QString::fromUtf8(e.what()), 2);
    }
    QStringList pedidos;
    for (const QString& n : options.pedidos.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool numero = false;
        n.trimmed().toLongLong(&numero);
        if (!numero || n.trimmed().size() > 10)
            return fail(QStringLiteral("--pedidos espera números de pedido separados por vírgula, não \"%1\".").arg(n), 2);
        pedidos << Ajusta(n, 10);
    }
    if (!options.pedidos.trimmed().isEmpty() && pedidos.isEmpty())
        return fail(QStringLiteral("--pedidos sem nenhum número."), 2);
    try {
        fixLocaleAtStartup();
        LoadInstallationSettings();
        if (!options.database.isEmpty())
            SetDatabasePath(options.database);
        Database& db = DataBaseGeralPed();
        SetIPAcesso(host);
        SetPorta(port);
        SetFilial(Ajusta(options.filial, 4));

        // The same orders the export window offers: pending, of the branch, with a customer.
        const QStringList pendentes = [&] {
            QStringList out;
            Statement st(db,
                         QStringLiteral("SELECT P.NRPEDIDO FROM PEDIDO P JOIN CLIENTE C ON P.CDCLIENTE = C.CDCLIENTE "
                                        "WHERE P.IDSITPEDIDO = '1' AND P.CDFILIAL = :F ORDER BY P.NRPEDIDO"));
            st.bind(QStringLiteral("F"), Filial());
            while (st.step())
                out << st.value(0, FieldKind::Text).toString();
            return out;
        }();
        for (const QString& n : pedidos)
            if (!pendentes.contains(n))
                return fail(QStringLiteral("o pedido %1 não está pendente de exportação na filial %2.").arg(n, Filial()), 2);
        LimpaPedidosExport();
        for (const QString& n : pedidos.isEmpty() ? pendentes : pedidos)
            SetPedidosExportados(n, QStringLiteral("S"));

        TransferLock lock;
        if (!TestaConnect())
            return fail(QStringLiteral("Não existe conexão com o servidor: %1").arg(lastTransferError()), 1);
        if (!CriaExportaPedidos())
            return fail(lastTransferError(), 1);
        const ResultadoExportacao& r = UltimaExportacao();
        for (const PedidoRecusado& p : r.recusados)
            std::printf("recusado %s: %s\n", qUtf8Printable(p.nrPedido), qUtf8Printable(p.motivo));
        std::printf("%lld pedido(s) enviado(s), %lld aceito(s).\n", qlonglong(r.enviados.size()), qlonglong(r.aceitos.size()));
        FreeDBGeralPed();
        return 0;
    } catch (const std::exception& e) {
        return fail(QString::fromUtf8(e.what()), 1);
    }
}

} // namespace zov
