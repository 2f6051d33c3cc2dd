// The login window offscreen: keys, focus and the controls around a download.
#include "app/ZOV00010.h"
#include "library/criptografa.h"
#include "session/GeralZOV.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_database.h"

#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <gtest/gtest.h>

using namespace zov;
using test::insertRow;

namespace {

class LoginWindow : public test::DialogsTest {
protected:
    void SetUp() override
    {
        test::DialogsTest::SetUp();
        insertRow(temp.db(), QStringLiteral("FILIAL"), {{QStringLiteral("CDFILIAL"), QStringLiteral("0001")}});
        insertRow(temp.db(), QStringLiteral("OPERADOR"),
                  {{QStringLiteral("CDOPERADOR"), QStringLiteral("000000000001")},
                   {QStringLiteral("CDSENHOPER"), CriptografaSenha(QStringLiteral("ana123"))}});
        transfer.testaConnect = [] { return true; };
        transfer.criaBaixaDados = [this] {
            enabledDuringDownload = edit("edtFilial")->isEnabled() || button("btnConectar")->isEnabled();
            return false;
        };
        transfer.chamaExportaDados = [] { return true; };
        transfer.updateProgress = [](ProgressWindow*, const QStringList&, int, int, bool) {};
        transfer.reportFailure = [] {};
    }
    void TearDown() override
    {
        ClearSession();
        test::DialogsTest::TearDown();
    }
    void open()
    {
        login = std::make_unique<TfrmLogin>(transfer);
        login->abrir();
        login->show();
        QApplication::setActiveWindow(login.get());
    }
    QLineEdit* edit(const char* name) { return login->findChild<QLineEdit*>(QString::fromLatin1(name)); }
    QPushButton* button(const char* name) { return login->findChild<QPushButton*>(QString::fromLatin1(name)); }

    test::TempDatabase temp;
    LoginTransfer transfer;
    std::unique_ptr<TfrmLogin> login;
    bool enabledDuringDownload = true;
};

TEST_F(LoginWindow, FocusGoesToTheAddressWhenItIsEmptyElseToTheBranch)
{
    open();
    EXPECT_EQ(QApplication::focusWidget(), edit("edtEndereco"));
    login.reset();
    temp.db().exec(QStringLiteral("INSERT INTO PARAMPEDZOVRA (NRIPSERVAPLIQ) VALUES ('127.0.0.1:2110')"));
    open();
    EXPECT_EQ(edit("edtEndereco")->text(), QStringLiteral("127.0.0.1:2110"));
    EXPECT_EQ(QApplication::focusWidget(), edit("edtFilial"));
}

TEST_F(LoginWindow, EnterInAnyFieldConnectsAndTypedTextIsLowerCase)
{
    open();
    QTest::keyClicks(edit("edtEndereco"), QStringLiteral("SERVIDOR"));
    EXPECT_EQ(edit("edtEndereco")->text(), QStringLiteral("servidor"));
    edit("edtEndereco")->clear();
    edit("edtFilial")->setFocus();
    QTest::keyClicks(edit("edtFilial"), QStringLiteral("1"));
    QTest::keyClick(edit("edtFilial"), Qt::Key_Tab);
    EXPECT_EQ(edit("edtFilial")->text(), QStringLiteral("0001")) << "leaving the field fills it";
    QTest::keyClicks(edit("edtOperador"), QStringLiteral("1"));
    QTest::keyClicks(edit("edtSenha"), QStringLiteral("ana123"));
    QTest::keyClick(edit("edtFilial"), Qt::Key_Return);
    EXPECT_TRUE(login->logic().admitido());
    EXPECT_FALSE(login->isVisible());
    EXPECT_EQ(Filial(), QStringLiteral("0001"));
}

TEST_F(LoginWindow, EscapeLeavesAndTheWindowCannotBeClosedOtherwise)
{
    open();
    EXPECT_FALSE(login->close()) << "no border: closing is Sair";
    EXPECT_TRUE(login->logic().terminou());
    login.reset();
    open();
    QTest::keyClick(edit("edtOperador"), Qt::Key_Escape);
    EXPECT_TRUE(login->logic().terminou());
    EXPECT_FALSE(login->logic().admitido());
    EXPECT_FALSE(login->isVisible());
}

TEST_F(LoginWindow, ControlsAreDisabledDuringTheDownloadAndEnabledAgainAfterAFailure)
{
    open();
    QTest::keyClicks(edit("edtEndereco"), QStringLiteral("127.0.0.1:2110"));
    QTest::keyClicks(edit("edtFilial"), QStringLiteral("1"));
    QTest::keyClicks(edit("edtOperador"), QStringLiteral("1"));
    QTest::keyClicks(edit("edtSenha"), QStringLiteral("errada"));
    QTest::keyClick(edit("edtSenha"), Qt::Key_Return);
    EXPECT_EQ(dialogs().errors(), QStringList{QStringLiteral("Senha inválida.")});
    EXPECT_TRUE(login->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), edit("edtSenha"));

    edit("edtSenha")->setText(QStringLiteral("ana123"));
    QTest::mouseClick(button("btnConectar"), Qt::LeftButton);
    EXPECT_FALSE(enabledDuringDownload);
    for (const char* name : {"edtEndereco", "edtFilial", "edtOperador", "edtSenha"})
        EXPECT_TRUE(edit(name)->isEnabled()) << name;
    EXPECT_TRUE(button("btnSair")->isEnabled());
    EXPECT_TRUE(login->logic().admitido()) << "data present: a failed refresh still lets the operator in";
}

// The password shows the program's "*"; the progress area grows the window
// about its centre instead of sending it to the screen's corner.
TEST_F(LoginWindow, PasswordEchoIsAStarAndTheProgressAreaKeepsTheWindowInPlace)
{
    open();
    QLineEdit* senha = edit("edtSenha");
    EXPECT_EQ(senha->echoMode(), QLineEdit::Password);
    EXPECT_EQ(senha->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, senha), int(QLatin1Char('*').unicode()));

    login->move(300, 200);
    const QPoint centre = login->geometry().center();
    const int before = login->height();
    ProgressState s;
    s.label1Visible = s.label2Visible = s.frameVisible = s.barVisible = true;
    s.line1 = QStringLiteral("Atualizando tabelas");
    s.line2 = QStringLiteral("PRODUTO");
    static_cast<ProgressWindow&>(*login).showProgress(s);
    EXPECT_GT(login->height(), before);
    EXPECT_LE((login->geometry().center() - centre).manhattanLength(), 2);
    EXPECT_GT(login->x(), 100);
}

} // namespace
