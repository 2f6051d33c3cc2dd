#pragma once
// The order logic over a real database, with a recording view and scripted
// dialogs: the fixture of the order tests.
#include "library/errors.h"
#include "library/formats.h"
#include "library/relogio.h"
#include "library/velmora.h"
#include "orders/lanc_pedido.h"
#include "session/GeralZOV.h"
#include "tests/orders/pedidos_fixture.h"
#include "tests/support/scripted_dialogs.h"

#include <gtest/gtest.h>

namespace zov::test {

using C = ControlePedido;
using P = PaginaPedido;

class RecordingView final : public PedidoView {
public:
    PaginaPedido paginaAtual() const override { return pagina; }
    void mostraPagina(PaginaPedido p) override { pagina = p; }
    ControlePedido controleComFoco() const override { return foco; }
    void foca(ControlePedido c) override { foco = c; }
    void habilitaComandos(const ComandosPedido& c) override { comandos = c; }
    void atualizaTela() override { ++atualizacoes; }
    ColunaItem colunaItem() const override { return coluna; }
    void focaColunaItem(ColunaItem c) override
    {
        coluna = c;
        foco = ControlePedido::GradeItens;
        pagina = PaginaPedido::Itens;
    }
    bool gradeItensAtiva() const override { return foco == ControlePedido::GradeItens; }
    void precoEditavel(bool e) override { precoLivre = e; }
    ColunaItem coluna = ColunaItem::Produto;
    bool precoLivre = true;
    void procura(Query&) override { ++procuras; }
    bool filtra(TFiltro&, const std::function<void()>& reabre) override
    {
        ++filtros;
        if (!aceitaFiltro)
            return false;
        reabre();
        return true;
    }
    void fecha() override {}

    PaginaPedido pagina = P::Pedidos;
    ControlePedido foco = C::Nenhum;
    ComandosPedido comandos;
    bool aceitaFiltro = true;
    int atualizacoes = 0, procuras = 0, filtros = 0;
};

inline QString hoje() { return formatDate(zov::dataDeHoje()); }
inline QString dia(int offset) { return formatDate(zov::dataDeHoje().addDays(offset)); }

class LancPedidoTest : public test::DialogsTest {
protected:
    void SetUp() override
    {
        test::DialogsTest::SetUp();
        tdb = std::make_unique<test::TempDatabase>();
        test::semeiaPedidos(db());
        SetFilial(QStringLiteral("0001"));
        SetNmFilial(QStringLiteral("MATRIZ"));
        SetCdOperador(QStringLiteral("ANA"));
    }
    void TearDown() override
    {
        logic.reset();
        tdb.reset();
        ClearSession();
        SetModuFili(true);
        test::DialogsTest::TearDown();
    }
    Database& db() { return tdb->db(); }
    LancPedido& abre()
    {
        logic = std::make_unique<LancPedido>(db(), view);
        logic->setPesquisa([this](Query& q, const QString& titulo) {
            titulos << titulo;
            return !escolhas.isEmpty() && q.locate(q.field(0).fieldName(), escolhas.takeFirst());
        });
        logic->registro.inicia();
        return *logic;
    }
    bool run(const std::function<void()>& f) { return runGuarded(f); }
    TelaPedido& tela() { return logic->contexto.tela; }
    QString campo(const char* name) { return logic->contexto.qryPedido.fieldByName(QString::fromLatin1(name)).asString(); }
    QVariant le(const QString& sql) { return db().scalar(sql); }
    int pedidos() { return test::countRows(db(), QStringLiteral("PEDIDO")); }

