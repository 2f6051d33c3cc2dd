// The generic search dialog's logic: opening, preselection, the delayed
// search, cancel and the narrowing to the chosen row.
#include "library/btn_pesquisa.h"
#include "library/errors.h"
#include "library/velmora.h"
#include "search/pesquisaZOV_logic.h"
#include "tests/search/search_fixture.h"

#include <functional>

namespace zov::test {
namespace {

class RecordingView final : public PesquisarView {
public:
    PesquisarLogic* logic = nullptr;
    std::function<void()> script; // what the user does while the window is up
    QString caption;
    QStringList columns;
    int selected = -1;
    QString text;
    QString focus;
    bool confirmEnabled = false;
    int searches = 0; // each search freezes the window once
    bool shown = false;
    bool closed = false;
    QStringList statusLog;
    QString status3 = "ZOV00100";

    void setCaption(const QString& c) override { caption = c; }
    void setUpperCase(bool) override {}
    void setColumns(const QStringList& labels, int sel) override
    {
        columns = labels;
        selected = sel;
    }
    int selectedColumn() const override { return selected; }
    QString searchText() const override { return text; }
    void setSearchText(const QString& t) override
    {
        if (t == text)
            return;
        text = t;
        logic->searchTextChanged();
    }
    void focusSearch() override { focus = "medProcurar"; }
    void focusGrid() override { focus = "dbgArquivo"; }
    void setConfirmEnabled(bool e) override { confirmEnabled = e; }
    void setRepaintFrozen(bool frozen) override { searches += frozen ? 1 : 0; }
    void execModal() override
    {
        shown = true;
        if (script)
            script();
    }
    void closeWindow() override { closed = true; }
    QString statusText(int panel) const override { return panel == 3 ? status3 : QString(); }
    void setStatusText(int panel, const QString& t) override
    {
        if (panel == 3) {
            status3 = t;
            statusLog << t;
        }
    }
};

class PesquisarLogicTest : public SearchTest {
protected:
    void SetUp() override
    {
        SearchTest::SetUp();
        logic.reset(new PesquisarLogic(q, view, timer));
        view.logic = logic.get();
        ResetInstallationSettings();
    }
    void TearDown() override
    {
        ResetInstallationSettings();
        SearchTest::TearDown();
    }
    void type(const QString& t) { view.setSearchText(t); }

