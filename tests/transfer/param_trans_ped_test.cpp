// The transmission parameters' logic against a real database: command states,
// include with and without a row, change of several rows, Confirm, Cancel and
// a failing save.
#include "library/errors.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_database.h"
#include "transfer/param_trans_ped.h"

#include <gtest/gtest.h>

using namespace zov;

namespace {

class RecordingView final : public ParamTransPedView {
public:
    QString textoEndereco() const override { return texto; }
    void mostraEndereco(const QString& text) override { texto = text; }
    void focaEndereco() override { ++focos; }
    void habilitaComandos(const ComandosParamTransPed& c) override { comandos = c; }
    void refreshGrids() override { ++refreshes; }
    void fecha() override { fechou = true; }

    QString texto; // what the address field holds: shown or typed
    int focos = 0;
    int refreshes = 0;
    bool fechou = false;
    ComandosParamTransPed comandos;
};

class ParamTransPedTest : public test::DialogsTest {
protected:
    void SetUp() override
    {
        test::DialogsTest::SetUp();
        tdb = std::make_unique<test::TempDatabase>();
    }
    void TearDown() override
    {
        logic.reset();
        tdb.reset();
        test::DialogsTest::TearDown();
    }
    Database& db() { return tdb->db(); }
    void addRow(const QString& address)
    {
        test::insertRow(db(), QStringLiteral("PARAMPEDZOVRA"), {{QStringLiteral("NRIPSERVAPLIQ"), address}});
    }
    QStringList stored()
    {
        QStringList out;
        Statement st(db(), QStringLiteral("SELECT NRIPSERVAPLIQ FROM PARAMPEDZOVRA ORDER BY rowid"));
        while (st.step())
            out << st.value(0).toString();
        return out;
    }
    ParamTransPed& open()
    {
        logic = std::make_unique<ParamTransPed>(db(), view);
        logic->inicia();
        return *logic;
    }
    DataSetState state() const { return logic->qryParamTransPed.state(); }
    // Runs a command as the window does: an abort ends it silently.
    bool run(void (ParamTransPed::*command)())
    {
        return runGuarded([&] { (logic.get()->*command)(); });
    }

    static ComandosParamTransPed browsing(bool empty)
    {
        ComandosParamTransPed c;
        c.incluir = empty;
        c.alterar = c.atualizar = !empty;
        return c;
    }
    static ComandosParamTransPed editing()
    {
        ComandosParamTransPed c;
        c.cancelar = c.confirmar = c.editando = true;
        return c;
    }