    // Types into a header control and leaves it, as the window reports it.
    bool sai(C controle, QString& texto, const QString& valor, const std::function<void()>& mudou, const std::function<void()>& saiu)
    {
        view.foco = controle;
        texto = valor;
        if (mudou && !run([&] { mudou(); }))
            return false;
        view.foco = C::Nenhum;
        return run([&] { saiu(); });
    }
    bool cliente(const QString& registro)
    {
        run([&] { logic->cabecalho.entraCliente(); });
        return sai(
            C::Cliente, tela().cliente, registro, [&] { logic->cabecalho.clienteMudou(); }, [&] { logic->cabecalho.saiCliente(); });
    }
    bool entrega(const QString& data)
    {
        return sai(
            C::DataEntrega, tela().dataEntrega, data, [&] { logic->cabecalho.dataEntregaMudou(); },
            [&] { logic->cabecalho.saiDataEntrega(); });
    }
    bool dataPedido(const QString& data)
    {
        return sai(
            C::DataPedido, tela().dataPedido, data, [&] { logic->cabecalho.dataPedidoMudou(); }, [&] { logic->cabecalho.saiDataPedido(); });
    }
    bool tipoOper(const QString& t)
    {
        return sai(
            C::TipoOper, tela().tipoOper, t, [&] { logic->cabecalho.tipoOperMudou(); }, [&] { logic->cabecalho.saiTipoOper(); });
    }
    bool modPgto(const QString& m)
    {
        return sai(
            C::CdModPgto, tela().cdModPgto, m, [&] { logic->pagamento.cdModPgtoMudou(); }, [&] { logic->pagamento.saiCdModPgto(); });
    }
    bool prcBase(const QString& p)
    {
        return sai(
            C::PrcBase, tela().cdPrcBase, p, [&] { logic->pagamento.prcBaseMudou(); }, [&] { logic->pagamento.saiPrcBase(); });
    }
    // The first item a confirmed new order begins, dropped with Esc.
    void largaItemNovo()
    {
        ASSERT_TRUE(logic->itens.itemEditando());
        dialogs().answer({true});
        ASSERT_TRUE(run([&] { logic->registro.cancelar(); }));
        ASSERT_FALSE(logic->contexto.pedidoEditando());
    }
    // A new order with everything a Confirm needs.
    void preencheNovo()
    {
        ASSERT_TRUE(run([&] { logic->registro.incluir(); }));
        ASSERT_TRUE(cliente(test::kCpfLoja));
        ASSERT_TRUE(tipoOper(QStringLiteral("1")));
        ASSERT_TRUE(entrega(dia(2)));
    }

    std::unique_ptr<test::TempDatabase> tdb;
    RecordingView view;
    std::unique_ptr<LancPedido> logic;
    QStringList escolhas, titulos;
};

// The items page: typing a line and storing it as the grid does.
class ItensTest : public LancPedidoTest {
protected:
    Query& itens() { return logic->itens.qryItemPedido; }
    double num(const char* f) { return itens().fieldByName(QString::fromLatin1(f)).asFloat(); }
    void poe(const char* f, const QVariant& v) { itens().fieldByName(QString::fromLatin1(f)).setValue(v); }
    // A new order of customer C1 on its items page, its first item begun.
    void pedidoNovo()
    {
        preencheNovo();
        ASSERT_TRUE(run([&] { logic->registro.mudaPagina(P::Itens); }));
        ASSERT_TRUE(logic->itens.itemEditando());
    }
    // Types a product and leaves its column, then the quantity.
    bool digitaItem(const QString& produto, double quantidade)
    {
        if (!logic->itens.itemEditando() && !run([&] { logic->itens.incluirItem(); }))
            return false;
        view.coluna = ColunaItem::Produto;
        poe("CDARVPROD", produto);
        if (!run([&] { logic->itens.saiColunaItem(ColunaItem::Produto); }))
            return false;
        view.coluna = ColunaItem::Quantidade;
        poe("QTITEMPED", quantidade);
        return run([&] { logic->itens.saiColunaItem(ColunaItem::Quantidade); });
    }
    // Leaves the discount value and stores the line, as Enter there does.
    bool grava()
    {
        view.coluna = ColunaItem::VrDesc;
        return run([&] {
            logic->itens.saiColunaItem(ColunaItem::VrDesc);
            logic->itens.gravaItem();
        });
    }
    int itensGravados() { return test::countRows(db(), QStringLiteral("ITEMPEDIDO")); }
};

} // namespace zov::test
