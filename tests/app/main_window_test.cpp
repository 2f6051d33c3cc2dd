// The main window offscreen: status panels, menu and toolbar, the exit
// question, and the one-instance creator pattern.
#include "app/ZOV00000.h"
#include "app/main_window_logic.h"
#include "library/errors.h"
#include "library/relogio.h"
#include "session/GeralZOV.h"
#include "tests/support/scripted_dialogs.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QTest>
#include <QToolBar>
#include <gtest/gtest.h>

using namespace zov;
using Item = TfrmPedidosPrinc::Item;

namespace {

class MainWindowTest : public test::DialogsTest {
protected:
    void SetUp() override
    {
        test::DialogsTest::SetUp();
        SetFilial(QStringLiteral("0001"));
        SetNmOperador(QStringLiteral("MARIA VENDEDORA"));
        w = std::make_unique<TfrmPedidosPrinc>();
    }
    void TearDown() override
    {
        w.reset();
        ClearSession();
        test::DialogsTest::TearDown();
    }

    // A child window made the way every creator makes one.
    QWidget* openChild(QPointer<QWidget>& instance, int& created, const QString& code)
    {
        return criaJanela<QWidget>(instance, false, [&] {
            ++created;
            auto* child = new QWidget;
            child->setProperty("screenCode", code);
            child->setWindowTitle(QStringLiteral("Filha"));
            auto* edit = new QLineEdit(child);
            edit->setObjectName(QStringLiteral("edtTexto"));
            return child;
        });
    }

