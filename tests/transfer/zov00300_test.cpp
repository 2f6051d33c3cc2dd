// The transmission parameters window offscreen: real keys into the address
// field, the shortcuts, the buttons' states and the status panel.
#include "library/shell.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_database.h"
#include "transfer/ZOV00300.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

using namespace zov;

namespace {

class ZOV00300Test : public test::DialogsTest {
protected:
    void SetUp() override
    {
        test::DialogsTest::SetUp();
        tdb = std::make_unique<test::TempDatabase>();
    }
    void TearDown() override
    {
        if (frm)
            frm->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        tdb.reset();
        test::DialogsTest::TearDown();
    }

    void abre()
    {
        frm = CriaParamTransPed();
        ASSERT_TRUE(frm);
        ASSERT_TRUE(QTest::qWaitForWindowActive(frm));
        edt = frm->findChild<QLineEdit*>(QStringLiteral("edtNrIpServApliq"));
        ASSERT_TRUE(edt);
    }
    QAction* acao(const char* name) { return frm->findChild<QAction*>(QString::fromLatin1(name)); }
    QStringList stored()
    {
        QStringList out;
        Statement st(tdb->db(), QStringLiteral("SELECT NRIPSERVAPLIQ FROM PARAMPEDZOVRA ORDER BY rowid"));
        while (st.step())
            out << st.value(0).toString();
        return out;
    }

