// The order window offscreen: the real keys from the list to a confirmed
// order, the lookups on F9, Esc, Ctrl+L and the commands' enabling.
#include "library/dataset_model.h"
#include "library/formats.h"
#include "library/relogio.h"
#include "library/rtf.h"
#include "library/shell.h"
#include "orders/ZOV00100.h"
#include "orders/ZOV00102.h"
#include "session/GeralZOV.h"
#include "tests/orders/pedidos_fixture.h"
#include "tests/support/model_checker.h"
#include "tests/support/scripted_dialogs.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace zov;
using C = ControlePedido;

namespace {

class ZOV00100Test : public test::DialogsTest {
protected:
    void SetUp() override
    {
        test::DialogsTest::SetUp();
        tdb = std::make_unique<test::TempDatabase>();
        test::semeiaPedidos(tdb->db());
        SetFilial(QStringLiteral("0001"));
        SetNmFilial(QStringLiteral("MATRIZ"));
        SetCdOperador(QStringLiteral("ANA"));
    }
    void TearDown() override
    {
        EXPECT_EQ(checkers.empty() ? QStringList() : checkers.front()->failures(), QStringList()) << "the grids' model contract";
        checkers.clear();
        if (frm) {
            const LancPedido& l = frm->logic();
            if (l.contexto.pedidoEditando() || l.itens.itemEditando() || l.observacao.observacaoEditando())
                dialogs().answer({true}); // closing asks before dropping what is typed
            frm->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        tdb.reset();
        ClearSession();
        test::DialogsTest::TearDown();
    }
    std::vector<std::unique_ptr<test::ModelChecker>> checkers;
    void abre()
    {
        frm = CriaLanctoPedido();
        ASSERT_TRUE(frm);
        for (QTableView* grid : frm->findChildren<QTableView*>())
            checkers.push_back(std::make_unique<test::ModelChecker>(grid->model()));
        frm->setFiltro([this](TFiltro&, const std::function<void()>& reabre) {
            ++filtros;
            reabre();
            // The real dialog, once closed, leaves the focus nowhere.
            if (filtroTiraFoco && QApplication::focusWidget())
                QApplication::focusWidget()->clearFocus();
            return true;
        });
        frm->logic().setPesquisa([this](Query& q, const QString& titulo) {
            titulos << titulo;
            return !escolhas.isEmpty() && q.locate(q.field(0).fieldName(), escolhas.takeFirst());
        });
        ASSERT_TRUE(QTest::qWaitForWindowActive(frm));
        QTRY_COMPARE(filtros, 1);
    }
    QAction* acao(const char* name) { return frm->findChild<QAction*>(QString::fromLatin1(name)); }
    QLineEdit* edt(C c) { return qobject_cast<QLineEdit*>(frm->controle(c)); }
    QTabWidget* paginas() { return frm->findChild<QTabWidget*>(QStringLiteral("pgcPedido")); }
    QWidget* foco() { return QApplication::focusWidget(); }
    void tecla(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::keyClick(foco() ? foco() : frm.data(), k, m); }
    int pedidos() { return test::countRows(tdb->db(), QStringLiteral("PEDIDO")); }
    QVariant le(const char* sql) { return tdb->db().scalar(QString::fromLatin1(sql)); }

    std::unique_ptr<test::TempDatabase> tdb;
    QPointer<TfrmLanPedido> frm;
    int filtros = 0;
    bool filtroTiraFoco = false;
    QStringList titulos, escolhas;
};

TEST_F(ZOV00100Test, F2StartsAnOrderOnTheGeneralPageAndTheKeysTakeItToAConfirmedOrder)
{
    abre();
    EXPECT_EQ(paginas()->currentIndex(), 0);
    EXPECT_FALSE(paginas()->isTabEnabled(1)) << "an empty list has only its own page";
    EXPECT_TRUE(acao("sbtIncluir")->isEnabled());
    EXPECT_FALSE(acao("sbtConfirmar")->isEnabled());

    tecla(Qt::Key_F2);
    EXPECT_EQ(paginas()->currentIndex(), 1);
    EXPECT_EQ(foco(), edt(C::DataPedido));
    EXPECT_EQ(frm->findChild<QLineEdit*>(QStringLiteral("edtNrPedido"))->text(), QStringLiteral("0000000001"));
    EXPECT_EQ(frm->findChild<QLineEdit*>(QStringLiteral("edtNmVendedor"))->text(), QStringLiteral("ANA"));
    EXPECT_TRUE(acao("sbtConfirmar")->isEnabled());
    EXPECT_FALSE(paginas()->isTabEnabled(0)) << "the list waits while an order is typed";

    tecla(Qt::Key_Return);
    EXPECT_EQ(foco(), edt(C::Cliente));
    QTest::keyClicks(foco(), test::kCpfLoja);
    tecla(Qt::Key_Tab);
    EXPECT_EQ(frm->findChild<QLineEdit*>(QStringLiteral("edtNmCliente"))->text(), QStringLiteral("LOJA DA ESQUINA"));
    EXPECT_EQ(edt(C::Cliente)->text(), QStringLiteral("123.456.789-09"));
    edt(C::TipoOper)->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(foco(), QStringLiteral("1"));
    edt(C::DataEntrega)->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(frm->findChild<QLineEdit*>(QStringLiteral("edtNmTipoOper"))->text(), QStringLiteral("VENDA"));
    QTest::keyClicks(foco(), formatDate(zov::dataDeHoje().addDays(1)).remove(QLatin1Char('/')));
    tecla(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_TRUE(dialogs().errors().isEmpty()) << dialogs().errors().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(pedidos(), 1);
    EXPECT_EQ(paginas()->currentIndex(), 3) << "a new order goes on with its items";
    EXPECT_EQ(frm->findChild<QLabel*>(QStringLiteral("lblDsPedido"))->text(), QStringLiteral("0000000001 - LOJA DA ESQUINA"));
    EXPECT_TRUE(frm->logic().itens.itemEditando()) << "its first item begun";
    EXPECT_EQ(foco(), frm->controle(C::GradeItens));
    EXPECT_FALSE(acao("sbtIncluir")->isEnabled());
}

TEST_F(ZOV00100Test, TheKeysWorkAtOnceAfterTheFilterAndMoveBetweenThePages)
{
    test::pedidoGravado(tdb->db(), QStringLiteral("0000000001"));
    filtroTiraFoco = true;
    abre();
    EXPECT_EQ(foco(), frm->findChild<QTableView*>(QStringLiteral("dbgPedido"))) << "the list takes the focus the filter left";
    EXPECT_TRUE(acao("mnuConfImpressora")->isEnabled()) << "with an order to print, as Imprimir";

    // Ctrl+Tab / Ctrl+PgDn forward, Ctrl+Shift+Tab / Ctrl+PgUp back, wrapping round.
    tecla(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(paginas()->currentIndex(), 1);
    tecla(Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(paginas()->currentIndex(), 2);
    tecla(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(paginas()->currentIndex(), 1);
    tecla(Qt::Key_PageUp, Qt::ControlModifier);
    tecla(Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(paginas()->currentIndex(), 4);

    // While an order is typed the list's page is skipped.
    paginas()->setCurrentIndex(1);
    tecla(Qt::Key_F3);
    ASSERT_TRUE(frm->logic().contexto.pedidoEditando());
    tecla(Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(paginas()->currentIndex(), 4);
}

TEST_F(ZOV00100Test, InsideTheMainWindowAltAndALetterOpenTheOrderWindowsOwnMenu)
{
    QMainWindow principal;
    QMenu* operacional = principal.menuBar()->addMenu(QStringLiteral("&Operacional"));
    operacional->addAction(QStringLiteral("Pedidos"));
    auto* mdi = new QMdiArea(&principal);
    principal.setCentralWidget(mdi);
    principal.resize(1200, 800);
    principal.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&principal));
    test::pedidoGravado(tdb->db(), QStringLiteral("0000000001"));
    frm = new TfrmLanPedido;
    frm->setFiltro([](TFiltro&, const std::function<void()>& reabre) {
        reabre();
        return true;
    });
    mdi->addSubWindow(frm)->show();
    QTRY_VERIFY(frm->logic().contexto.qryPedido.active());
    frm->findChild<QTableView*>(QStringLiteral("dbgPedido"))->setFocus();
    QMenu* operacao = nullptr;
    for (QAction* a : frm->findChild<QMenuBar*>()->actions())
        if (a->text() == QStringLiteral("&Operação"))
            operacao = a->menu();
    ASSERT_TRUE(operacao);
    QTest::keyClick(foco(), Qt::Key_O, Qt::AltModifier);
    QCoreApplication::processEvents();
    EXPECT_TRUE(operacao->isVisible());
    EXPECT_FALSE(operacional->isVisible());
    operacao->close();
    // A dialog the window opened keeps its letters: the window's menus stay shut behind it.
    QDialog dialogo(frm);
    auto* campo = new QLineEdit(&dialogo);
    dialogo.show();
    campo->setFocus();
    QTest::keyClick(campo, Qt::Key_O, Qt::AltModifier);
    QCoreApplication::processEvents();
    EXPECT_FALSE(operacao->isVisible());
    dialogo.close();
    frm->close();
}

TEST_F(ZOV00100Test, F9OpensTheLookupsAndEscAsksBeforeCancelling)
{
    abre();
    tecla(Qt::Key_F2);
    edt(C::Cliente)->setFocus(Qt::TabFocusReason);
    escolhas << QStringLiteral("C2");
    tecla(Qt::Key_F9);
    EXPECT_EQ(titulos, QStringList{QStringLiteral("Cliente")});
    EXPECT_EQ(frm->findChild<QLineEdit*>(QStringLiteral("edtNmCliente"))->text(), QStringLiteral("ATACADO CENTRAL"));
    EXPECT_EQ(foco(), edt(C::Cliente));
    edt(C::TipoOper)->setFocus(Qt::TabFocusReason);
    tecla(Qt::Key_F9);
    frm->logic().registro.mudaPagina(PaginaPedido::Modalidade);
    edt(C::CdModPgto)->setFocus(Qt::TabFocusReason);
    tecla(Qt::Key_F9);
    EXPECT_EQ(titulos,
              (QStringList{QStringLiteral("Cliente"), QStringLiteral("Tipo de Operação"), QStringLiteral("Modalidade de Pagamento")}));

    dialogs().answer({false});
    tecla(Qt::Key_Escape);
    EXPECT_EQ(dialogs().questions(), QStringList{QStringLiteral("Cancelar operação?")});
    EXPECT_TRUE(acao("sbtCancelar")->isEnabled());
    dialogs().answer({true});
    tecla(Qt::Key_Escape);
    EXPECT_FALSE(acao("sbtCancelar")->isEnabled());
    EXPECT_EQ(paginas()->currentIndex(), 0);
    EXPECT_EQ(pedidos(), 0);
}

TEST_F(ZOV00100Test, TheObservationPageTypesFormatsImportsAndSavesThroughTheFileDialogs)
{
    test::pedidoGravado(tdb->db(), QStringLiteral("0000000001"));
    abre();
    acao("mnuObservacao")->trigger();
    ASSERT_EQ(paginas()->currentIndex(), 4);
    auto* ed = frm->findChild<QTextEdit*>(QStringLiteral("dbrObservacao"));
    ASSERT_TRUE(ed);
    EXPECT_FALSE(ed->isReadOnly());
    ed->setFocus();
    QTest::keyClicks(ed, QStringLiteral("Entregar cedo "));
    EXPECT_TRUE(frm->logic().contexto.pedidoEditando()) << "typing puts the order into edit";
    acao("sbtNumerador")->trigger();
    EXPECT_TRUE(ed->textCursor().currentList());
    acao("sbtNumerador")->trigger();
    EXPECT_FALSE(ed->textCursor().currentList()) << "the bullet button takes the bullet off again";
    acao("sbtNegrito")->trigger();
    QTest::keyClicks(ed, QStringLiteral("urgente"));
    tecla(Qt::Key_Return, Qt::ControlModifier);
    ASSERT_TRUE(dialogs().errors().isEmpty()) << dialogs().errors().join(QLatin1Char('|')).toStdString();
    QTextDocument gravado;
    lerObservacao(tdb->db().scalar(QStringLiteral("SELECT TXOBSPED FROM OBSPEDIDO")).toByteArray(), gravado);
    EXPECT_EQ(gravado.toPlainText(), QStringLiteral("Entregar cedo urgente"));
    const QTextCursor negrito = gravado.find(QStringLiteral("urgente"));
    ASSERT_FALSE(negrito.isNull());
    EXPECT_EQ(negrito.charFormat().fontWeight(), int(QFont::Bold)) << "the bar's bold is stored";

    QTemporaryDir dir;
    const QString nota = dir.filePath(QStringLiteral("nota.txt"));
    {
        QFile f(nota);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("Pagamento na entrega.\n");
    }
    dialogs().fileToOpen(nota);
    acao("mnuImportaArquivo")->trigger();
    EXPECT_EQ(dialogs().texts(test::DialogRecord::OpenFile), QStringList{QStringLiteral("Abrir Arquivo")});
    EXPECT_TRUE(ed->toPlainText().startsWith(QStringLiteral("Pagamento na entrega."))) << ed->toPlainText().toStdString();

    const QString copia = dir.filePath(QStringLiteral("copia.rtf"));
    dialogs().fileToOpen(copia);
    QTest::mouseClick(frm->findChild<QToolButton*>(QStringLiteral("btnSalvar")), Qt::LeftButton);
    EXPECT_EQ(dialogs().texts(test::DialogRecord::SaveFile), QStringList{QStringLiteral("Salvar")});
    QFile f(copia);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QTextDocument lido;
    lerObservacao(f.readAll(), lido);
    EXPECT_EQ(lido.toPlainText(), ed->toPlainText()) << "the file is the observation";
    dialogs().answer({true});
    tecla(Qt::Key_Escape);
}

// In the observation's editor Ctrl+B, Ctrl+I and Ctrl+U format what is typed
// next; Ctrl+I there is italic, not Imprimir.
TEST_F(ZOV00100Test, CtrlBIAndUFormatTheObservation)
{
    test::pedidoGravado(tdb->db(), QStringLiteral("0000000001"));
    abre();
    acao("mnuObservacao")->trigger();
    auto* ed = frm->findChild<QTextEdit*>(QStringLiteral("dbrObservacao"));
    ed->setFocus();
    QTest::keyClicks(ed, QStringLiteral("e "));
    ASSERT_TRUE(frm->logic().contexto.pedidoEditando());
    QTest::keyClick(ed, Qt::Key_B, Qt::ControlModifier);
    QTest::keyClick(ed, Qt::Key_I, Qt::ControlModifier);
    QTest::keyClick(ed, Qt::Key_U, Qt::ControlModifier);
    QTest::keyClicks(ed, QStringLiteral("urgente"));
    const QTextCharFormat f = ed->document()->find(QStringLiteral("urgente")).charFormat();
    EXPECT_EQ(f.fontWeight(), QFont::Bold);
    EXPECT_TRUE(f.fontItalic());
    EXPECT_TRUE(f.fontUnderline());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "no print preview";
}

TEST_F(ZOV00100Test, AnExportedOrdersObservationCannotBeTypedImportedOrChanged)
{
    test::pedidoGravado(tdb->db(), QStringLiteral("0000000001"), QStringLiteral("7"));
    abre();
    acao("mnuObservacao")->trigger();
    auto* ed = frm->findChild<QTextEdit*>(QStringLiteral("dbrObservacao"));
    ASSERT_TRUE(ed);
    EXPECT_TRUE(ed->isReadOnly());
    EXPECT_FALSE(frm->findChild<QToolButton*>(QStringLiteral("btnImportar"))->isEnabled());
    ed->setFocus();
    QTest::keyClicks(ed, QStringLiteral("x"));
    EXPECT_TRUE(ed->toPlainText().isEmpty());
    EXPECT_FALSE(frm->logic().contexto.pedidoEditando());
}

// The page shown, the tab selected, the menu's check and the focus are one
// page, also after a check refused the page change and the order was cancelled.
TEST_F(ZOV00100Test, ThePageShownIsThePageSelectedAfterARefusedChange)
{
    test::pedidoGravado(tdb->db(), QStringLiteral("0000000001"));
    abre();
    acao("mnuModalidade")->trigger();
    ASSERT_EQ(paginas()->currentIndex(), int(PaginaPedido::Modalidade));
    tecla(Qt::Key_F2);
    tecla(Qt::Key_Return);
    QTest::keyClicks(foco(), QStringLiteral("7"));
    tecla(Qt::Key_Tab, Qt::ControlModifier);
    dialogs().answer({true});
    tecla(Qt::Key_Escape);
    const int atual = paginas()->currentIndex();
    const char* menus[] = {"mnuPedidos", "mnuDadosGerais", "mnuModalidade", "mnuItens", "mnuObservacao"};
    for (int i = 0; i < paginas()->count(); ++i) {
        EXPECT_EQ(paginas()->widget(i)->isVisible(), i == atual) << i;
        EXPECT_EQ(acao(menus[i])->isChecked(), i == atual) << menus[i];
    }
    EXPECT_TRUE(foco() && paginas()->widget(atual)->isAncestorOf(foco())) << (foco() ? foco()->objectName().toStdString() : "");
}

TEST_F(ZOV00100Test, CtrlLOpensTheFilterAndTheCommandsFollowTheOrdersSituation)
{
    test::pedidoGravado(tdb->db(), QStringLiteral("0000000001"));
    test::pedidoGravado(tdb->db(), QStringLiteral("0000000002"), QStringLiteral("7"));
    abre();
    EXPECT_EQ(shell().statusText(kScreenCodePanel), QStringLiteral("ZOV00100"));
    frm->controle(C::GradePedidos)->setFocus();
    tecla(Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(filtros, 2);
    EXPECT_EQ(frm->logic().contexto.qryPedido.recordCount(), 2);
    EXPECT_FALSE(acao("sbtAlterar")->isEnabled()) << "the exported order comes first";
    EXPECT_FALSE(acao("sbtExcluir")->isEnabled());
    EXPECT_TRUE(acao("sbtIncluir")->isEnabled());
    EXPECT_FALSE(edt(C::Cliente)->isEnabled());
    tecla(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(frm->logic().contexto.qryPedido[QStringLiteral("NRPEDIDO")].asString(), QStringLiteral("0000000001"));
    EXPECT_TRUE(acao("sbtAlterar")->isEnabled());
    EXPECT_TRUE(edt(C::Cliente)->isEnabled());
    tecla(Qt::Key_F3);
    EXPECT_EQ(paginas()->currentIndex(), 1);
    EXPECT_EQ(foco(), edt(C::DataPedido));
    EXPECT_FALSE(acao("sbtFiltrar")->isEnabled()) << "no filter while an order is edited";

    // Closing an order being typed asks first: No keeps the window and the edit as typed.
    QTest::keyClicks(edt(C::DataPedido), QStringLiteral("01"));
    const QString digitada = edt(C::DataPedido)->text();
    dialogs().answer({false});
    tecla(Qt::Key_F4, Qt::ControlModifier);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_FALSE(frm.isNull());
    EXPECT_EQ(dialogs().questions(), QStringList{QStringLiteral("Cancelar operação?")});
    EXPECT_TRUE(frm->logic().contexto.pedidoEditando());
    EXPECT_EQ(edt(C::DataPedido)->text(), digitada);
    // Yes drops it and gives the main window its code back.
    dialogs().answer({true});
    acao("mnuFechar")->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(frm.isNull());
    EXPECT_EQ(shell().statusText(kScreenCodePanel), QStringLiteral("ZOV00000"));
    EXPECT_EQ(test::countRows(tdb->db(), QStringLiteral("PEDIDO"), QStringLiteral("IDSITPEDIDO = '1'")), 1);
}

} // namespace

namespace {

class ZOV00100ItensTest : public ZOV00100Test {
protected:
    QTableView* grade() { return frm->findChild<QTableView*>(QStringLiteral("dbgItemPedido")); }
    QString campoAtual()
    {
        const QModelIndex i = grade()->currentIndex();
        return i.isValid() ? grade()->model()->headerData(i.column(), Qt::Horizontal, Qt::DisplayRole).toString() : QString();
    }
    // A confirmed new order for C1 on its items page, the first item begun.
    void pedidoNaGrade()
    {
        abre();
        tecla(Qt::Key_F2);
        edt(C::Cliente)->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(foco(), test::kCpfLoja);
        edt(C::TipoOper)->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(foco(), QStringLiteral("1"));
        edt(C::DataEntrega)->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(foco(), formatDate(zov::dataDeHoje().addDays(1)).remove(QLatin1Char('/')));
        tecla(Qt::Key_Return, Qt::ControlModifier);
        ASSERT_TRUE(dialogs().errors().isEmpty()) << dialogs().errors().join(QLatin1Char('|')).toStdString();
        ASSERT_TRUE(frm->logic().itens.itemEditando());
        ASSERT_EQ(foco(), grade());
    }
    // Keys as a person types them: the first opens the cell's editor, which takes the rest.
    void teclas(const QString& text)
    {
        for (QChar c : text) {
            QWidget* w = QApplication::focusWidget();
            QTest::keyClick(w ? w : grade(), c.toLatin1());
        }
    }
    void digita(const QString& text)
    {
        teclas(text);
        QWidget* editor = QApplication::focusWidget();
        QTest::keyClick(editor ? editor : grade(), Qt::Key_Return);
    }
};

TEST_F(ZOV00100ItensTest, EnterWalksRightSkippingReadOnlyColumnsAndTheDiscountValueEndsTheLine)
{
    pedidoNaGrade();
    EXPECT_EQ(campoAtual(), QStringLiteral("Produto"));
    digita(QStringLiteral("0101"));
    EXPECT_EQ(campoAtual(), QStringLiteral("Quantidade")) << "the name is skipped";
    EXPECT_EQ(frm->logic().itens.qryItemPedido[QStringLiteral("NMPRODUTO")].asString(), QStringLiteral("CANETA AZUL"));
    digita(QStringLiteral("2,5"));
    EXPECT_EQ(campoAtual(), QStringLiteral("Preço Unitário")) << "the unit is skipped";
    const int colQtd = 3;
    EXPECT_EQ(grade()->model()->index(0, colQtd).data(Qt::DisplayRole).toString(), QStringLiteral("2,500"));
    tecla(Qt::Key_Return);
    EXPECT_EQ(campoAtual(), QStringLiteral("Desc. (%)"));
    tecla(Qt::Key_Return);
    EXPECT_EQ(campoAtual(), QStringLiteral("Vr. Desc."));
    tecla(Qt::Key_Return);
    EXPECT_TRUE(dialogs().errors().isEmpty()) << dialogs().errors().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(test::countRows(tdb->db(), QStringLiteral("ITEMPEDIDO")), 1) << "Enter on the discount value stores the line";
    EXPECT_TRUE(frm->logic().itens.itemEditando()) << "and begins the next";
    EXPECT_EQ(frm->logic().itens.qryItemPedido[QStringLiteral("NRITEMPED")].asString(), QStringLiteral("0000000002"));
    EXPECT_EQ(campoAtual(), QStringLiteral("Produto"));
    EXPECT_EQ(frm->findChild<QLineEdit*>(QStringLiteral("edtTotBruto"))->text(), QStringLiteral("50,00"));
}

// The current cell is seen apart from the rest of its highlighted row, and
// the frame follows the arrow keys.
TEST_F(ZOV00100ItensTest, TheCurrentCellIsFramedInsideTheHighlightedRow)
{
    pedidoNaGrade();
    digita(QStringLiteral("0101"));
    digita(QStringLiteral("2"));
    ASSERT_EQ(campoAtual(), QStringLiteral("Preço Unitário"));
    const auto canto = [&](int coluna) {
        const QRect r = grade()->visualRect(grade()->model()->index(0, coluna));
        return grade()->viewport()->grab().toImage().pixelColor(r.topLeft() + QPoint(1, 1));
    };
    const int preco = grade()->currentIndex().column();
    // The frame is drawn in the text's colour, darker than any row highlight.
    const int escuro = grade()->palette().color(QPalette::Text).lightness() + 40;
    EXPECT_LT(canto(preco).lightness(), escuro);
    EXPECT_GT(canto(preco - 1).lightness(), escuro) << "the rest of the row is not framed";
    tecla(Qt::Key_Left);
    ASSERT_EQ(campoAtual(), QStringLiteral("Un."));
    EXPECT_GT(canto(preco).lightness(), escuro) << "the frame left the price";
    EXPECT_LT(canto(preco - 1).lightness(), escuro);
}

// A store that fails for no column's fault (the disk) keeps the keys where
// Enter was pressed and the line as typed, so Enter tries again.
TEST_F(ZOV00100ItensTest, AFailedStoreKeepsTheKeysWhereEnterWasPressed)
{
    pedidoNaGrade();
    digita(QStringLiteral("0101"));
    digita(QStringLiteral("2"));
    while (campoAtual() != QStringLiteral("Vr. Desc."))
        tecla(Qt::Key_Return);
    tdb->db().execScript(QStringLiteral("CREATE TRIGGER falha BEFORE INSERT ON ITEMPEDIDO BEGIN SELECT RAISE(ABORT, 'disco cheio'); END"));
    tecla(Qt::Key_Return);
    ASSERT_EQ(dialogs().errors().size(), 1);
    EXPECT_EQ(campoAtual(), QStringLiteral("Vr. Desc."));
    EXPECT_EQ(frm->logic().itens.qryItemPedido[QStringLiteral("CDARVPROD")].asString(), QStringLiteral("0101"));
    tdb->db().execScript(QStringLiteral("DROP TRIGGER falha"));
    tecla(Qt::Key_Return);
    EXPECT_EQ(test::countRows(tdb->db(), QStringLiteral("ITEMPEDIDO")), 1) << "Enter tried the store again";
}

TEST_F(ZOV00100ItensTest, EveryCellEditorCommitsBeforeEnterF9OrConfirmActAndAnEmptyNextLineDoesNotBlockConfirm)
{
    pedidoNaGrade();
    Query& item = frm->logic().itens.qryItemPedido;
    auto* m = static_cast<DatasetModel*>(grade()->model());
    auto celula = [&](const char* campo) { return m->index(item.recNo() - 1, m->columnOf(QString::fromLatin1(campo))); };
    auto editor = [] { return QApplication::focusWidget(); };
    auto duploClique = [&] {
        const QPoint p = grade()->visualRect(grade()->currentIndex()).center();
        QTest::mouseClick(grade()->viewport(), Qt::LeftButton, {}, p);
        QTest::mouseDClick(grade()->viewport(), Qt::LeftButton, {}, p);
    };
    digita(QStringLiteral("0101"));
    digita(QStringLiteral("1"));
    // A double click opens the price's editor: what is typed there is the line's price.
    ASSERT_EQ(campoAtual(), QStringLiteral("Preço Unitário"));
    duploClique();
    ASSERT_NE(editor(), grade()) << "the cell's editor is open";
    QTest::keyClicks(editor(), QStringLiteral("15"));
    QTest::keyClick(editor(), Qt::Key_Return);
    EXPECT_EQ(campoAtual(), QStringLiteral("Desc. (%)"));
    EXPECT_DOUBLE_EQ(item[QStringLiteral("VRPREUNITPED")].asFloat(), 15.0);
    tecla(Qt::Key_Return);
    digita(QStringLiteral("2,00")); // the discount value's editor, then Enter ends the line
    EXPECT_TRUE(dialogs().errors().isEmpty()) << dialogs().errors().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(le("SELECT VRPREUNITPED FROM ITEMPEDIDO"), 15.0);
    EXPECT_NEAR(le("SELECT VRDESITPED FROM ITEMPEDIDO").toDouble(), 2.0, 1e-9);
    ASSERT_TRUE(frm->logic().itens.itemIntocado()) << "the next line begun";

    // F9 in the product's editor after a typed price: the product found brings its own price.
    digita(QStringLiteral("0101"));
    digita(QStringLiteral("1"));
    duploClique();
    QTest::keyClicks(editor(), QStringLiteral("15"));
    QTest::keyClick(editor(), Qt::Key_Return);
    grade()->setCurrentIndex(celula("CDARVPROD"));
    grade()->edit(grade()->currentIndex());
    escolhas << QStringLiteral("0102");
    QTest::keyClick(editor(), Qt::Key_F9);
    EXPECT_EQ(item[QStringLiteral("CDARVPROD")].asString(), QStringLiteral("0102"));
    EXPECT_NEAR(item[QStringLiteral("VRPREUNITPED")].asFloat(), 12.35, 1e-9);

    // Ctrl+Enter stores the line with what its open editor holds; an empty next line is no line.
    grade()->setCurrentIndex(celula("QTITEMPED"));
    grade()->edit(grade()->currentIndex());
    QTest::keyClicks(editor(), QStringLiteral("4"));
    tecla(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_TRUE(dialogs().errors().isEmpty()) << dialogs().errors().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(le("SELECT group_concat(CDPRODUTO || 'x' || QTITEMPED, ',') FROM (SELECT * FROM ITEMPEDIDO ORDER BY NRITEMPED)"),
              QStringLiteral("P1x1.0,P2x4.0"));
    EXPECT_FALSE(frm->logic().contexto.pedidoEditando());
}

// A percentage refused as Tab leaves it: the focus stays on the percentage and
// the next keys go there. Qt used to open the next cell's editor anyway, so
// the keys went to the discount value while every Tab checked the percentage
// again: the salesperson could not leave the line.
TEST_F(ZOV00100ItensTest, ARefusedPercentageKeepsTheKeysInThePercentage)
{
    pedidoNaGrade();
    digita(QStringLiteral("0101"));
    digita(QStringLiteral("1"));
    tecla(Qt::Key_Return);
    ASSERT_EQ(campoAtual(), QStringLiteral("Desc. (%)"));
    teclas(QStringLiteral("150"));
    tecla(Qt::Key_Tab);
    EXPECT_EQ(dialogs().errors(), QStringList{QStringLiteral("Desconto deve ser menor ou igual a 100%.")});
    EXPECT_EQ(campoAtual(), QStringLiteral("Desc. (%)"));
    teclas(QStringLiteral("5"));
    tecla(Qt::Key_Tab);
    EXPECT_EQ(dialogs().errors().size(), 1) << dialogs().errors().join(QLatin1Char('|')).toStdString();
    EXPECT_DOUBLE_EQ(frm->logic().itens.qryItemPedido[QStringLiteral("PERDESC")].asFloat(), 5.0);
    EXPECT_EQ(campoAtual(), QStringLiteral("Vr. Desc."));
}

TEST_F(ZOV00100ItensTest, WithThePriceLockedTypingInThePriceDoesNothingWhileTabAndArrowsMove)
{
    test::insertRow(tdb->db(), QStringLiteral("PARAMPEDIDO"),
                    {{QStringLiteral("CDFILIAL"), QStringLiteral("0001")}, {QStringLiteral("IDPERALTPRECO"), QStringLiteral("N")}});
    pedidoNaGrade();
    digita(QStringLiteral("0101"));
    digita(QStringLiteral("1"));
    EXPECT_EQ(campoAtual(), QStringLiteral("Desc. (%)")) << "a locked price is read-only: Enter passes it";
    tecla(Qt::Key_Left);
    ASSERT_EQ(campoAtual(), QStringLiteral("Preço Unitário")) << "the arrows move";
    teclas(QStringLiteral("99"));
    EXPECT_EQ(QApplication::focusWidget(), grade()) << "no editor opened";
    EXPECT_DOUBLE_EQ(frm->logic().itens.qryItemPedido[QStringLiteral("VRPREUNITPED")].asFloat(), 20.0);
    tecla(Qt::Key_Tab);
    EXPECT_EQ(campoAtual(), QStringLiteral("Desc. (%)"));
}

TEST_F(ZOV00100ItensTest, F9InTheProductColumnSearchesTheProductsPricedInTheOrdersList)
{
    pedidoNaGrade();
    escolhas << QStringLiteral("0102");
    tecla(Qt::Key_F9);
    ASSERT_EQ(titulos.size(), 1);
    EXPECT_EQ(titulos.first(), QStringLiteral("Produto|Não há produto cadastrado."));
    EXPECT_EQ(frm->logic().itens.qryItemPedido[QStringLiteral("NMPRODUTO")].asString(), QStringLiteral("LAPIS PRETO"));
    EXPECT_EQ(campoAtual(), QStringLiteral("Quantidade"));
    EXPECT_NEAR(frm->logic().itens.qryItemPedido[QStringLiteral("VRPREUNITPED")].asFloat(), 12.35, 1e-9);
}

TEST_F(ZOV00100ItensTest, CtrlPOpensTheConsultationWhereSpaceTicksAndConfirmAddsTheItemsToTheGrid)
{
    pedidoNaGrade();
    bool aberta = false;
    QTimer::singleShot(0, [&] {
        auto* c = qobject_cast<TfrmConsultaProd*>(QApplication::activeModalWidget());
        if (!c)
            return;
        aberta = true;
        // Keys go where a person's would: to the active window.
        c->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(c));
        for (int i = 0; i < 200 && QApplication::activeWindow() != c; ++i)
            QTest::qWait(10);
        EXPECT_EQ(shell().statusText(kScreenCodePanel), QStringLiteral("ZOV00102"));
        QTest::keyClicks(c->findChild<QLineEdit*>(QStringLiteral("edtQtde")), QStringLiteral("3"));
        QTableView* g = c->dbgProdutos();
        auto* m = static_cast<DatasetModel*>(g->model());
        for (const char* codigo : {"0102", "0101"}) {
            ASSERT_TRUE(c->logic().qryProdCompl.locate(QStringLiteral("CDARVPROD"), QString::fromLatin1(codigo)));
            g->setFocus();
            g->setCurrentIndex(m->index(c->logic().qryProdCompl.recNo() - 1, m->columnOf(QStringLiteral("QUANTIDADE"))));
            QTest::keyClick(g, Qt::Key_Space); // ticks and takes the default quantity
        }
        EXPECT_EQ(c->lstEscolhidos()->count(), 2);
        QTest::keyClick(g, Qt::Key_Return, Qt::ControlModifier);
        EXPECT_EQ(dialogs().infos(), QStringList{QStringLiteral("Inclusão realizada com sucesso.")});
        QTest::keyClick(g, Qt::Key_Escape);
    });
    tecla(Qt::Key_P, Qt::ControlModifier);
    ASSERT_TRUE(aberta) << "Ctrl+P opens the consultation";
    EXPECT_TRUE(dialogs().errors().isEmpty()) << dialogs().errors().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(shell().statusText(kScreenCodePanel), QStringLiteral("ZOV00100"));
    EXPECT_EQ(test::countRows(tdb->db(), QStringLiteral("ITEMPEDIDO"), QStringLiteral("QTITEMPED = 3")), 2);
    QStringList naGrade;
    for (int r = 0; r < grade()->model()->rowCount(); ++r)
        naGrade << grade()->model()->index(r, 1).data(Qt::DisplayRole).toString();
    EXPECT_TRUE(naGrade.contains(QStringLiteral("0101")) && naGrade.contains(QStringLiteral("0102")))
        << naGrade.join(QLatin1Char(',')).toStdString();
}

} // namespace

namespace {

// The product's name is what a salesperson reads: the other columns leave it
// room for a name of its field's 20 characters at the window's own size.
TEST_F(ZOV00100ItensTest, TheProductNameHasRoomForItsFieldsWidth)
{
    pedidoNaGrade();
    auto* m = static_cast<DatasetModel*>(grade()->model());
    const int nome = grade()->columnWidth(m->columnOf(QStringLiteral("NMPRODUTO")));
    EXPECT_GE(nome, grade()->fontMetrics().horizontalAdvance(QStringLiteral("ARROZ TIPO 1 5KG FAR")));
}

} // namespace
