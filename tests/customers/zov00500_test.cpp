// The customer window offscreen: real keys into the taxpayer number, F9 in
// the address codes, Ctrl+Enter on a new customer.
#include "customers/ZOV00500.h"
#include "library/shell.h"
#include "tests/customers/clientes_fixture.h"
#include "tests/support/model_checker.h"
#include "tests/support/scripted_dialogs.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
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
        EXPECT_EQ(checkers.empty() ? QStringList() : checkers.front()->failures(), QStringList()) << "the grids' model contract";
        checkers.clear();
        if (frm)
            frm->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        tdb.reset();
        test::DialogsTest::TearDown();
    }
    std::vector<std::unique_ptr<test::ModelChecker>> checkers;
    void abre()
    {
        frm = CriaCliente();
        ASSERT_TRUE(frm);
        for (QTableView* grid : frm->findChildren<QTableView*>())
            checkers.push_back(std::make_unique<test::ModelChecker>(grid->model()));
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
    EXPECT_TRUE(edt("dbeSgEstadoCli")->hasFocus()); // past the name just filled

    escolhas << QStringLiteral("SP");
    digita("dbeSgEstadoCli", QString());
    QTest::keyClick(edt("dbeSgEstadoCli"), Qt::Key_F9);
    EXPECT_EQ(edt("dbeSgEstadoCli")->text(), QStringLiteral("SP"));

    escolhas << QStringLiteral("0002");
    QTest::mouseClick(frm->findChild<QToolButton*>(QStringLiteral("btpMunicipiClie")), Qt::LeftButton);
    EXPECT_EQ(edt("dbeNmMunicipioCli")->text(), QStringLiteral("CAMPINAS"));
    EXPECT_TRUE(edt("dbeCdBairroCli")->hasFocus()); // the button's click did not take it away

    // The district's name is editable and typing there clears the code: the
    // lookup leaves the focus in the street line, where typing keeps the choice.
    escolhas << QStringLiteral("0000000002");
    QTest::keyClick(edt("dbeCdBairroCli"), Qt::Key_F9);
    EXPECT_EQ(edt("dbeNmBairClieCli")->text(), QStringLiteral("CAMBUI"));
    ASSERT_TRUE(edt("dbeDsEndeClieCli")->hasFocus());
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("RUA A"));
    EXPECT_EQ(campo(frm->logic().qryEndCli, "CDBAIRRO"), QStringLiteral("0000000002"));
    EXPECT_EQ(edt("dbeDsEndeClieCli")->text(), QStringLiteral("RUA A"));

    // Cancelled in the delivery address: nothing changes there.
    edt("dbeCdBairroEntrg")->setFocus();
    QTest::keyClick(edt("dbeCdBairroEntrg"), Qt::Key_F9);
    EXPECT_EQ(titulos,
              (QStringList{QStringLiteral("País"), QStringLiteral("Estado"), QStringLiteral("Municipio"), QStringLiteral("Bairro"),
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

namespace {

// Cancelling a new customer removes its row under the grid's feet; the grid
// following that must not cancel again on a row that is gone.
TEST_F(ZOV00500Test, IncludeThenEscAndYesTwiceOnEmptyAndFilledGrid)
{
    for (bool filled : {false, true}) {
        if (filled) {
            frm->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            test::insereCliente(tdb->db(), QStringLiteral("F") + test::kCpfA, QStringLiteral("F"), test::kCpfA, QStringLiteral("ANA"));
            test::insereCliente(tdb->db(), QStringLiteral("F") + test::kCpfB, QStringLiteral("F"), test::kCpfB, QStringLiteral("BIA"));
        }
        abre();
        const int linhas = frm->logic().qryClientes.recordCount();
        EXPECT_EQ(linhas, filled ? 2 : 0);
        for (int vez = 0; vez < 2; ++vez) {
            incluir();
            dialogs().answer({true});
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            EXPECT_EQ(frm->logic().qryClientes.state(), DataSetState::Browse);
            EXPECT_EQ(frm->logic().qryClientes.recordCount(), linhas);
            EXPECT_EQ(frm->findChild<QTabWidget*>(QStringLiteral("pgcPadrao"))->currentIndex(), 0);
        }
        EXPECT_EQ(dialogs().questions().size(), 2);
        EXPECT_TRUE(dialogs().errors().isEmpty()) << dialogs().errors().join(QLatin1Char(';')).toStdString();
        dialogs().clear();
    }
}

// F3 on a person: the legal name is disabled, the focus goes to the trade name
// (it used to end on the tab bar); F7 opens Procurar ready for typing.
TEST_F(ZOV00500Test, AlterarAndProcurarPutTheFocusWhereTheUserTypes)
{
    test::insereCliente(tdb->db(), QStringLiteral("F") + test::kCpfA, QStringLiteral("F"), test::kCpfA, QStringLiteral("ANA"));
    abre();
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : frm.data(), Qt::Key_F3);
    ASSERT_EQ(frm->logic().qryClientes.state(), DataSetState::Edit);
    EXPECT_FALSE(edt("dbeNmRazaoSoc")->isEnabled());
    EXPECT_TRUE(edt("dbeNmFantasia")->hasFocus());
    dialogs().answer({true});
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    ASSERT_EQ(frm->logic().qryClientes.state(), DataSetState::Browse);

    QString foco;
    QTimer::singleShot(0, [&] {
        QWidget* dlg = QApplication::activeModalWidget();
        if (QWidget* w = dlg ? dlg->focusWidget() : nullptr)
            foco = w->objectName();
        if (dlg)
            dlg->close();
    });
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : frm.data(), Qt::Key_F7);
    EXPECT_EQ(foco, QStringLiteral("edtTexto"));
}

// Columns are as wide as their fields and content: the one-letter kind no
// longer takes the width the names need.
TEST_F(ZOV00500Test, GridColumnsFollowTheirFieldsAndContent)
{
    test::insereCliente(tdb->db(), QStringLiteral("F") + test::kCpfA, QStringLiteral("F"), test::kCpfA,
                        QStringLiteral("COMERCIAL DE ALIMENTOS SAO JOAO DA BOA VISTA"));
    abre();
    auto* grade = frm->findChild<QTableView*>();
    ASSERT_TRUE(grade);
    const auto* modelo = grade->model();
    int tipo = -1, nome = -1;
    for (int c = 0; c < modelo->columnCount(); ++c) {
        const QString t = modelo->headerData(c, Qt::Horizontal).toString();
        if (t == QStringLiteral("Tipo"))
            tipo = c;
        if (nome < 0 && t.startsWith(QStringLiteral("Nome")))
            nome = c;
    }
    ASSERT_GE(tipo, 0);
    ASSERT_GE(nome, 0);
    EXPECT_LT(grade->columnWidth(tipo), grade->columnWidth(nome));
    EXPECT_LT(grade->columnWidth(tipo), 200);
    const int texto = grade->fontMetrics().horizontalAdvance(QStringLiteral("COMERCIAL DE ALIMENTOS SAO JOAO DA BOA VISTA"));
    EXPECT_GE(grade->columnWidth(nome), texto);
    // The code's column holds an alphanumeric CNPJ of wide letters, though
    // the rows read first are digits only.
    int codigo = -1;
    for (int c = 0; c < modelo->columnCount(); ++c)
        if (modelo->headerData(c, Qt::Horizontal).toString() == QStringLiteral("Código"))
            codigo = c;
    ASSERT_GE(codigo, 0);
    EXPECT_GE(grade->columnWidth(codigo), grade->fontMetrics().horizontalAdvance(QStringLiteral("WM.WMW.MWM/WMWM-00")));
}

// Ctrl+H shows the current customer's history (the order window's, through
// the hook the program sets); a customer being typed has none yet.
TEST_F(ZOV00500Test, CtrlHShowsTheCurrentCustomersHistory)
{
    test::insereCliente(tdb->db(), QStringLiteral("F") + test::kCpfA, QStringLiteral("F"), test::kCpfA, QStringLiteral("ANA"));
    QStringList mostrados;
    SetMostraHistorico([&](const QString& cdCliente, const QString& nome, QWidget*) { mostrados << cdCliente + QLatin1Char(' ') + nome; });
    abre();
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : frm.data(), Qt::Key_H, Qt::ControlModifier);
    EXPECT_EQ(mostrados, QStringList{QStringLiteral("F") + test::kCpfA + QStringLiteral(" ANA")});
    incluir();
    EXPECT_FALSE(acao("mnuHistorico")->isEnabled());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_H, Qt::ControlModifier);
    EXPECT_EQ(mostrados.size(), 1);
    SetMostraHistorico(nullptr);
}

} // namespace
