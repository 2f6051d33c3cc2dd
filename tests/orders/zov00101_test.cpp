// The order filter dialog offscreen: real clicks and keys, the list searches
// it opens, Confirmar's checks, and the option sets through the real file.
#include "library/consiste.h"
#include "library/errors.h"
#include "library/opcoes.h"
#include "library/relogio.h"
#include "library/shell.h"
#include "library/velmora.h"
#include "orders/ZOV00101.h"
#include "search/PesqListaZOV.h"
#include "session/GeralZOV.h"
#include "tests/search/search_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace zov::test {
namespace {

// Runs the script once the modal window W is up; a window the script leaves
// open fails the test and is closed, so a test never hangs.
template <class W>
void whenShown(std::function<void(W*)> script)
{
    QTimer::singleShot(0, [script] {
        auto* w = qobject_cast<W*>(QApplication::activeModalWidget());
        if (!w) {
            ADD_FAILURE() << "the window did not open";
            return;
        }
        w->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(w));
        script(w);
        if (w->isVisible()) {
            ADD_FAILURE() << "the window was left open";
            w->done(QDialog::Rejected);
        }
    });
}

QString dia(const QDate& d) { return d.toString(QStringLiteral("dd/MM/yyyy")); }

// Everything the order list sees of a record.
QVariantMap vistoPelaLista(const TFiltro& f) { return parametrosPedido(f); }

class FiltroDialogTest : public SearchTest {
protected:
    void SetUp() override
    {
        SearchTest::SetUp();
        seedGeography(db());
        seedCustomers(db());
        configAnterior = ConfigUsrDir();
        SetConfigUsrDir(config.path());
        operadorAnterior = CdOperador();
        SetCdOperador(QStringLiteral("OPER01"));
        shell().setStatusText(kScreenCodePanel, QStringLiteral("ZOV00100"));
        filtro = filtroInicial();
        filtro.Filial = QStringLiteral("0001");
    }
    void TearDown() override
    {
        SetCdOperador(operadorAnterior);
        SetConfigUsrDir(configAnterior);
        SearchTest::TearDown();
    }

    bool abre(std::function<void(TfrmFiltroPedido*)> script)
    {
        whenShown<TfrmFiltroPedido>(std::move(script));
        return CriaFiltroPedido(filtro, [this] {
            ++reaberturas;
            if (reabre)
                reabre();
        });
    }

    template <class W = QWidget>
    static W* ctl(QWidget* w, const char* name)
    {
        W* c = w->findChild<W*>(QLatin1String(name));
        EXPECT_TRUE(c) << name;
        return c;
    }
    static QLineEdit* edt(QWidget* w, const char* name) { return ctl<QLineEdit>(w, name); }
    static QRadioButton* rbt(QWidget* w, const char* name) { return ctl<QRadioButton>(w, name); }
    static QCheckBox* chk(QWidget* w, const char* name) { return ctl<QCheckBox>(w, name); }
    static QToolButton* btn(QWidget* w, const char* name) { return ctl<QToolButton>(w, name); }
    static void clica(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center()); }

    // Into a date edit as a click would, over what it holds.
    static void digitaData(QLineEdit* e, const QString& digits)
    {
        e->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(e, Qt::Key_Home);
        QTest::keyClicks(e, digits);
    }

    // Marks the row of the list search whose first column shows key.
    static void marca(TfrmPesqLista* w, const QString& key)
    {
        QTableView* grid = w->dbgArquivo();
        QAbstractItemModel* m = grid->model();
        for (int row = 0; row < m->rowCount(); ++row)
            if (m->index(row, 1).data().toString() == key) {
                grid->setFocus();
                grid->setCurrentIndex(m->index(row, 1));
                QTest::keyClick(grid, Qt::Key_Space);
                return;
            }
        ADD_FAILURE() << "no row " << key.toStdString();
    }

    QTemporaryDir config;
    QString configAnterior, operadorAnterior;
    TFiltro filtro;
    int reaberturas = 0;
    std::function<void()> reabre;
};

const QString kCli1 = QStringLiteral("000000000000000000001");
const QString kCli2 = QStringLiteral("000000000000000000002");

