// The multi-select list search's logic: the mark column around the caller's
// statement, the chosen list, toggling, the size limit and the list text.
#include "library/errors.h"
#include "search/PesqListaZOV_logic.h"
#include "tests/search/search_fixture.h"

#include <functional>

namespace zov::test {
namespace {

class RecordingListView final : public PesqListaView {
public:
    PesqListaLogic* logic = nullptr;
    std::function<void()> script;
    QString caption;
    QStringList columns;
    int selected = -1;
    QString text;
    QString focus;
    QStringList chosen;
    bool shown = false;
    bool closedOk = false;
    int searches = 0;

    void setCaption(const QString& c) override { caption = c; }
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
    void focusChosenList() override { focus = "lsbEscolhidos"; }
    void showChosen(const QStringList& lines) override { chosen = lines; }
    void repaintGrid() override {}
    void setRepaintFrozen(bool frozen) override { searches += frozen ? 1 : 0; }
    void setBusy(bool) override {}
    bool execModal() override
    {
        shown = true;
        if (script)
            script();
        return closedOk;
    }
    void closeWindow(bool ok) override { closedOk = ok; }
};

const QString kSqlCliente = "SELECT C.CDCLIENTE, C.NMFANTCLIE, C.NMRAZSOCCLIE\n  FROM CLIENTE C\n ORDER BY C.CDCLIENTE";
const QString kSqlMuniciCli = "SELECT\n   DISTINCT M.CDMUNICIPIO, M.NMMUNICIPIO,\n   P.NMPAIS, M.SGESTADO,\n"
                              "   (M.CDPAIS||M.SGESTADO||M.CDMUNICIPIO) AS CONCATENADOS\n"
                              "FROM\n   MUNICIPIO M, ENDECLIE E, PAIS P\nWHERE\n"
                              "   (E.CDPAIS      = M.CDPAIS     ) AND\n   (E.SGESTADO    = M.SGESTADO   ) AND\n"
                              "   (E.CDMUNICIPIO = M.CDMUNICIPIO) AND\n"
                              "   ((INSTR(:P_CDCLIENTE,E.CDCLIENTE) <> 0) OR (:P_TCDCLIENTE = 'T')) AND\n"
                              "   (P.CDPAIS      = M.CDPAIS     )\nORDER BY\n   M.NMMUNICIPIO";
const QString c1 = "000000000000000000001", c2 = "000000000000000000002", c3 = "000000000000000000003", c4 = "000000000000000000004",
              c5 = "000000000000000000005";

class PesqListaLogicTest : public SearchTest {
protected:
    void SetUp() override
    {
        SearchTest::SetUp();
        seedGeography(db());
        seedCustomers(db());
        q.setSql(kSqlCliente);
        q.open();
        logic.reset(new PesqListaLogic(q, view, timer));
        view.logic = logic.get();
    }
    bool run(QString& lista, bool boTodos = false) { return logic->run("CDCLIENTE", "Cliente", boTodos, lista); }
    void confirmAtTheEnd(std::function<void()> steps)
    {
        view.script = [this, steps] {
            steps();
            logic->confirm();
        };
    }

