// The customer window offscreen: real keys into the taxpayer number, F9 in
// the address codes, Ctrl+Enter on a new customer.
#include "customers/ZOV00500.h"
#include "library/shell.h"
#include "tests/customers/clientes_fixture.h"
#include "tests/support/scripted_dialogs.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace zov;

namespace {

class ZOV00500Test : public test::DialogsTest {
protected:
    void SetUp() override
    {
        test::DialogsTest::SetUp();
        tdb = std::make_unique<test::TempDatabase>();
        test::semeiaGeografia(tdb->db());
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
        frm = CriaCliente();
        ASSERT_TRUE(frm);
        ASSERT_TRUE(QTest::qWaitForWindowActive(frm));
        frm->logic().setPesquisa([this](Query& q, const QString& titulo) {
            titulos << titulo;
            return !escolhas.isEmpty() && q.locate(q.field(0).fieldName(), escolhas.takeFirst());
        });
    }
    QLineEdit* edt(const char* name) { return frm->findChild<QLineEdit*>(QString::fromLatin1(name)); }
    QAction* acao(const char* name) { return frm->findChild<QAction*>(QString::fromLatin1(name)); }
    // Moves into an edit as a click would, then types.
    void digita(const char* name, const QString& text)
    {
        QLineEdit* e = edt(name);
        ASSERT_TRUE(e) << name;
        e->setFocus(Qt::MouseFocusReason);
        QTest::keyClicks(e, text);
    }
    void incluir()
    {
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : frm.data(), Qt::Key_F2);
        ASSERT_EQ(frm->logic().qryClientes.state(), DataSetState::Insert);
    }
    QString campo(Query& q, const char* name) { return q.fieldByName(QString::fromLatin1(name)).asString(); }

    std::unique_ptr<test::TempDatabase> tdb;
    QPointer<TfrmCliente> frm;
    QStringList titulos;
    QStringList escolhas;
};

TEST_F(ZOV00500Test, TheTaxpayerNumberTakesDigitsOnly)
{
    abre();
    EXPECT_EQ(frm->windowTitle(), QStringLiteral("Cliente"));
    EXPECT_EQ(shell().statusText(kScreenCodePanel), QStringLiteral("ZOV00500"));
    EXPECT_FALSE(acao("sbtConfirmar")->isEnabled());
    incluir();
    QLineEdit* codigo = edt("dbeInscricao");
    EXPECT_TRUE(codigo->hasFocus());
    EXPECT_TRUE(codigo->isEnabled());
    EXPECT_EQ(frm->findChild<QTabWidget*>(QStringLiteral("pgcPadrao"))->currentIndex(), 1);

    QTest::keyClick(codigo, Qt::Key_Tab);
    QLineEdit* numero = edt("dbeNrInsJurClie");
    ASSERT_TRUE(numero->hasFocus());
    QTest::keyClicks(numero, QStringLiteral("12a3-x4"));
    EXPECT_EQ(numero->text(), QStringLiteral("1234"));
    QTest::keyClick(numero, Qt::Key_Backspace);
    EXPECT_EQ(numero->text(), QStringLiteral("1234"));
    EXPECT_EQ(campo(frm->logic().qryClientes, "NRINSJURCLIE"), QStringLiteral("1234"));

    // F12 goes to the first edit of the next group, the own address.
    QTest::keyClick(numero, Qt::Key_F12);
    EXPECT_TRUE(edt("dbeCdPaisCli")->hasFocus());
    QTest::keyClick(edt("dbeCdPaisCli"), Qt::Key_F12);
    EXPECT_TRUE(edt("dbeCdPaisEntrg")->hasFocus());
    EXPECT_TRUE(dialogs().records.empty());
}