    std::unique_ptr<test::TempDatabase> tdb;
    QPointer<TfrmParamTransPed> frm;
    QLineEdit* edt = nullptr;
};

TEST_F(ZOV00300Test, TypingAnAddressWithF2AndCtrlEnter)
{
    shell().setStatusText(kScreenCodePanel, QStringLiteral("ZOV00100"));
    abre();
    EXPECT_EQ(shell().statusText(kScreenCodePanel), QStringLiteral("ZOV00300"));
    EXPECT_EQ(frm->windowTitle(), QStringLiteral("Parâmetro de Transmissão de Pedidos"));
    EXPECT_EQ(CriaParamTransPed(), frm.data());
    EXPECT_TRUE(acao("sbtIncluir")->isEnabled());
    EXPECT_FALSE(acao("sbtAlterar")->isEnabled());
    EXPECT_FALSE(acao("sbtConfirmar")->isEnabled());
    // Both Enter keys confirm; menus show the one form "Ctrl+Enter".
    EXPECT_EQ(acao("mnuConfirmar")->shortcut().toString(QKeySequence::NativeText), QStringLiteral("Ctrl+Enter"));
    EXPECT_EQ(acao("mnuConfirmar")->shortcuts().size(), 2);

    // Browsing: the field takes no typing.
    edt->setFocus();
    QTest::keyClicks(edt, QStringLiteral("10"));
    EXPECT_EQ(edt->text(), QString());

    QTest::keyClick(edt, Qt::Key_F2);
    EXPECT_TRUE(edt->hasFocus());
    EXPECT_TRUE(acao("sbtConfirmar")->isEnabled());
    QTest::keyClicks(edt, QStringLiteral("a"));
    EXPECT_EQ(edt->text(), QString());
    QTest::keyClicks(edt, QStringLiteral("10.0.0.5:8080"));
    QTest::keyClicks(edt, QStringLiteral("x /"));
    EXPECT_EQ(edt->text(), QStringLiteral("10.0.0.5:8080"));
    QTest::keyClick(edt, Qt::Key_Backspace);
    QTest::keyClicks(edt, QStringLiteral("1"));
    EXPECT_EQ(edt->text(), QStringLiteral("10.0.0.5:8081"));

    QTest::keyClick(edt, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(stored(), QStringList{QStringLiteral("10.0.0.5:8081")});
    EXPECT_FALSE(acao("sbtIncluir")->isEnabled());
    EXPECT_TRUE(acao("mnuIncluir")->isEnabled());
    EXPECT_TRUE(acao("sbtAlterar")->isEnabled());
    EXPECT_TRUE(edt->isReadOnly());
    EXPECT_TRUE(dialogs().records.empty());
}

TEST_F(ZOV00300Test, EscAsksAndF3ChangesTheStoredAddress)
{
    test::insertRow(tdb->db(), QStringLiteral("PARAMPEDZOVRA"), {{QStringLiteral("NRIPSERVAPLIQ"), QStringLiteral("10.0.0.1")}});
    abre();
    EXPECT_EQ(edt->text(), QStringLiteral("10.0.0.1"));
    edt->setFocus();

    QTest::keyClick(edt, Qt::Key_F3);
    EXPECT_FALSE(edt->isReadOnly());
    QTest::keyClick(edt, Qt::Key_End);
    QTest::keyClicks(edt, QStringLiteral("0"));
    dialogs().answer({true});
    QTest::keyClick(edt, Qt::Key_Escape);
    EXPECT_EQ(dialogs().questions(), QStringList{QStringLiteral("Cancelar operação?")});
    EXPECT_EQ(edt->text(), QStringLiteral("10.0.0.1"));
    EXPECT_TRUE(edt->isReadOnly());

    QTest::keyClick(edt, Qt::Key_F3);
    edt->selectAll();
    QTest::keyClicks(edt, QStringLiteral("127.0.0.1:2110"));
    QTest::keyClick(edt, Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_EQ(stored(), QStringList{QStringLiteral("127.0.0.1:2110")});
}

// Cancelling a new address removes its row under the grid's feet; the grid
// following that must not cancel again on a row that is gone.
TEST_F(ZOV00300Test, IncludeThenEscAndYesTwiceOnEmptyAndFilledGrid)
{
    for (bool filled : {false, true}) {
        if (filled) {
            frm->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            test::insertRow(tdb->db(), QStringLiteral("PARAMPEDZOVRA"), {{QStringLiteral("NRIPSERVAPLIQ"), QStringLiteral("10.0.0.1")}});
        }
        abre();
        for (int vez = 0; vez < 2; ++vez) {
            edt->setFocus();
            QTest::keyClick(edt, Qt::Key_F2);
            ASSERT_FALSE(edt->isReadOnly());
            QTest::keyClicks(edt, QStringLiteral("10.0.0.9"));
            dialogs().answer({true});
            QTest::keyClick(edt, Qt::Key_Escape);
            EXPECT_TRUE(edt->isReadOnly());
            EXPECT_EQ(edt->text(), filled ? QStringLiteral("10.0.0.1") : QString());
        }
        EXPECT_EQ(dialogs().questions().size(), 2);
        EXPECT_TRUE(dialogs().errors().isEmpty()) << dialogs().errors().join(QLatin1Char(';')).toStdString();
        EXPECT_EQ(stored(), filled ? QStringList{QStringLiteral("10.0.0.1")} : QStringList{});
        dialogs().clear();
    }
}

// A main window stand-in that shows children in an MDI area, as the real one does.
class MdiShell final : public Shell {
public:
    QString statusText(int panel) const override { return texts[panel]; }
    void setStatusText(int panel, const QString& text) override { texts[panel] = text; }
    void showChild(QWidget* window, bool) override
    {
        QMdiSubWindow* frame = nullptr;
        for (QMdiSubWindow* f : area.subWindowList())
            if (f->widget() == window)
                frame = f;
        if (!frame) {
            frame = area.addSubWindow(window);
            frame->setAttribute(Qt::WA_DeleteOnClose);
        }
        window->show();
        area.setActiveSubWindow(frame);
    }
    QWidget* mainWidget() override { return &area; }

    QMdiArea area;
    QString texts[5];
};

TEST_F(ZOV00300Test, AsAChildWindowItShowsItsCodeWhenActivatedAndTheActiveWindowsCodeWhenClosed)
{
    MdiShell mdi;
    installShell(&mdi);
    struct Restore {
        ~Restore() { installShell(nullptr); }
    } restore;
    mdi.area.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&mdi.area));
    frm = CriaParamTransPed();
    auto* pedidos = new QWidget;
    pedidos->setProperty("screenCode", QStringLiteral("ZOV00100"));
    QMdiSubWindow* other = mdi.area.addSubWindow(pedidos);
    other->show();
    mdi.area.setActiveSubWindow(other);
    mdi.setStatusText(kScreenCodePanel, QStringLiteral("ZOV00100"));

    mdi.area.setActiveSubWindow(qobject_cast<QMdiSubWindow*>(frm->parentWidget()));
    EXPECT_EQ(mdi.statusText(kScreenCodePanel), QStringLiteral("ZOV00300"));

    QLineEdit* edit = frm->findChild<QLineEdit*>(QStringLiteral("edtNrIpServApliq"));
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_F4, Qt::ControlModifier);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(frm.isNull());
    EXPECT_EQ(mdi.area.subWindowList().size(), 1);
    EXPECT_EQ(mdi.statusText(kScreenCodePanel), QStringLiteral("ZOV00100")) << "the window left active, not the main window";

    // The close button takes the frame away too.
    frm = CriaParamTransPed();
    EXPECT_EQ(mdi.area.subWindowList().size(), 2);
    frm->findChild<QAction*>(QStringLiteral("sbtFechar"))->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(frm.isNull());
    EXPECT_EQ(mdi.area.subWindowList().size(), 1);
}

} // namespace