    Query q{&db(), "qryCliente"};
    RecordingListView view;
    FakeTimer timer;
    std::unique_ptr<PesqListaLogic> logic;
};

TEST_F(PesqListaLogicTest, MarkColumnGoesAfterDistinctAndTheCallerGetsItsQueryBack)
{
    Query m(&db(), "qryMuniciCli");
    m.setSql(kSqlMuniciCli);
    m.setParam("P_TCDCLIENTE", "T");
    int callerOpens = 0;
    m.afterOpen = [&](Query&) { ++callerOpens; };
    m.open();
    m["CONCATENADOS"].visible = false;
    callerOpens = 0;

    RecordingListView v;
    PesqListaLogic l(m, v, timer);
    v.logic = &l;
    v.script = [&] {
        EXPECT_TRUE(m.sql().startsWith("SELECT\n   DISTINCT 'N' AS IDMARCADO, M.CDMUNICIPIO")) << m.sql().toStdString();
        EXPECT_EQ(m.field(0).fieldName(), "IDMARCADO");
        EXPECT_EQ(m.recordCount(), 4);
        EXPECT_EQ(v.columns, (QStringList{"CDMUNICIPIO", "NMMUNICIPIO", "NMPAIS", "SGESTADO"}));
        EXPECT_EQ(v.selected, 1);
        v.setSearchText("NITEROI");
        for (int i = 0; i < 11; ++i)
            l.timerTick();
        EXPECT_EQ(m.recordCount(), 1);
        l.toggle();
        l.confirm();
    };
    QString lista;
    EXPECT_TRUE(l.run("CONCATENADOS", "Município|Não há município cadastrado para os clientes informados.", false, lista));
    EXPECT_EQ(lista, "_0055RJ0002_");
    EXPECT_EQ(callerOpens, 0) << "the caller's after-open handler is set aside during the call";

    EXPECT_EQ(m.sql(), kSqlMuniciCli);
    EXPECT_FALSE(m.active());
    EXPECT_EQ(m.findField("IDMARCADO"), nullptr);
    m.open();
    EXPECT_EQ(callerOpens, 1);
    EXPECT_FALSE(m["CONCATENADOS"].visible);
}

TEST_F(PesqListaLogicTest, MarkColumnGoesAfterTheFirstSelectOtherwise)
{
    EXPECT_EQ(posicaoMarca("SELECT A FROM T"), 7);
    EXPECT_EQ(posicaoMarca("select distinct A FROM T"), 16);
    // The DISTINCT of a subquery is not the list's.
    EXPECT_EQ(posicaoMarca("SELECT A FROM T WHERE B IN (SELECT DISTINCT B FROM U)"), 7);
    EXPECT_EQ(posicaoMarca("UPDATE T SET A = 1"), -1);
}

TEST_F(PesqListaLogicTest, PreviousListMarksItsRowsAndComesBackInTheOrderOfTheLines)
{
    q["CDCLIENTE"].visible = false; // the lines start with the names
    QString lista = "_" + c1 + "_" + c4 + "_";
    confirmAtTheEnd([&] {
        EXPECT_EQ(logic->chosenKeys(), (QStringList{c4, c1}));
        EXPECT_EQ(view.chosen, (QStringList{"ANA LÚCIA  ANA LÚCIA LTDA  ", "JOÃO DA SILVA  JOÃO DA SILVA LTDA  "}));
        EXPECT_TRUE(logic->isChosenAt(0));
        EXPECT_FALSE(logic->isChosenAt(1));
        EXPECT_TRUE(logic->isChosenAt(3));
    });
    EXPECT_TRUE(run(lista));
    EXPECT_EQ(lista, "_" + c4 + "_" + c1 + "_");
}

TEST_F(PesqListaLogicTest, NothingChosenGivesAnEmptyTextNeverAnUnderscore)
{
    QString lista = "_" + c2 + "_";
    confirmAtTheEnd([&] {
        q.locate("CDCLIENTE", c2);
        logic->toggle(); // unmarks the only one
        EXPECT_TRUE(logic->chosenKeys().isEmpty());
    });
    EXPECT_TRUE(run(lista));
    EXPECT_EQ(lista, "");
}

TEST_F(PesqListaLogicTest, CancelKeepsThePreviousList)
{
    QString lista = "_" + c3 + "_";
    view.script = [&] {
        logic->toggleAll();
        EXPECT_EQ(logic->chosenKeys().size(), 5);
    };
    EXPECT_FALSE(run(lista));
    EXPECT_EQ(lista, "_" + c3 + "_");
    EXPECT_FALSE(q.active());
}

TEST_F(PesqListaLogicTest, ToggleAllFollowsTheFirstRow)
{
    QString lista;
    confirmAtTheEnd([&] {
        logic->toggleAll();
        EXPECT_EQ(logic->chosenKeys().size(), 5);
        EXPECT_EQ(logic->marcacao(), PesqListaLogic::Marcacao::Idle);
        logic->toggleAll();
        EXPECT_EQ(logic->chosenKeys().size(), 0);

        // First row unmarked, another marked: everything marked.
        q.last();
        logic->toggle();
        logic->toggleAll();
        EXPECT_EQ(logic->chosenKeys().size(), 5);

        // First row marked, others not: everything unmarked.
        q.first();
        logic->toggleAll(); // all off
        logic->toggle();    // the first on
        logic->toggleAll();
        EXPECT_TRUE(logic->chosenKeys().isEmpty());
    });
    EXPECT_TRUE(run(lista));
    EXPECT_EQ(lista, "");
}

TEST_F(PesqListaLogicTest, EveryRowStartsChosenWhenAskedAndNoListCameIn)
{
    QString lista;
    confirmAtTheEnd([&] {
        EXPECT_EQ(logic->chosenKeys().size(), 5);
        logic->toggleAll();
        view.setSearchText("A");
        for (int i = 0; i < 11; ++i)
            logic->timerTick();
        EXPECT_TRUE(logic->chosenKeys().isEmpty()) << "a search does not mark again what the user unmarked";
    });
    EXPECT_TRUE(run(lista, true));
    EXPECT_EQ(lista, "");
}

TEST_F(PesqListaLogicTest, ListTextNeverPassesTwoThousandCharacters)
{
    db().execScript("DELETE FROM CLIENTE");
    db().transaction([&] {
        for (int i = 1; i <= 200; ++i)
            insertRow(db(), "CLIENTE", {{"CDCLIENTE", QString("C%1").arg(i, 8, 10, QChar('0'))}, {"NMFANTCLIE", "CLIENTE"}});
    });
    QString lista;
    confirmAtTheEnd([&] {
        logic->toggleAll(); // nine-character keys: 199 fit in 1 991 characters
        EXPECT_EQ(dialogs().errors(), QStringList{"Número de ítens selecionados acima do limite."});
        EXPECT_EQ(logic->chosenKeys().size(), 199);
        q.last();
        EXPECT_FALSE(logic->isChosenAt(199));
        EXPECT_THROW(logic->toggle(), Abort);
        EXPECT_FALSE(logic->isChosenAt(199));
    });
    EXPECT_TRUE(run(lista));
    EXPECT_EQ(lista.size(), 1991);
    EXPECT_TRUE(lista.endsWith("_C00000199_"));
}

TEST_F(PesqListaLogicTest, SearchWaitsElevenTicksAndKeepsTheMarks)
{
    QString lista;
    confirmAtTheEnd([&] {
        logic->toggle(); // the first row
        q.last();
        logic->toggle();
        view.setSearchText("JOSE");
        EXPECT_EQ(timer.interval, 10);
        for (int i = 0; i < 10; ++i)
            logic->timerTick();
        EXPECT_EQ(view.searches, 0);
        EXPECT_EQ(q.recordCount(), 5);
        logic->timerTick();
        EXPECT_EQ(view.searches, 1);
        EXPECT_FALSE(timer.active);
        EXPECT_EQ(logic->inPesq(), 0);
        EXPECT_EQ(q.recordCount(), 1);
        EXPECT_EQ(q["CDCLIENTE"].asString(), c3);
        EXPECT_EQ(logic->chosenKeys().size(), 2);
        logic->toggle();
        EXPECT_EQ(logic->chosenKeys().size(), 3);
    });
    EXPECT_TRUE(run(lista));
    EXPECT_EQ(lista, "_" + c1 + "_" + c3 + "_" + c5 + "_");
}

TEST_F(PesqListaLogicTest, RemovingALineFromTheChosenList)
{
    QString lista = "_" + c1 + "_" + c2 + "_";
    confirmAtTheEnd([&] {
        logic->removeChosen(0, false);
        EXPECT_EQ(view.focus, "medProcurar");
        EXPECT_EQ(logic->chosenKeys(), QStringList{c2});
        logic->removeChosen(0, true);
        EXPECT_EQ(view.focus, "lsbEscolhidos");
        EXPECT_TRUE(view.chosen.isEmpty());
    });
    EXPECT_TRUE(run(lista));
    EXPECT_EQ(lista, "");
}

TEST_F(PesqListaLogicTest, EmptyListShowsNoWindowAndKeepsTheText)
{
    db().execScript("DELETE FROM CLIENTE");
    QString lista = "_X_";
    EXPECT_TRUE(run(lista));
    EXPECT_FALSE(view.shown);
    EXPECT_EQ(lista, "_X_");
    EXPECT_EQ(dialogs().errors(), QStringList{"Não há cliente cadastrado(a)"});
    EXPECT_EQ(q.sql(), kSqlCliente);

    dialogs().clear();
    EXPECT_TRUE(logic->run("CDCLIENTE", "Cliente|Não há cliente cadastrado.", false, lista));
    EXPECT_EQ(dialogs().errors(), QStringList{"Não há cliente cadastrado."});
}

} // namespace
} // namespace zov::test
