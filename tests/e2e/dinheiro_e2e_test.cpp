// 100 000 random lines, priced and discounted as the order window does it:
// every total the items page, the mirror and the server's listing show is
// the sum of the line values shown, to the cent, and every typed value reads
// back as it was typed.
#include "library/dataset.h"
#include "library/formats.h"
#include "library/valores_item.h"
#include "orders/espelho_pedido.h"
#include "orders/lanc_pedido.h"
#include "server/received_orders.h"
#include "server/sqlite_connection.h"
#include "tests/orders/pedidos_fixture.h"
#include "tests/support/temp_database.h"

#include <QHash>
#include <QRegularExpression>
#include <cmath>
#include <gtest/gtest.h>
#include <random>

using namespace zov;

namespace {

constexpr int kPedidos = 1000;
constexpr int kLinhasPorPedido = 100;

// What a cell shows, read back as a decimal.
Decimal mostrado(const QString& texto)
{
    const auto v = Decimal::fromTyped(texto.trimmed(), programLocale());
    EXPECT_TRUE(v) << texto.toStdString();
    return v.value_or(Decimal());
}

QString numero(int i) { return QStringLiteral("%1").arg(i + 1, 10, 10, QLatin1Char('0')); }

// A decimal of up to maxUnits units at the given scale, typed as the user types it.
QString digitado(std::mt19937_64& rng, qint64 minUnits, qint64 maxUnits, int escala)
{
    const qint64 units = minUnits + qint64(rng() % std::uint64_t(maxUnits - minUnits + 1));
    return formatNumber(Decimal::fromUnits(units, escala), QStringLiteral("0.") + QString(escala, QLatin1Char('0')));
}

TEST(DinheiroE2E, EveryTotalIsTheSumOfTheLinesShownAndTypedValuesReadBackAsTyped)
{
    setProgramLocale(QLocale(QLocale::Portuguese, QLocale::Brazil));
    test::TempDatabase tdb;
    Database& db = tdb.db();
    test::semeiaPedidos(db);

    // Each typed value goes through a cell's field, as the grid takes it.
    Query celula;
    celula.createDataSet({{QStringLiteral("QTITEMPED"), FieldKind::Number},
                          {QStringLiteral("VRITEPREBASE"), FieldKind::Number},
                          {QStringLiteral("PERDESC"), FieldKind::Number},
                          {QStringLiteral("VRDESITPED"), FieldKind::Number}});
    celula.append();
    struct Digitado {
        Decimal quantidade, tabela, desconto; // desconto: as typed, or nothing when a percentage was
    };
    QHash<QString, Digitado> digitados; // by order and item
    std::mt19937_64 rng(20261209);
    const Decimal ajustes[] = {
        Decimal(), Decimal(5), *Decimal::fromString("2.5"), Decimal(-3), *Decimal::fromString("7.25"), *Decimal::fromString("10.1234")};
    db.transaction([&] {
        Statement item(db,
                       QStringLiteral("INSERT INTO ITEMPEDIDO (CDFILIAL, NRPEDIDO, NRITEMPED, CDPRODUTO, QTITEMPED, VRPREUNITPED, "
                                      "VRPRTABITPED, VRDESITPED, IDSITITEMPED) VALUES ('0001', :NR, :IT, 'P1', :QT, :PR, :TB, :DS, '1')"));
        for (int p = 0; p < kPedidos; ++p) {
            test::pedidoGravado(db, numero(p));
            for (int l = 0; l < kLinhasPorPedido; ++l) {
                auto digita = [&](const char* campo, const QString& texto) {
                    Field& f = celula[QString::fromLatin1(campo)];
                    f.setTypedText(texto);
                    return f.asDecimal(escala::kValor);
                };
                Digitado d;
                d.quantidade = digita("QTITEMPED", digitado(rng, 1, 999999, 3));
                const int casas = 2 + int(rng() % 3);
                d.tabela = digita("VRITEPREBASE", digitado(rng, 1, 99999 * qint64(std::pow(10, casas)), casas));
                const Decimal preco = precoUnitario(d.tabela, ajustes[rng() % std::size(ajustes)]);
                const ValoresItem linha = valoresItem(preco, d.quantidade, Decimal());
                Decimal desconto;
                switch (rng() % 3) {
                case 0: // a percentage typed, the value following it
                    desconto = descontoDoPercentual(preco, d.quantidade, digita("PERDESC", digitado(rng, 0, 1000000, 4)));
                    break;
                case 1: // a value typed, within the line
                    d.desconto =
                        digita("VRDESITPED", digitado(rng, 0, linha.bruto.units() * 100 / qint64(std::pow(10, linha.bruto.scale())), 2));
                    desconto = d.desconto;
                    break;
                default: break;
                }
                item.reset();
                item.bind(QStringLiteral("NR"), numero(p));
                item.bind(QStringLiteral("IT"), numero(l));
                item.bind(QStringLiteral("QT"), celula[QStringLiteral("QTITEMPED")].value());
                item.bind(QStringLiteral("PR"), preco.storable().toDouble());
                item.bind(QStringLiteral("TB"), celula[QStringLiteral("VRITEPREBASE")].value());
                item.bind(QStringLiteral("DS"),
                          d.desconto.isZero() && desconto.isZero() ? QVariant()
                              : d.desconto.isZero()                ? QVariant(desconto.storable().toDouble())
                                                                   : celula[QStringLiteral("VRDESITPED")].value());
                item.exec();
                digitados.insert(numero(p) + numero(l), d);
            }
        }
    });

    // The server keeps the same rows as a received copy of each order.
    server::SqliteConnection server(db);
    server::createReceivedOrderTables(server);
    db.execScript(QStringLiteral(
        "INSERT INTO PEDIDORECEBIDO (CDFILIAL, NRPEDIDO, NMUSUARIO, IDINSTALACAO, DTRECEBIDO) "
        "SELECT CDFILIAL, NRPEDIDO, 'ana', 'teste', '2026-12-09 10:00:00' FROM PEDIDO;"
        "INSERT INTO PEDIDOREC SELECT R.IDRECEBIDO, P.* FROM PEDIDO P JOIN PEDIDORECEBIDO R USING (CDFILIAL, NRPEDIDO);"
        "INSERT INTO ITEMPEDIDOREC SELECT R.IDRECEBIDO, I.* FROM ITEMPEDIDO I JOIN PEDIDORECEBIDO R USING (CDFILIAL, NRPEDIDO);"));
    QHash<QString, QString> totalServidor;
    const QStringList listagem = server::receivedOrdersListing(server).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString& linha : listagem.mid(1)) {
        const QStringList c = linha.split(QRegularExpression(QStringLiteral("\\s{2,}")));
        ASSERT_GE(c.size(), 9) << linha.toStdString();
        totalServidor.insert(c[1], c[8]);
    }
    ASSERT_EQ(totalServidor.size(), kPedidos);