TEST_F(FiltroDialogTest, OpensOnTheRecordAndConfirmarWritesItThenReopensTheList)
{
    bool gravadoAntes = false;
    reabre = [&] { gravadoAntes = filtro.NrPedido.boIntervalo; };
    const bool ok = abre([&](TfrmFiltroPedido* w) {
        EXPECT_EQ(w->windowTitle(), QStringLiteral("Filtro de Lançamento"));
        EXPECT_EQ(shell().statusText(kScreenCodePanel), QStringLiteral("ZOV00101"));
        EXPECT_EQ(edt(w, "dtpPedidoDe")->text(), dia(zov::dataDeHoje().addDays(-10)));
        EXPECT_EQ(edt(w, "dtpPedidoAte")->text(), dia(zov::dataDeHoje()));
        EXPECT_TRUE(rbt(w, "rbtNrPedidoTodos")->isChecked());
        EXPECT_FALSE(edt(w, "medDe")->isEnabled());
        EXPECT_FALSE(btn(w, "btnCliente")->isEnabled());
        for (const char* c : {"chkNormal", "chkAlta", "chkUrgente", "chkPendente", "chkExportado"})
            EXPECT_TRUE(chk(w, c)->isChecked()) << c;

        clica(chk(w, "chkExportado"));
        clica(rbt(w, "rbtNrPedidoIntervalo"));
        QLineEdit* de = edt(w, "medDe");
        EXPECT_TRUE(de->hasFocus()) << "Intervalo puts the focus in \"de\"";
        QTest::keyClicks(de, "5x");
        QTest::keyClick(de, Qt::Key_Tab);
        EXPECT_EQ(de->text(), QStringLiteral("0000000005")) << "letters refused, ten digits on leaving";
        QTest::keyClicks(edt(w, "medAte"), "41");
        QTest::keyClick(edt(w, "medAte"), Qt::Key_Return);
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(reaberturas, 1);
    EXPECT_TRUE(gravadoAntes) << "the list reopens on the new record";
    EXPECT_TRUE(filtro.NrPedido.boIntervalo);
    EXPECT_TRUE(filtro.NrPedido.boTodos);
    EXPECT_EQ(filtro.NrPedido.stDe, QStringLiteral("0000000005"));
    EXPECT_EQ(filtro.NrPedido.stAte, QStringLiteral("0000000041"));
    EXPECT_FALSE(filtro.StatusPedido.boExportado);
    EXPECT_EQ(filtro.Filial, QStringLiteral("0001"));
    EXPECT_EQ(shell().statusText(kScreenCodePanel), QStringLiteral("ZOV00100")) << "the opener's code comes back";
}

TEST_F(FiltroDialogTest, AFailedCheckSaysWhyFocusesTheControlAndKeepsTheRecord)
{
    const QVariantMap antes = vistoPelaLista(filtro);
    const bool ok = abre([&](TfrmFiltroPedido* w) {
        digitaData(edt(w, "dtpPedidoDe"), "20122026");
        digitaData(edt(w, "dtpPedidoAte"), "10122026");
        clica(w->sbtConfirma());
        EXPECT_EQ(dialogs().errors(), QStringList{QStringLiteral("Data pedido inicial deve ser menor ou igual à data pedido final.")});
        EXPECT_EQ(QApplication::focusWidget(), edt(w, "dtpPedidoDe"));

        // A date that is none is refused on leaving its edit, and the focus stays.
        dialogs().clear();
        QLineEdit* entrega = edt(w, "dtpEntregaDe");
        digitaData(entrega, "3113");
        QTest::keyClick(entrega, Qt::Key_Tab);
        EXPECT_EQ(dialogs().errors(), QStringList{QStringLiteral("'31/13/' não é uma data válida.")});
        EXPECT_EQ(QApplication::focusWidget(), entrega);
        entrega->selectAll();
        QTest::keyClick(entrega, Qt::Key_Delete);

        // "Lista" with nothing chosen.
        digitaData(edt(w, "dtpPedidoDe"), "01122026");
        clica(rbt(w, "rbtClienteLista"));
        EXPECT_TRUE(btn(w, "btnCliente")->isEnabled());
        dialogs().clear();
        QTest::keyClick(edt(w, "dtpPedidoAte"), Qt::Key_Return);
        EXPECT_EQ(dialogs().errors(), QStringList{QStringLiteral("Cliente deve ser informado.")});
        EXPECT_EQ(QApplication::focusWidget(), rbt(w, "rbtClienteLista"));

        // The list cannot reopen: the dialog stays and the record is as it was.
        clica(rbt(w, "rbtClienteTodos"));
        reabre = [] { throw Error(QStringLiteral("Banco de dados indisponível.")); };
        dialogs().clear();
        QTest::keyClick(rbt(w, "rbtClienteTodos"), Qt::Key_Enter);
        EXPECT_EQ(dialogs().errors(), QStringList{QStringLiteral("Banco de dados indisponível.")});
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(vistoPelaLista(filtro), antes);
        QTest::keyClick(rbt(w, "rbtClienteTodos"), Qt::Key_Escape);
    });
    EXPECT_FALSE(ok);
    EXPECT_EQ(reaberturas, 1);
    EXPECT_EQ(vistoPelaLista(filtro), antes);
}

TEST_F(FiltroDialogTest, DesfazerThenFecharLeavesTheRecordAndTheOperationTypeListIsShown)
{
    filtro.Cliente = {false, QStringLiteral("_") + kCli1 + QStringLiteral("_")};
    filtro.TipoOper = {false, QStringLiteral("_01_")};
    filtro.Entrega = {false, QDate(2026, 1, 5), QDate(2026, 1, 9)};
    const QVariantMap antes = vistoPelaLista(filtro);
    const bool ok = abre([&](TfrmFiltroPedido* w) {
        EXPECT_TRUE(rbt(w, "rbtClienteLista")->isChecked());
        EXPECT_TRUE(rbt(w, "rbtTipoOperLista")->isChecked()) << "the record's operation-type list is what the list shows";
        EXPECT_TRUE(btn(w, "btnTipoOper")->isEnabled());
        EXPECT_EQ(edt(w, "dtpEntregaDe")->text(), QStringLiteral("05/01/2026"));
        EXPECT_EQ(w->sbtCancel()->text(), QStringLiteral("Fechar"));

        clica(chk(w, "chkAlta"));
        QTest::keyClick(rbt(w, "rbtClienteLista"), Qt::Key_D, Qt::ControlModifier);
        const QDate hoje = zov::dataDeHoje();
        EXPECT_TRUE(chk(w, "chkAlta")->isChecked());
        EXPECT_TRUE(rbt(w, "rbtClienteTodos")->isChecked());
        EXPECT_TRUE(rbt(w, "rbtTipoOperTodos")->isChecked());
        EXPECT_EQ(edt(w, "dtpPedidoDe")->text(), dia(PriDiaMes(hoje)));
        EXPECT_EQ(edt(w, "dtpPedidoAte")->text(), dia(UltimoDiaMes(hoje)));
        EXPECT_TRUE(w->escolhas().entregaDe.isEmpty());
        EXPECT_TRUE(w->escolhas().stCliente.isEmpty());
        clica(w->sbtCancel());
    });
    EXPECT_FALSE(ok);
    EXPECT_EQ(reaberturas, 0);
    EXPECT_EQ(vistoPelaLista(filtro), antes);
}

TEST_F(FiltroDialogTest, F9OpensTheListsAndMunicipalitiesAreTheChosenCustomersOnes)
{
    const bool ok = abre([&](TfrmFiltroPedido* w) {
        // No order of the branch yet.
        QRadioButton* pedidos = rbt(w, "rbtNrPedidoLista");
        clica(pedidos);
        QTest::keyClick(pedidos, Qt::Key_F9);
        EXPECT_EQ(dialogs().errors(), QStringList{QStringLiteral("Não há pedido cadastrado.")});
        EXPECT_EQ(QApplication::focusWidget(), pedidos);
        clica(rbt(w, "rbtNrPedidoTodos"));

        QRadioButton* clientes = rbt(w, "rbtClienteLista");
        clica(clientes);
        whenShown<TfrmPesqLista>([&](TfrmPesqLista* lista) {
            EXPECT_EQ(lista->windowTitle(), QStringLiteral("Cliente"));
            EXPECT_EQ(lista->dbgArquivo()->model()->rowCount(), 5);
            marca(lista, kCli2);
            marca(lista, kCli1);
            QTest::keyClick(lista->dbgArquivo(), Qt::Key_Return);
        });
        QTest::keyClick(clientes, Qt::Key_F9);

        QRadioButton* municipios = rbt(w, "rbtMuniciCliLista");
        clica(municipios);
        whenShown<TfrmPesqLista>([&](TfrmPesqLista* lista) {
            EXPECT_EQ(lista->windowTitle(), QStringLiteral("Município"));
            EXPECT_EQ(lista->dbgArquivo()->model()->rowCount(), 2) << "São Paulo and Campinas, of customers 1 and 2";
            QTest::keyClick(lista->dbgArquivo(), Qt::Key_Space, Qt::ControlModifier);
            QTest::keyClick(lista->dbgArquivo(), Qt::Key_Return);
        });
        clica(btn(w, "btnMuniciCli"));
        QTest::keyClick(municipios, Qt::Key_Return);
    });
    EXPECT_TRUE(ok);
    EXPECT_FALSE(filtro.Cliente.boTodos);
    EXPECT_EQ(filtro.Cliente.stCliente, QStringLiteral("_%1_%2_").arg(kCli1, kCli2));
    EXPECT_FALSE(filtro.MuniciCli.boTodos);
    EXPECT_EQ(filtro.MuniciCli.stMuniciCli, QStringLiteral("_0055SP0001_0055SP0002_"));
    EXPECT_TRUE(filtro.NrPedido.boTodos);
}

TEST_F(FiltroDialogTest, AnOptionSetIsSavedInTheFileAndRestoredByTheTwoStepButton)
{
    const bool ok = abre([&](TfrmFiltroPedido* w) {
        QToolButton* restaura = btn(w, "btfLoadOpc");
        EXPECT_EQ(restaura->toolTip(), QStringLiteral("Restaurar opções de filtro na tela"));
        clica(restaura);
        EXPECT_FALSE(w->mnuOpcoes()->isVisible()) << "no saved set: no menu";
        EXPECT_FALSE(w->menuOpcoesMostrado());

        clica(chk(w, "chkUrgente"));
        digitaData(edt(w, "dtpEntregaDe"), "01022026");
        digitaData(edt(w, "dtpEntregaAte"), "28022026");
        clica(rbt(w, "rbtClienteLista"));
        whenShown<TfrmPesqLista>([&](TfrmPesqLista* lista) {
            marca(lista, kCli2);
            QTest::keyClick(lista->dbgArquivo(), Qt::Key_Return);
        });
        clica(btn(w, "btnCliente"));
        dialogs().textToType(QStringLiteral("Fevereiro"));
        clica(btn(w, "btfSaveOpc"));
        EXPECT_TRUE(QFile::exists(QDir(config.path()).filePath(QStringLiteral("OPER01/Filtros.Cds"))));

        QTest::keyClick(rbt(w, "rbtClienteLista"), Qt::Key_D, Qt::ControlModifier);
        ASSERT_TRUE(rbt(w, "rbtClienteTodos")->isChecked());

        // Dismissed: the mark stays, the next press only clears it, the one after shows the menu.
        clica(restaura);
        QMenu* menu = w->mnuOpcoes();
        ASSERT_TRUE(menu->isVisible());
        ASSERT_EQ(menu->actions().size(), 1);
        EXPECT_EQ(menu->actions().front()->text(), QStringLiteral("Fevereiro"));
        QTest::keyClick(menu, Qt::Key_Escape);
        EXPECT_FALSE(menu->isVisible());
        EXPECT_TRUE(w->menuOpcoesMostrado());
        clica(restaura);
        EXPECT_FALSE(menu->isVisible());
        EXPECT_FALSE(w->menuOpcoesMostrado());
        EXPECT_TRUE(w->escolhas().stCliente.isEmpty()) << "a press without a set leaves the lists alone";

        clica(restaura);
        ASSERT_TRUE(menu->isVisible());
        QTest::keyClick(menu, Qt::Key_Down);
        QTest::keyClick(menu, Qt::Key_Return);
        EXPECT_FALSE(w->menuOpcoesMostrado());
        EXPECT_FALSE(chk(w, "chkUrgente")->isChecked());
        EXPECT_TRUE(rbt(w, "rbtClienteLista")->isChecked());
        EXPECT_TRUE(btn(w, "btnCliente")->isEnabled());
        EXPECT_EQ(edt(w, "dtpEntregaAte")->text(), QStringLiteral("28/02/2026"));
        QTest::keyClick(rbt(w, "rbtClienteLista"), Qt::Key_Return);
    });
    EXPECT_TRUE(ok);
    EXPECT_TRUE(dialogs().errors().isEmpty()) << dialogs().errors().join('\n').toStdString();
    EXPECT_FALSE(filtro.Prioridade.boUrgente);
    EXPECT_EQ(filtro.Cliente.stCliente, QStringLiteral("_%1_").arg(kCli2));
    EXPECT_EQ(filtro.Entrega.dtDe, QDate(2026, 2, 1));
    EXPECT_EQ(conjuntosOpcoes(lerOpcoes(arquivoOpcoes(QStringLiteral("OPER01"))), QStringLiteral("ZOV00101")),
              QStringList{QStringLiteral("Fevereiro")});
}

} // namespace
} // namespace zov::test