    std::unique_ptr<TfrmPedidosPrinc> w;
};

TEST_F(MainWindowTest, StatusPanelsShowDateBranchOperatorAndScreenCode)
{
    const QStringList panels = MainWindowLogic::statusPanels(QDate(2026, 12, 7));
    EXPECT_EQ(panels,
              QStringList({QStringLiteral("Proc.:07/12/2026"), QStringLiteral("Filial 0001"), QStringLiteral("MARIA VENDEDORA"),
                           QStringLiteral("ZOV00000"), QString()}));
    EXPECT_EQ(w->statusText(0), QStringLiteral("Proc.:") + zov::dataDeHoje().toString(QStringLiteral("dd/MM/yyyy")));
    EXPECT_EQ(w->statusText(1), QStringLiteral("Filial 0001")) << "the word, a space and the code; no branch name";
    EXPECT_EQ(w->statusText(2), QStringLiteral("MARIA VENDEDORA"));
    EXPECT_EQ(w->statusText(3), QStringLiteral("ZOV00000"));
    EXPECT_TRUE(w->statusText(4).isEmpty());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Pedidos ZOV-RA"));
}

TEST_F(MainWindowTest, MenuAndToolbarInOrderWithWindowlessItemsDisabled)
{
    QStringList menus;
    for (QAction* a : w->menuBar()->actions()) {
        QStringList items;
        for (QAction* i : a->menu()->actions())
            items << i->text() + (i->isEnabled() ? QString() : QStringLiteral(" (x)"));
        menus << a->text() + QStringLiteral(": ") + items.join(QStringLiteral(", "));
    }
    EXPECT_EQ(
        menus,
        QStringList({QStringLiteral("&Operacional: &Lançamento de Pedidos (x)"),
                     QStringLiteral("&Transferência: &Exportar Dados Via Internet (x), &Importar Dados Via Internet (x)"),
                     QStringLiteral("&Parâmetro: P&arâmetro de Transmissão de Pedidos (x)"), QStringLiteral("&Cadastro: C&liente (x)")}));
    auto* bar = w->findChild<QToolBar*>(QStringLiteral("tlbPrincipal"));
    ASSERT_NE(bar, nullptr);
    QStringList hints;
    for (QAction* a : bar->actions())
        hints << a->toolTip();
    EXPECT_EQ(hints,
              QStringList({QStringLiteral("Lançamento de Pedido"), QStringLiteral("Exportar Dados Via Internet"),
                           QStringLiteral("Importar Dados Via Internet")}));
    w->setCreator(Item::ImportaDados, [] { return nullptr; });
    EXPECT_TRUE(w->action(Item::ImportaDados)->isEnabled());
    EXPECT_TRUE(bar->actions().at(2)->isEnabled());
    EXPECT_FALSE(bar->actions().at(0)->isEnabled());
}

TEST_F(MainWindowTest, ASecondChoiceBringsTheOpenWindowToTheFront)
{
    QPointer<QWidget> instance;
    int created = 0;
    w->setCreator(Item::Cliente, [&] { return openChild(instance, created, QStringLiteral("ZOV00500")); });
    w->show();
    w->action(Item::Cliente)->trigger();
    ASSERT_TRUE(instance);
    EXPECT_EQ(w->statusText(3), QStringLiteral("ZOV00500"));
    QPointer<QWidget> other;
    int otherCreated = 0;
    w->setCreator(Item::ParamTransPed, [&] { return openChild(other, otherCreated, QStringLiteral("ZOV00300")); });
    w->action(Item::ParamTransPed)->trigger();
    EXPECT_EQ(w->statusText(3), QStringLiteral("ZOV00300"));
    EXPECT_EQ(w->mdiArea()->activeSubWindow()->widget(), other.data());

    w->action(Item::Cliente)->trigger();
    EXPECT_EQ(created, 1);
    EXPECT_EQ(w->mdiArea()->subWindowList().size(), 2);
    EXPECT_EQ(w->mdiArea()->activeSubWindow()->widget(), instance.data());
    EXPECT_EQ(w->statusText(3), QStringLiteral("ZOV00500"));

    // Closed and freed: the next choice makes a new one.
    instance->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(instance);
    w->action(Item::Cliente)->trigger();
    EXPECT_EQ(created, 2);
}

TEST_F(MainWindowTest, ACreatorThatFailsIsReportedAndTheWindowStaysUsable)
{
    w->setCreator(Item::LanctoPedido, []() -> QWidget* { throw Error(QStringLiteral("Não foi possível abrir os pedidos.")); });
    w->action(Item::LanctoPedido)->trigger();
    EXPECT_EQ(dialogs().errors(), QStringList{QStringLiteral("Não foi possível abrir os pedidos.")});
    EXPECT_EQ(w->statusText(3), QStringLiteral("ZOV00000"));
    EXPECT_TRUE(w->action(Item::LanctoPedido)->isEnabled());
}

TEST_F(MainWindowTest, AnsweringNoToExitLeavesEveryChildAsItWas)
{
    QPointer<QWidget> instance;
    int created = 0;
    w->setCreator(Item::Cliente, [&] { return openChild(instance, created, QStringLiteral("ZOV00500")); });
    w->show();
    w->action(Item::Cliente)->trigger();
    auto* edit = instance->findChild<QLineEdit*>(QStringLiteral("edtTexto"));
    QTest::keyClicks(edit, QStringLiteral("pendente"));

    dialogs().answer({false});
    EXPECT_FALSE(w->close());
    EXPECT_EQ(dialogs().questions(), QStringList{QStringLiteral("Deseja sair do sistema ?")});
    ASSERT_TRUE(instance);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(edit->text(), QStringLiteral("pendente"));
    EXPECT_EQ(w->mdiArea()->subWindowList().size(), 1);

    dialogs().answer({true});
    EXPECT_TRUE(w->close());
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(instance) << "children close with the main window";
}

TEST_F(MainWindowTest, FrameIsEightPixelsLargerThanTheWorkAreaAndMaximised)
{
    w->showAsMainWindow();
    const QRect work = QApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(w->normalGeometry().size(), work.size() + QSize(8, 8));
    EXPECT_TRUE(w->isMaximized());
}

} // namespace
