// The menu items that have their windows open them inside the main window.
#include "app/ZOV00000.h"
#include "app/windows.h"
#include "customers/ZOV00500.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_database.h"
#include "transfer/ZOV00200.h"
#include "transfer/ZOV00300.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace zov;
using Item = TfrmPedidosPrinc::Item;

class RegisteredWindows : public test::DialogsTest {
protected:
    test::TempDatabase temp;
};

TEST_F(RegisteredWindows, TransmissionParametersOpenOnceFromTheMenu)
{
    TfrmPedidosPrinc main;
    registerWindows(main);
    EXPECT_TRUE(main.action(Item::ParamTransPed)->isEnabled());
    EXPECT_TRUE(main.action(Item::LanctoPedido)->isEnabled());
    EXPECT_TRUE(main.action(Item::ExportaDados)->isEnabled());
    main.show();
    main.action(Item::ParamTransPed)->trigger();
    main.action(Item::ParamTransPed)->trigger();
    ASSERT_EQ(main.mdiArea()->subWindowList().size(), 1);
    EXPECT_NE(qobject_cast<TfrmParamTransPed*>(main.mdiArea()->activeSubWindow()->widget()), nullptr);
    EXPECT_EQ(main.statusText(3), QStringLiteral("ZOV00300"));
    EXPECT_TRUE(dialogs().errors().isEmpty());
}

TEST_F(RegisteredWindows, TheExportWindowOpensOnceWithItsScreenCode)
{
    TfrmPedidosPrinc main;
    registerWindows(main);
    main.show();
    main.action(Item::ExportaDados)->trigger();
    main.action(Item::ExportaDados)->trigger();
    ASSERT_EQ(main.mdiArea()->subWindowList().size(), 1);
    EXPECT_NE(qobject_cast<TfrmExportaDados*>(main.mdiArea()->activeSubWindow()->widget()), nullptr);
    EXPECT_EQ(main.statusText(3), QStringLiteral("ZOV00200"));
    EXPECT_TRUE(dialogs().errors().isEmpty());
}

TEST_F(RegisteredWindows, TheCustomerWindowOpensOnceAndClosesWithItsFrame)
{
    TfrmPedidosPrinc main;
    registerWindows(main);
    EXPECT_TRUE(main.action(Item::Cliente)->isEnabled());
    main.show();
    main.action(Item::Cliente)->trigger();
    main.action(Item::Cliente)->trigger();
    ASSERT_EQ(main.mdiArea()->subWindowList().size(), 1);
    auto* frm = qobject_cast<TfrmCliente*>(main.mdiArea()->activeSubWindow()->widget());
    ASSERT_NE(frm, nullptr);
    EXPECT_EQ(main.statusText(3), QStringLiteral("ZOV00500"));
    frm->findChild<QAction*>(QStringLiteral("mnuFechar"))->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(main.mdiArea()->subWindowList().isEmpty());
    EXPECT_EQ(main.statusText(3), QStringLiteral("ZOV00000"));
    EXPECT_TRUE(dialogs().errors().isEmpty());
}

// Ctrl+F6 goes to the next child window whichever child has the focus, and
// Ctrl+Shift+F6 back.
TEST_F(RegisteredWindows, CtrlF6SwitchesBetweenTheChildWindows)
{
    TfrmPedidosPrinc main;
    registerWindows(main);
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    main.action(Item::ParamTransPed)->trigger();
    main.action(Item::Cliente)->trigger();
    ASSERT_EQ(main.mdiArea()->subWindowList().size(), 2);
    QMdiSubWindow* cliente = main.mdiArea()->activeSubWindow();
    QWidget* foco = QApplication::focusWidget();
    ASSERT_TRUE(foco && cliente->isAncestorOf(foco));
    QTest::keyClick(foco, Qt::Key_F6, Qt::ControlModifier);
    EXPECT_NE(main.mdiArea()->activeSubWindow(), cliente);
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &main, Qt::Key_F6, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(main.mdiArea()->activeSubWindow(), cliente);
    main.mdiArea()->closeAllSubWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Alt and a letter inside a child window presses the window's own button
// ("&Confirmar") before the main window's menu of that letter ("&Cadastro").
TEST_F(RegisteredWindows, AltAndALetterPressTheChildWindowsOwnButton)
{
    TfrmPedidosPrinc main;
    registerWindows(main);
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    main.action(Item::ImportaDados)->trigger();
    QWidget* janela = main.mdiArea()->activeSubWindow()->widget();
    auto* confirma = janela->findChild<QPushButton*>(QStringLiteral("sbtConfirma"));
    ASSERT_TRUE(confirma);
    QObject::disconnect(confirma, &QPushButton::clicked, nullptr, nullptr); // no import here: only where the key goes
    int cliques = 0;
    QObject::connect(confirma, &QPushButton::clicked, [&] { ++cliques; });
    QWidget* foco = QApplication::focusWidget();
    ASSERT_TRUE(foco && janela->isAncestorOf(foco));
    QTest::keyClick(foco, Qt::Key_C, Qt::AltModifier);
    QCoreApplication::processEvents();
    EXPECT_EQ(cliques, 1);
    EXPECT_FALSE(main.findChild<QMenu*>(QStringLiteral("mnuCadastro"))->isVisible());
    main.mdiArea()->closeAllSubWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
