// Opens a customer's history ("Histórico do Cliente") of 5 000 lines (1 000
// orders of 5 lines) among 20 customers of the same size, and prints the
// median time of reading it and of opening the whole window, and the time of
// reading the last prices the items grid shows.
//
//   bench_historico [LINES]      (default: 5 000)
#include "bench/bench_util.h"
#include "library/local_time.h"
#include "library/relogio.h"
#include "orders/ZOV00103.h"

#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>

using namespace zov;

namespace {

void fill(Database& db, int linhas)
{
    const QDate hoje = dataDeHoje();
    db.transaction([&] {
        Statement prod(db, QStringLiteral("INSERT INTO PRODUTO (CDPRODUTO, CDARVPROD, NMPRODUTO, IDPRODATIVPR) VALUES (:C, :A, :N, 'S')"));
        for (int p = 0; p < 300; ++p) {
            prod.bind(QStringLiteral("C"), QStringLiteral("P%1").arg(p, 5, 10, QLatin1Char('0')));
            prod.bind(QStringLiteral("A"), QStringLiteral("%1").arg(p, 9, 10, QLatin1Char('0')));
            prod.bind(QStringLiteral("N"), QStringLiteral("PRODUTO NUMERO %1").arg(p));
            prod.exec();
            prod.reset();
        }
        Statement h(
            db,
            QStringLiteral("INSERT INTO HISTCLIENTE (CDCLIENTE, CDFILIAL, NRPEDIDO, NRITEMPED, IDORIGEM, DTPEDIDO, CDPRODUTO, QTITEMPED, "
                           "VRPRECO, VRDESCONTO, VRLIQUIDO, IDSITEMPRESA) VALUES (:C, '0001', :N, :I, 'E', :D, :P, 3, :V, 0, :L, 'F')"));
        for (int c = 0; c < 20; ++c)
            for (int i = 0; i < linhas; ++i) {
                const int pedido = i / 5;
                h.bind(QStringLiteral("C"), QStringLiteral("C%1").arg(c));
                h.bind(QStringLiteral("N"), QStringLiteral("%1").arg(pedido, 10, 10, QLatin1Char('0')));
                h.bind(QStringLiteral("I"), QString::number(i % 5 + 1));
                h.bind(QStringLiteral("D"),
                       hoje.addDays(-(pedido * 360 / std::max(1, linhas / 5))).toString(Qt::ISODate) + QStringLiteral(" 10:00:00"));
                h.bind(QStringLiteral("P"), QStringLiteral("P%1").arg((i * 7) % 300, 5, 10, QLatin1Char('0')));
                h.bind(QStringLiteral("V"), 10.0 + i % 50);
                h.bind(QStringLiteral("L"), 3 * (10.0 + i % 50));
                h.exec();
                h.reset();
            }
    });
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    readLocalTimeZoneOnce();
    const int linhas = argc > 1 ? std::max(5, std::atoi(argv[1])) : 5000;
    QTemporaryDir dir;
    Database db(dir.filePath(QStringLiteral("cliente.sqlite")), Database::Mode::CreateIfMissing);
    db.execScript(QString::fromUtf8(schemaSql()));
    fill(db, linhas);
    std::printf("%d lines for each of 20 customers\n", linhas);

    const double leitura = bench::medianMs(7, [&] { HistoricoCliente h(db, QStringLiteral("C7"), QStringLiteral("0001")); });
    const double precos = bench::medianMs(7, [&] { HistoricoCliente(db, QStringLiteral("C7"), QStringLiteral("0001")).ultimosPrecos(); });
    const double janela = bench::medianMs(7, [&] {
        TfrmHistoricoCliente frm(db, QStringLiteral("C7"), QStringLiteral("0001"), QStringLiteral("CLIENTE 7"), {});
        frm.show();
        QCoreApplication::processEvents();
    });
    std::printf("figure historico_leitura_ms %.2f ms\n", leitura);
    std::printf("figure historico_ultimos_precos_ms %.2f ms\n", precos);
    std::printf("figure historico_abertura_ms %.2f ms\n", janela);
    return 0;
}