    std::unique_ptr<test::TempDatabase> tdb;
    RecordingView view;
    std::unique_ptr<ParamTransPed> logic;
};

TEST_F(ParamTransPedTest, FirstAddressOnAnEmptyTableThenIncludeButtonOffAndChangeOn)
{
    open();
    EXPECT_EQ(view.comandos, browsing(true));
    EXPECT_EQ(view.texto, QString());

    // Commands that need a row or an edit do nothing on an empty table.
    EXPECT_TRUE(run(&ParamTransPed::alterar));
    EXPECT_TRUE(run(&ParamTransPed::confirmar));
    EXPECT_EQ(state(), DataSetState::Browse);

    run(&ParamTransPed::incluir);
    EXPECT_EQ(state(), DataSetState::Insert);
    EXPECT_EQ(view.focos, 1);
    EXPECT_EQ(view.comandos, editing());

    view.texto = QStringLiteral("10.0.0.5:8080");
    EXPECT_TRUE(run(&ParamTransPed::confirmar));
    EXPECT_EQ(stored(), QStringList{QStringLiteral("10.0.0.5:8080")});
    EXPECT_EQ(state(), DataSetState::Browse);
    EXPECT_FALSE(logic->qryParamTransPed.updatesPending());
    EXPECT_EQ(view.comandos, browsing(false));
    EXPECT_EQ(view.texto, QStringLiteral("10.0.0.5:8080"));
    EXPECT_GE(view.refreshes, 1);
    EXPECT_TRUE(dialogs().records.empty());
}

TEST_F(ParamTransPedTest, IncludeFromTheMenuAddsASecondRowButNotWhileEditing)
{
    addRow(QStringLiteral("10.0.0.1"));
    open();
    EXPECT_EQ(view.texto, QStringLiteral("10.0.0.1"));
    EXPECT_FALSE(view.comandos.incluir);

    run(&ParamTransPed::incluir);
    ASSERT_EQ(state(), DataSetState::Insert);
    EXPECT_EQ(view.texto, QString());
    // A second F2 while inserting is ignored.
    run(&ParamTransPed::incluir);
    EXPECT_EQ(logic->qryParamTransPed.recordCount(), 2);

    view.texto = QStringLiteral("10.0.0.2:211");
    run(&ParamTransPed::confirmar);
    EXPECT_EQ(stored(), (QStringList{QStringLiteral("10.0.0.1"), QStringLiteral("10.0.0.2:211")}));
    EXPECT_EQ(logic->qryParamTransPed.recordCount(), 2);
    EXPECT_EQ(logic->qryParamTransPed.recNo(), 2);
    EXPECT_EQ(view.comandos, browsing(false));
}

TEST_F(ParamTransPedTest, ChangeSetsEveryRowAndTheScreenShowsWhatIsStored)
{
    addRow(QStringLiteral("10.0.0.1"));
    addRow(QStringLiteral("10.0.0.2"));
    addRow(QStringLiteral("10.0.0.3"));
    open();
    logic->qryParamTransPed.setRecNo(2);
    run(&ParamTransPed::alterar);
    ASSERT_EQ(state(), DataSetState::Edit);
    EXPECT_EQ(view.texto, QStringLiteral("10.0.0.2"));
    view.texto = QStringLiteral("192.168.0.10:2110");
    run(&ParamTransPed::confirmar);

    EXPECT_EQ(stored(), QStringList(3, QStringLiteral("192.168.0.10:2110")));
    Query& q = logic->qryParamTransPed;
    EXPECT_EQ(q.recNo(), 2);
    for (q.first(); !q.eof(); q.next())
        EXPECT_EQ(q[QStringLiteral("NRIPSERVAPLIQ")].asString(), QStringLiteral("192.168.0.10:2110"));
}

TEST_F(ParamTransPedTest, ConfirmRefusesAnEmptyOrMalformedAddressAndSavesNothing)
{
    open();
    run(&ParamTransPed::incluir);
    const int focos = view.focos;
    view.texto = QString();
    EXPECT_FALSE(run(&ParamTransPed::confirmar));
    EXPECT_EQ(dialogs().errors(), QStringList{QStringLiteral("Ip do servidor deve ser informado.")});
    EXPECT_EQ(view.focos, focos + 1);
    EXPECT_EQ(state(), DataSetState::Insert);

    for (const char* bad : {":8080", "10.0.0.5:", "10.0.0.5:0", "10.0.0.5:65536", "10.0.0.5:80:80", "10.0.0.5:+80"}) {
        dialogs().clear();
        view.texto = QString::fromLatin1(bad);
        EXPECT_FALSE(run(&ParamTransPed::confirmar)) << bad;
        ASSERT_EQ(dialogs().errors().size(), 1) << bad;
        EXPECT_TRUE(dialogs().errors().front().startsWith(QStringLiteral("Endereço do servidor inválido"))) << bad;
    }
    EXPECT_EQ(state(), DataSetState::Insert);
    EXPECT_TRUE(stored().isEmpty());

    view.texto = QStringLiteral("10.0.0.5");
    EXPECT_TRUE(run(&ParamTransPed::confirmar));
    EXPECT_EQ(stored(), QStringList{QStringLiteral("10.0.0.5")});
}

TEST_F(ParamTransPedTest, CancelAsksAndNoKeepsTheEdit)
{
    addRow(QStringLiteral("10.0.0.1"));
    open();
    run(&ParamTransPed::alterar);
    view.texto = QStringLiteral("10.0.0.9");

    dialogs().answer({false});
    run(&ParamTransPed::cancelar);
    EXPECT_EQ(dialogs().questions(), QStringList{QStringLiteral("Cancelar operação?")});
    EXPECT_EQ(state(), DataSetState::Edit);
    EXPECT_EQ(view.texto, QStringLiteral("10.0.0.9"));

    dialogs().answer({true});
    run(&ParamTransPed::cancelar);
    EXPECT_EQ(state(), DataSetState::Browse);
    EXPECT_EQ(view.texto, QStringLiteral("10.0.0.1"));
    EXPECT_EQ(view.comandos, browsing(false));
    EXPECT_EQ(stored(), QStringList{QStringLiteral("10.0.0.1")});

    // Cancel in browse state asks nothing.
    run(&ParamTransPed::cancelar);
    EXPECT_EQ(dialogs().questions().size(), 2);
}

TEST_F(ParamTransPedTest, CancellingTheFirstRowRunsTheHandlerAlreadyInstalledAndLeavesIncludeOn)
{
    logic = std::make_unique<ParamTransPed>(db(), view);
    int anterior = 0;
    logic->qryParamTransPed.afterCancel = [&](Query&) { ++anterior; };
    logic->inicia();

    run(&ParamTransPed::incluir);
    view.texto = QStringLiteral("10.0.0.5");
    dialogs().answer({true});
    run(&ParamTransPed::cancelar);
    EXPECT_EQ(anterior, 1);
    EXPECT_TRUE(logic->qryParamTransPed.isEmpty());
    EXPECT_EQ(view.comandos, browsing(true));
    EXPECT_EQ(view.texto, QString());
}

TEST_F(ParamTransPedTest, AFailingSaveKeepsThePreviousContentAndSaysSo)
{
    addRow(QStringLiteral("10.0.0.1"));
    db().execScript(QStringLiteral("CREATE TRIGGER trava BEFORE UPDATE ON PARAMPEDZOVRA "
                                   "BEGIN SELECT RAISE(ABORT, 'tabela travada'); END;"));
    open();
    run(&ParamTransPed::alterar);
    view.texto = QStringLiteral("10.0.0.9");
    run(&ParamTransPed::confirmar);

    EXPECT_EQ(stored(), QStringList{QStringLiteral("10.0.0.1")});
    EXPECT_EQ(state(), DataSetState::Browse);
    EXPECT_FALSE(logic->qryParamTransPed.updatesPending());
    EXPECT_EQ(logic->qryParamTransPed[QStringLiteral("NRIPSERVAPLIQ")].asString(), QStringLiteral("10.0.0.1"));
    EXPECT_EQ(view.texto, QStringLiteral("10.0.0.1"));
    ASSERT_EQ(dialogs().errors().size(), 1);
    EXPECT_TRUE(dialogs().errors().front().startsWith(QStringLiteral("Não foi possível gravar o endereço do servidor")));
    EXPECT_TRUE(dialogs().errors().front().contains(QStringLiteral("tabela travada")));
}

TEST_F(ParamTransPedTest, AFailingFirstSaveLeavesTheTableEmptyWithIncludeOn)
{
    db().execScript(QStringLiteral("CREATE TRIGGER trava BEFORE INSERT ON PARAMPEDZOVRA "
                                   "BEGIN SELECT RAISE(ABORT, 'tabela travada'); END;"));
    open();
    run(&ParamTransPed::incluir);
    view.texto = QStringLiteral("10.0.0.5");
    run(&ParamTransPed::confirmar);
    EXPECT_TRUE(stored().isEmpty());
    EXPECT_TRUE(logic->qryParamTransPed.isEmpty());
    EXPECT_EQ(view.comandos, browsing(true));
    EXPECT_EQ(dialogs().errors().size(), 1);
}

TEST_F(ParamTransPedTest, ARowRemovedBehindTheWindowIsNotReportedAsSaved)
{
    addRow(QStringLiteral("10.0.0.1"));
    open();
    db().exec(QStringLiteral("DELETE FROM PARAMPEDZOVRA"));
    run(&ParamTransPed::alterar);
    view.texto = QStringLiteral("10.0.0.9");
    run(&ParamTransPed::confirmar);
    EXPECT_TRUE(stored().isEmpty());
    EXPECT_EQ(dialogs().errors().size(), 1);

    // Refresh shows the table as it is, and include is offered again.
    run(&ParamTransPed::atualizar);
    EXPECT_TRUE(logic->qryParamTransPed.isEmpty());
    EXPECT_EQ(view.comandos, browsing(true));
}

} // namespace