TEST_F(ZOV00500Test, F9OpensTheLookupOfTheCodeEdit)
{
    abre();
    // Browsing: the lookups are not available.
    edt("dbeCdPaisCli")->setFocus();
    QTest::keyClick(edt("dbeCdPaisCli"), Qt::Key_F9);
    EXPECT_TRUE(titulos.isEmpty());

    incluir();
    escolhas << QStringLiteral("0001");
    QLineEdit* pais = edt("dbeCdPaisCli");
    pais->setFocus();
    QTest::keyClick(pais, Qt::Key_F9);
    EXPECT_EQ(titulos, QStringList{QStringLiteral("País")});
    EXPECT_EQ(pais->text(), QStringLiteral("0001"));
    EXPECT_EQ(edt("dbeNmPaisCli")->text(), QStringLiteral("BRASIL"));

    escolhas << QStringLiteral("SP");
    digita("dbeSgEstadoCli", QString());
    QTest::keyClick(edt("dbeSgEstadoCli"), Qt::Key_F9);
    EXPECT_EQ(edt("dbeSgEstadoCli")->text(), QStringLiteral("SP"));

    escolhas << QStringLiteral("0002");
    QTest::mouseClick(frm->findChild<QToolButton*>(QStringLiteral("btpMunicipiClie")), Qt::LeftButton);
    EXPECT_EQ(edt("dbeNmMunicipioCli")->text(), QStringLiteral("CAMPINAS"));

    // Cancelled in the delivery address: nothing changes there.
    edt("dbeCdBairroEntrg")->setFocus();
    QTest::keyClick(edt("dbeCdBairroEntrg"), Qt::Key_F9);
    EXPECT_EQ(titulos, (QStringList{QStringLiteral("País"), QStringLiteral("Estado"), QStringLiteral("Municipio"),
                                    QStringLiteral("Bairro")}));
    EXPECT_EQ(edt("dbeCdBairroEntrg")->text(), QString());
    EXPECT_TRUE(dialogs().records.empty());
}

TEST_F(ZOV00500Test, CtrlEnterSavesTheNewCustomerAndStartsTheNext)
{
    abre();
    incluir();
    QTest::keyClicks(edt("dbeInscricao"), QStringLiteral("52998224725"));
    QTest::keyClick(edt("dbeInscricao"), Qt::Key_Tab);
    EXPECT_TRUE(dialogs().records.empty());
    EXPECT_EQ(frm->findChild<QLabel*>(QStringLiteral("lblTipo"))->text(), QStringLiteral("Física"));
    digita("dbeNmFantasia", QStringLiteral("JOSE"));
    EXPECT_EQ(edt("dbeNmRazaoSoc")->text(), QStringLiteral("JOSE")); // a person's legal name follows
    for (const char* sufixo : {"Cli", "Entrg"}) {
        const QString s = QString::fromLatin1(sufixo);
        digita(("dbeCdPais" + s).toLatin1().constData(), QStringLiteral("1"));
        digita(("dbeSgEstado" + s).toLatin1().constData(), QStringLiteral("sp"));
        digita(("dbeCdMunicipio" + s).toLatin1().constData(), QStringLiteral("1"));
        digita(("dbeDsEndeClie" + s).toLatin1().constData(), QStringLiteral("RUA ") + s.toUpper());
    }
    EXPECT_EQ(edt("dbeCdPaisCli")->text(), QStringLiteral("0001"));
    EXPECT_EQ(edt("dbeSgEstadoCli")->text(), QStringLiteral("SP"));
    EXPECT_EQ(edt("dbeNmMunicipioEntrg")->text(), QStringLiteral("SAO PAULO"));
    ASSERT_TRUE(dialogs().records.empty()) << dialogs().errors().join(QLatin1Char(';')).toStdString();

    QTest::keyClick(edt("dbeDsEndeClieEntrg"), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_TRUE(dialogs().records.empty()) << dialogs().errors().join(QLatin1Char(';')).toStdString();
    EXPECT_EQ(test::countRows(tdb->db(), QStringLiteral("CLIENTE"), QStringLiteral("CDCLIENTE = 'F52998224725'")), 1);
    EXPECT_EQ(test::countRows(tdb->db(), QStringLiteral("ENDECLIE")), 2);
    EXPECT_EQ(frm->logic().qryClientes.state(), DataSetState::Insert);
    EXPECT_TRUE(edt("dbeInscricao")->hasFocus());
    EXPECT_EQ(edt("dbeInscricao")->text(), QString());
    EXPECT_EQ(edt("dbeCdPaisCli")->text(), QString());

    // Esc asks and goes back to the grid, on the customer just saved.
    dialogs().answer({true});
    QTest::keyClick(edt("dbeInscricao"), Qt::Key_Escape);
    EXPECT_EQ(frm->findChild<QTabWidget*>(QStringLiteral("pgcPadrao"))->currentIndex(), 0);
    EXPECT_EQ(edt("dbtNmFantClie")->text(), QStringLiteral("JOSE"));
    EXPECT_TRUE(acao("sbtAlterar")->isEnabled());
}

} // namespace