    int linhas = 0;
    for (int p = 0; p < kPedidos; ++p) {
        const QString nr = numero(p);
        const auto espelho = EspelhoPedido::le(db, QStringLiteral("0001"), nr);
        ASSERT_TRUE(espelho);
        const DadosEspelho& e = espelho->dados();
        Decimal descontos, liquidos;
        for (const QStringList& cells : e.itens) {
            descontos += cells[7].isEmpty() ? Decimal() : mostrado(cells[7]);
            liquidos += mostrado(cells[8]);
        }
        linhas += int(e.itens.size());
        // The items page's totals are the mirror's: the same reading of the same rows.
        const TextosTotais janela = textosTotais(BancoPedido(db).totaisPedido(QStringLiteral("0001"), nr));
        ASSERT_EQ((QStringList{janela.bruto, janela.descTotal, janela.liquido}),
                  (QStringList{e.totais.bruto, e.totais.descTotal, e.totais.liquido}));
        ASSERT_EQ(mostrado(e.totais.liquido), liquidos) << "order " << nr.toStdString();
        ASSERT_EQ(mostrado(e.totais.descTotal), descontos) << "order " << nr.toStdString();
        ASSERT_EQ(mostrado(e.totais.bruto), liquidos + descontos) << "order " << nr.toStdString();
        ASSERT_EQ(mostrado(totalServidor.value(nr)), liquidos) << "order " << nr.toStdString();
    }
    EXPECT_EQ(linhas, kPedidos * kLinhasPorPedido);

    // Every typed value comes back from the database as it was typed.
    Statement st(db, QStringLiteral("SELECT NRPEDIDO || NRITEMPED, QTITEMPED, VRPRTABITPED, VRDESITPED FROM ITEMPEDIDO"));
    int lidos = 0;
    while (st.step()) {
        const Digitado d = digitados.value(st.rawValue(0).toString());
        ASSERT_EQ(Decimal::fromDouble(st.rawValue(1).toDouble(), escala::kQuantidade), d.quantidade);
        ASSERT_EQ(Decimal::fromDouble(st.rawValue(2).toDouble(), escala::kPreco), d.tabela);
        if (!d.desconto.isZero()) {
            ASSERT_EQ(Decimal::fromDouble(st.rawValue(3).toDouble(), escala::kValor), d.desconto);
        }
        ++lidos;
    }
    EXPECT_EQ(lidos, kPedidos * kLinhasPorPedido);
}

} // namespace