    Query q{&db(), "qryPais"};
    RecordingView view;
    FakeTimer timer;
    std::unique_ptr<PesquisarLogic> logic;
};

TEST_F(PesquisarLogicTest, EmptyListEndsTheCallWithTheMessageLowerCasedOrVerbatim)
{
    openLookup(q, kSqlPais, "CDPAIS");
    EXPECT_THROW(logic->run("País", false, true), Abort);
    EXPECT_EQ(dialogs().errors(), QStringList{"Não há país cadastrado(a)."});
    EXPECT_FALSE(view.shown);

    dialogs().clear();
    EXPECT_THROW(logic->run("Pedido|Não há Observação cadastrada para este Pedido.", false, true), Abort);
    EXPECT_EQ(dialogs().errors(), QStringList{"Não há Observação cadastrada para este Pedido."});
    EXPECT_FALSE(view.shown);
}

TEST_F(PesquisarLogicTest, QueryWithoutFieldsIsRefused)
{
    q.setSql(kSqlPais); // never opened: no fields to list
    EXPECT_THROW(logic->run("País", true, true), Abort);
    EXPECT_EQ(dialogs().errors(), QStringList{"Campos devem ser especificados para a consulta."});
}

TEST_F(PesquisarLogicTest, FirstNameOrDescriptionAfterTheFirstColumnIsPreselected)
{
    seedGeography(db());
    openLookup(q, kSqlPais, "CDPAIS");
    q["CDPAIS"].displayLabel = "Código";
    q["NMPAIS"].displayLabel = "Nome";
    logic->run("País", false, true);
    EXPECT_EQ(view.caption, "País");
    EXPECT_EQ(view.columns, (QStringList{"Código", "Nome"}));
    EXPECT_EQ(view.selected, 1);

    Query other(&db(), "qryOutro");
    other.setSql("SELECT NMPAIS AS NMX, CDPAIS AS CDY, CDPAIS AS ESCONDIDO FROM PAIS");
    other.open();
    other["ESCONDIDO"].visible = false;
    RecordingView v2;
    PesquisarLogic l2(other, v2, timer);
    v2.logic = &l2;
    l2.run("Outro", false, true);
    EXPECT_EQ(v2.columns, (QStringList{"NMX", "CDY"}));
    EXPECT_EQ(v2.selected, 0);
}

TEST_F(PesquisarLogicTest, ThreeQuickKeystrokesRunOneSearchAndClearingBringsTheListBack)
{
    seedGeography(db());
    openLookup(q, kSqlPais, "CDPAIS");
    view.script = [&] {
        type("U");
        type("UR");
        type("URU");
        EXPECT_EQ(timer.starts, 3);
        EXPECT_EQ(timer.interval, 600);
        EXPECT_TRUE(timer.active);
        EXPECT_EQ(view.searches, 0);
        EXPECT_EQ(q.recordCount(), 4);

        logic->timerTick();
        EXPECT_EQ(view.searches, 1);
        EXPECT_FALSE(timer.active);
        EXPECT_EQ(q.recordCount(), 1);
        EXPECT_EQ(q["NMPAIS"].asString(), "URUGUAI");
        EXPECT_EQ(view.focus, "dbgArquivo");
        EXPECT_TRUE(view.confirmEnabled);

        type("XYZ");
        logic->timerTick();
        EXPECT_TRUE(q.isEmpty());
        EXPECT_FALSE(view.confirmEnabled) << "nothing to choose";

        type("");
        logic->timerTick();
        EXPECT_EQ(q.recordCount(), 4);
        EXPECT_EQ(view.focus, "medProcurar");
        EXPECT_TRUE(view.confirmEnabled);
    };
    EXPECT_FALSE(logic->run("País", false, true));
}

TEST_F(PesquisarLogicTest, CancelLeavesTheQueryClosed)
{
    seedGeography(db());
    openLookup(q, kSqlPais, "CDPAIS");
    ExitOK(true);
    view.script = [&] {
        type("BRA");
        logic->timerTick();
    };
    EXPECT_FALSE(logic->run("País", false, true));
    EXPECT_FALSE(q.active());
    EXPECT_EQ(q.sql(), QString(kSqlPais));
    EXPECT_FALSE(LastExitOK());
}

TEST_F(PesquisarLogicTest, AListReadInPartIsNarrowedByTheDatabaseAndTheCallerGetsItsBlockBack)
{
    seedGeography(db());
    q.setFetchBlock(2); // the four countries are more than a block
    openLookup(q, kSqlPais, "CDPAIS");
    ASSERT_FALSE(q.allFetched());
    view.script = [&] {
        type("paraguai");
        logic->timerTick();
        EXPECT_NE(q.sql(), QString(kSqlPais)) << "the database narrowed it";
        EXPECT_EQ(q.recordCount(), 1);
        type("");
        logic->timerTick();
        EXPECT_EQ(q.sql(), QString(kSqlPais));
        EXPECT_EQ(q.recordCount(), 4);
        type("paraguai");
        logic->timerTick();
        logic->confirm();
    };
    EXPECT_TRUE(logic->run("País", false, false));
    EXPECT_EQ(q.sql(), QString(kSqlPais));
    EXPECT_EQ(q["NMPAIS"].asString(), "PARAGUAI");
    logic.reset();
    EXPECT_EQ(q.fetchBlock(), 0);
}

TEST_F(PesquisarLogicTest, ConfirmReopensTheCountryListOnTheChosenKey)
{
    seedGeography(db());
    openLookup(q, kSqlPais, "CDPAIS");
    view.script = [&] {
        type("paraguai"); // any case, as a caller without upper case would pass it
        logic->timerTick();
        logic->confirm();
    };
    EXPECT_TRUE(logic->run("País", false, false));
    EXPECT_TRUE(view.closed);
    EXPECT_TRUE(LastExitOK());
    ASSERT_TRUE(q.active());
    EXPECT_EQ(q.sql(), QString(kSqlPais));
    EXPECT_EQ(q.paramByName("P_CDPAIS").asString(), "0595");
    EXPECT_EQ(q.paramByName("P_TCDPAIS").asString(), "N");
    EXPECT_EQ(q.recordCount(), 1);
    EXPECT_EQ(q["NMPAIS"].asString(), "PARAGUAI");
    EXPECT_TRUE(view.statusLog.isEmpty()) << "no relocation was needed";
}

TEST_F(PesquisarLogicTest, ConfirmIsRefusedWhileNothingCanBeChosen)
{
    seedGeography(db());
    openLookup(q, kSqlPais, "CDPAIS");
    view.script = [&] {
        type("NENHUM");
        logic->timerTick();
        logic->confirm();
        EXPECT_FALSE(view.closed);
    };
    EXPECT_FALSE(logic->run("País", false, true));
}

TEST_F(PesquisarLogicTest, WithoutKeyParametersTheRowIsFoundAgainByItsFirstThreeColumns)
{
    seedGeography(db());
    SetCanEditRelPadr(true);
    // Code 0001 exists in two states; the fourth column changes at every reading,
    // so the chosen row is found only when no more than three columns are compared.
    Query m(&db(), "qryMunicipio");
    m.setSql("SELECT CDMUNICIPIO, NMMUNICIPIO, SGESTADO, abs(random()) AS NRSORTEIO FROM MUNICIPIO ORDER BY CDMUNICIPIO, SGESTADO");
    m.open();
    RecordingView v;
    PesquisarLogic l(m, v, timer);
    v.logic = &l;
    v.script = [&] {
        v.setSearchText("RIO");
        l.timerTick();
        ASSERT_EQ(m.recordCount(), 1);
        l.confirm();
    };
    EXPECT_TRUE(l.run("Municipio", false, true));
    ASSERT_TRUE(m.active());
    EXPECT_EQ(m.recordCount(), 4) << "the whole list, positioned on the chosen row";
    EXPECT_EQ(m["CDMUNICIPIO"].asString(), "0001");
    EXPECT_EQ(m["SGESTADO"].asString(), "RJ");
    EXPECT_EQ(v.statusLog, (QStringList{"Localizando ...", "ZOV00100"}));
}

TEST_F(PesquisarLogicTest, AllRowsParameterWidensAnotherConditionAndIsPutBack)
{
    seedGeography(db());
    // P_TODOS switched off narrows to SP only.
    Query e(&db(), "qryEstado");
    e.setSql("SELECT SGESTADO, NMESTADO, CDPAIS FROM ESTADO WHERE (SGESTADO = 'SP' OR :P_TODOS = 'T') ORDER BY SGESTADO");
    e.setParam("P_TODOS", "T");
    e.open();
    RecordingView v;
    PesquisarLogic l(e, v, timer);
    v.logic = &l;
    v.script = [&] {
        e.locate("SGESTADO", "SP");
        l.confirm();
    };
    EXPECT_TRUE(l.run("Estado", false, true));
    EXPECT_EQ(e.paramByName("P_TODOS").asString(), "N");
    EXPECT_EQ(e["SGESTADO"].asString(), "SP");

    // Choosing RJ: the narrowed list holds SP only, so the list is widened again and RJ located.
    e.close();
    e.setParam("P_TODOS", "T");
    e.open();
    v.script = [&] {
        e.locate("SGESTADO", "RJ");
        l.confirm();
    };
    EXPECT_TRUE(l.run("Estado", false, true));
    EXPECT_EQ(e.paramByName("P_TODOS").asString(), "T");
    EXPECT_EQ(e.recordCount(), 2);
    EXPECT_EQ(e["SGESTADO"].asString(), "RJ");
}

TEST_F(PesquisarLogicTest, FailedSearchBringsTheWholeListBackAndPropagates)
{
    seedGeography(db());
    openLookup(q, kSqlPais, "CDPAIS");
    view.script = [&] {
        view.selected = 7; // no such column
        type("BRA");
        EXPECT_THROW(logic->timerTick(), Error);
        EXPECT_EQ(q.recordCount(), 4);
        EXPECT_FALSE(timer.active);
        EXPECT_TRUE(view.confirmEnabled);
    };
    logic->run("País", false, true);
}

} // namespace
} // namespace zov::test
