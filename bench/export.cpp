// The order export of a salesperson's machine holding a large company's
// customers: zov-appserver (a child process) serves a --scale N company
// (100 000 customers at N = 10); the client sends 10 orders of 5 items, with
// every active customer and its addresses, as every export does. Prints the
// export's seconds, the request as sent (compressed) and the peak memory.
//
//   bench_export [N]      (default: 10)
#include "app/GeralZOV.h"
#include "bench/bench_util.h"
#include "db/dbgeralped.h"
#include "library/local_time.h"
#include "transfer/atu_tab.h"
#include "transfer/exporta.h"
#include "transfer/netconnection.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

using namespace zov;

namespace {

const char* const kTables[] = {"CLIENTE", "ENDECLIE", "PRODUTO"};

} // namespace

int main(int argc, char** argv)
{
    zov::readLocalTimeZoneOnce();
    QCoreApplication app(argc, argv);
    const int scale = bench::scaleArg(argc, argv);
    QTemporaryDir dir;
    const QString clientPath = dir.filePath(QStringLiteral("cliente.sqlite"));
    const QString server = QStringLiteral(ZOV_APPSERVER);
    {
        auto made = bench::clientWithScaleCompany(dir, server, scale, kTables);
        if (!made)
            return 1;
    }
    QProcess serve;
    const int port = bench::startServer(serve, server, dir.filePath(QStringLiteral("servidor.db")));
    if (port == 0)
        return 1;
    SetIPAcesso(QStringLiteral("127.0.0.1"));
    SetPorta(port);
    SetFilial(QStringLiteral("0001"));
    SetDatabasePath(clientPath);
    Database& db = DataBaseGeralPed();

    const QStringList clientes = bench::column(db, QStringLiteral("SELECT CDCLIENTE FROM CLIENTE WHERE IDCLIEATIV = 'S' ORDER BY CDCLIENTE LIMIT 10"));
    const QStringList produtos = bench::column(db, QStringLiteral("SELECT CDPRODUTO FROM PRODUTO WHERE IDPRODATIVPR = 'S' AND CDPRODESTO IS NOT NULL ORDER BY CDPRODUTO LIMIT 5"));
    if (clientes.size() < 10 || produtos.size() < 5) {
        std::fprintf(stderr, "the company has too few active customers or products\n");
        return 1;
    }
    db.transaction([&] {
        for (int p = 0; p < 10; ++p) {
            const QString nr = QStringLiteral("%1").arg(p + 1, 10, 10, QLatin1Char('0'));
            db.exec(QStringLiteral("INSERT INTO PEDIDO (CDFILIAL, NRPEDIDO, IDSITPEDIDO, CDCLIENTE, DTPEDIDO) VALUES ('0001', :N, '1', :C, :D)"),
                    {{QStringLiteral("N"), nr}, {QStringLiteral("C"), clientes[p]}, {QStringLiteral("D"), QStringLiteral("2026-12-01 10:00:00")}});
            for (int i = 0; i < 5; ++i)
                db.exec(QStringLiteral("INSERT INTO ITEMPEDIDO (CDFILIAL, NRPEDIDO, NRITEMPED, IDSITITEMPED, CDPRODUTO, QTITEMPED, VRPREUNITPED) "
                                       "VALUES ('0001', :N, :I, '1', :P, 2, 10.5)"),
                        {{QStringLiteral("N"), nr}, {QStringLiteral("I"), QStringLiteral("%1").arg(i + 1, 3, 10, QLatin1Char('0'))},
                         {QStringLiteral("P"), produtos[i]}});
            db.exec(QStringLiteral("INSERT INTO OBSPEDIDO (CDFILIAL, NRPEDIDO, TXOBSPED) VALUES ('0001', :N, :T)"),
                    {{QStringLiteral("N"), nr}, {QStringLiteral("T"), QByteArray("{\\rtf1\\ansi entregar de manh\\'e3}")}});
            SetPedidosExportados(nr, QStringLiteral("S"));
        }
    });
    const int ativos = db.scalar(QStringLiteral("SELECT count(*) FROM CLIENTE WHERE IDCLIEATIV = 'S'")).toInt();
    const int enderecos = db.scalar(QStringLiteral("SELECT count(*) FROM ENDECLIE E JOIN CLIENTE C ON C.CDCLIENTE = E.CDCLIENTE WHERE C.IDCLIEATIV = 'S'")).toInt();
    std::printf("N = %d: 10 orders of 5 items, %d active customers, %d of their addresses\n", scale, ativos, enderecos);

    QElapsedTimer t;
    t.start();
    const double client0 = bench::ownCpuSeconds(), server0 = bench::processCpuSeconds(serve.processId());
    const bool ok = CriaExportaPedidos();
    const double seconds = t.nsecsElapsed() / 1e9;
    std::printf("  CPU: client %.2f s, server %.2f s\n", bench::ownCpuSeconds() - client0, bench::processCpuSeconds(serve.processId()) - server0);
    if (!ok) {
        std::fprintf(stderr, "export failed: %s\n", qUtf8Printable(lastTransferError()));
        return 1;
    }
    const ResultadoExportacao& r = UltimaExportacao();
    std::printf("  sent %lld, taken %lld, refused %lld\n", qlonglong(r.enviados.size()), qlonglong(r.aceitos.size()), qlonglong(r.recusados.size()));
    std::printf("figure export_10_orders_s %.2f s\n", seconds);
    std::printf("figure export_request_mb %.1f MB\n", LastRequestBodyBytes() / 1e6);
    std::printf("figure export_peak_rss_mb %ld MB\n", bench::peakRssMb());
    FreeDBGeralPed();
    serve.terminate();
    serve.waitForFinished(5000);
    return r.aceitos.size() == 10 ? 0 : 1;
}
