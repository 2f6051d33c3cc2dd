// A test bench for the two search dialogs while no product window opens
// them: a small window whose buttons open each dialog over the lookups of the
// order and customer windows, on a database filled with demo-like rows.
//
//   zov_search_harness [--database PATH] [--produtos N]
//
// Without --database the rows go into a temporary database.
#include "db/dbgeralped.h"
#include "library/dataset.h"
#include "library/dialogs_qt.h"
#include "library/errors.h"
#include "library/formats.h"
#include "search/PesqListaZOV.h"
#include "search/pesquisaZOV.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QGridLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWidget>

using namespace zov;

namespace {

const char* const kNomes[] = {"JOÃO", "MARIA", "JOSÉ", "ANA", "ANTÔNIO", "FRANCISCA", "LUÍS", "CONCEIÇÃO", "MÁRCIO", "LÚCIA"};
const char* const kSobrenomes[] = {"SILVA", "SANTOS", "OLIVEIRA", "SOUZA", "LIMA", "PEREIRA", "FERREIRA", "GONÇALVES"};
const char* const kProdutos[] = {"PARAFUSO", "ARRUELA", "PORCA",       "CONEXÃO", "JUNÇÃO", "VÁLVULA", "REGISTRO",  "TUBO",
                                 "CABO",     "CHAVE",   "ABRAÇADEIRA", "LUVA",    "JOELHO", "BUCHA",   "ROLAMENTO", "CORRENTE"};
const char* const kAcabamentos[] = {"SEXTAVADO", "GALVANIZADO", "INOX", "LATÃO", "PVC", "AÇO CARBONO", "COBRE", "NYLON"};

QString u(const char* s) { return QString::fromUtf8(s); }

void fill(Database& db, int produtos)
{
    if (db.scalar(QStringLiteral("SELECT count(*) FROM PAIS")).toInt() > 0)
        return;
    db.transaction([&] {
        for (const auto& [cd, nm] : {std::pair{"0055", "BRASIL"}, {"0054", "ARGENTINA"}, {"0595", "PARAGUAI"}, {"0598", "URUGUAI"}})
            db.exec(QStringLiteral("INSERT INTO PAIS (CDPAIS, NMPAIS) VALUES (:C, :N)"), {{"C", cd}, {"N", nm}});
        const std::pair<const char*, const char*> estados[] = {{"SP", "SÃO PAULO"}, {"RJ", "RIO DE JANEIRO"}, {"PR", "PARANÁ"}};
        for (const auto& [sg, nm] : estados)
            db.exec(QStringLiteral("INSERT INTO ESTADO (CDPAIS, SGESTADO, NMESTADO) VALUES ('0055', :S, :N)"), {{"S", sg}, {"N", u(nm)}});
        const char* const municipios[][3] = {{"SP", "0001", "SÃO PAULO"},      {"SP", "0002", "CAMPINAS"}, {"SP", "0003", "RIBEIRÃO PRETO"},
                                             {"RJ", "0001", "RIO DE JANEIRO"}, {"RJ", "0002", "NITERÓI"},  {"PR", "0001", "CURITIBA"},
                                             {"PR", "0002", "MARINGÁ"}};
        for (const auto& m : municipios)
            db.exec(QStringLiteral("INSERT INTO MUNICIPIO (CDPAIS, SGESTADO, CDMUNICIPIO, NMMUNICIPIO) VALUES ('0055', :S, :C, :N)"),
                    {{"S", m[0]}, {"C", m[1]}, {"N", u(m[2])}});
        int n = 0;
        for (const char* nome : kNomes)
            for (const char* sobrenome : kSobrenomes) {
                ++n;
                const QString cd = QStringLiteral("%1").arg(n, 21, 10, QLatin1Char('0'));
                const QString nm = u(nome) + QLatin1Char(' ') + u(sobrenome);
                db.exec(
                    QStringLiteral("INSERT INTO CLIENTE (CDCLIENTE, NRINSJURCLIE, NMFANTCLIE, NMRAZSOCCLIE) VALUES (:C, :I, :F, :R)"),
                    {{"C", cd}, {"I", QStringLiteral("%1").arg(n * 7919, 11, 10, QLatin1Char('0'))}, {"F", nm}, {"R", nm + u(" LTDA")}});
                const auto& m = municipios[n % 7];
                db.exec(QStringLiteral("INSERT INTO ENDECLIE (CDCLIENTE, IDTPENDECLIE, CDPAIS, SGESTADO, CDMUNICIPIO, DSENDECLIE) "
                                       "VALUES (:C, 'P', '0055', :S, :M, :E)"),
                        {{"C", cd}, {"S", m[0]}, {"M", m[1]}, {"E", QStringLiteral("RUA %1, %2").arg(u(sobrenome)).arg(n * 10)}});
            }
        Statement st(db,
                     QStringLiteral("INSERT INTO PRODUTO (CDPRODUTO, CDARVPROD, NMPRODUTO, SGUNIDADE, IDPRODATIVPR) "
                                    "VALUES (:P, :A, :N, 'UN', 'S')"));
        for (int i = 0; i < produtos; ++i) {
            const QString cd = QStringLiteral("%1").arg(i + 1, 10, 10, QLatin1Char('0'));
            st.bindAt(1, cd);
            st.bindAt(2, cd);
            st.bindAt(3, QStringLiteral("%1 %2 %3MM").arg(u(kProdutos[i % 16]), u(kAcabamentos[(i / 16) % 8])).arg(i % 97 + 1));
            st.exec();
        }
    });
}

class Harness : public QWidget {
public:
    explicit Harness(Database& db)
        : qryPais(&db, "qryPais"), qryCliente(&db, "qryCliente"), qryProduto(&db, "qryProduto"), qryMuniciCli(&db, "qryMuniciCli")
    {
        setWindowTitle(QStringLiteral("Pesquisas - bancada de teste"));
        qryPais.setSql(QStringLiteral("SELECT\n   CDPAIS, NMPAIS\nFROM\n   PAIS\nWHERE\n   (CDPAIS = :P_CDPAIS OR :P_TCDPAIS = 'T')\n"
                                      "ORDER BY\n   CDPAIS"));
        qryCliente.setSql(QStringLiteral("SELECT C.CDCLIENTE, C.NRINSJURCLIE, C.NMFANTCLIE, C.NMRAZSOCCLIE, E.DSENDECLIE, M.NMMUNICIPIO, "
                                         "E.SGESTADO\n  FROM CLIENTE C\n  LEFT JOIN ENDECLIE E ON E.CDCLIENTE = C.CDCLIENTE AND "
                                         "E.IDTPENDECLIE = 'P'\n  LEFT JOIN MUNICIPIO M ON M.CDPAIS = E.CDPAIS AND M.SGESTADO = "
                                         "E.SGESTADO AND M.CDMUNICIPIO = E.CDMUNICIPIO\n WHERE (C.CDCLIENTE = :P_CDCLIENTE OR "
                                         ":P_TCDCLIENTE = 'T')\n ORDER BY C.NRINSJURCLIE"));
        qryProduto.setSql(QStringLiteral("SELECT CDPRODUTO, CDARVPROD, NMPRODUTO, SGUNIDADE FROM PRODUTO\n WHERE (CDPRODUTO = "
                                         ":P_CDPRODUTO OR :P_TCDPRODUTO = 'T')\n ORDER BY CDARVPROD"));
        qryMuniciCli.setSql(QStringLiteral(
            "SELECT\n   DISTINCT M.CDMUNICIPIO, M.NMMUNICIPIO,\n   P.NMPAIS, M.SGESTADO,\n   (M.CDPAIS||M.SGESTADO||M.CDMUNICIPIO) AS "
            "CONCATENADOS\nFROM\n   MUNICIPIO M, ENDECLIE E, PAIS P\nWHERE\n   (E.CDPAIS      = M.CDPAIS     ) AND\n   (E.SGESTADO    = "
            "M.SGESTADO   ) AND\n   (E.CDMUNICIPIO = M.CDMUNICIPIO) AND\n   ((INSTR(:P_CDCLIENTE,E.CDCLIENTE) <> 0) OR (:P_TCDCLIENTE = "
            "'T')) AND\n   (P.CDPAIS      = M.CDPAIS     )\nORDER BY\n   M.NMMUNICIPIO"));
        label(qryPais, {{"CDPAIS", "Código"}, {"NMPAIS", "Nome"}});
        label(qryCliente,
              {{"CDCLIENTE", "Código"},
               {"NRINSJURCLIE", "Nr. Inscrição"},
               {"NMFANTCLIE", "Nome Fantasia"},
               {"NMRAZSOCCLIE", "Razão Social"},
               {"DSENDECLIE", "Endereço"},
               {"NMMUNICIPIO", "Município"},
               {"SGESTADO", "Estado"}});
        label(qryProduto, {{"CDPRODUTO", "Produto"}, {"CDARVPROD", "Código"}, {"NMPRODUTO", "Nome"}, {"SGUNIDADE", "Unidade"}});
        label(qryMuniciCli, {{"CDMUNICIPIO", "Código"}, {"NMMUNICIPIO", "Município"}, {"NMPAIS", "País"}, {"SGESTADO", "Estado"}});
        qryMuniciCli.defineField("CONCATENADOS").visible = false;

        auto* grid = new QGridLayout(this);
        log_ = new QPlainTextEdit(this);
        log_->setReadOnly(true);
        int row = 0;
        button(grid, row, 0, "País", [this] { pesquisa(qryPais, "CDPAIS", "País"); });
        button(grid, row, 1, "Cliente", [this] { pesquisa(qryCliente, "CDCLIENTE", "Cliente"); });
        button(grid, row++, 2, "Produto", [this] { pesquisa(qryProduto, "CDPRODUTO", "Produto|Não há produto cadastrado."); });
        button(grid, row, 0, "Clientes (lista)", [this] { lista(qryCliente, "CDCLIENTE", "Cliente", stCliente); });
        button(grid, row, 1, "Municípios dos clientes (lista)", [this] {
            qryMuniciCli.setParam("P_CDCLIENTE", stCliente);
            qryMuniciCli.setParam("P_TCDCLIENTE", stCliente.isEmpty() ? "T" : "");
            lista(qryMuniciCli, "CONCATENADOS", "Município|Não há município cadastrado para os clientes informados.", stMuniciCli);
        });
        button(grid, row++, 2, "Produtos (lista)",
               [this] { lista(qryProduto, "CDARVPROD", "Produto|Não há produto cadastrado.", stProduto); });
        grid->addWidget(log_, row, 0, 1, 3);
        resize(760, 420);
    }

private:
    static void label(Query& q, std::initializer_list<std::pair<const char*, const char*>> labels)
    {
        for (const auto& [field, text] : labels)
            q.defineField(field).displayLabel = u(text);
    }

    void button(QGridLayout* grid, int row, int col, const char* text, std::function<void()> action)
    {
        auto* b = new QPushButton(u(text), this);
        grid->addWidget(b, row, col);
        connect(b, &QPushButton::clicked, this, [action] { runGuarded(action); });
    }

    void pesquisa(Query& q, const QString& key, const QString& caption)
    {
        q.close();
        q.setParam("P_" + key, QString());
        q.setParam("P_T" + key, "T");
        q.open();
        if (PesquisarZOV(q, caption, false, true))
            log_->appendPlainText(QStringLiteral("%1: escolhido %2 (%3 linha(s) na consulta)")
                                      .arg(caption.section('|', 0, 0), q.field(0).asString())
                                      .arg(q.recordCount()));
        else
            log_->appendPlainText(
                QStringLiteral("%1: cancelado (consulta fechada: %2)").arg(caption.section('|', 0, 0)).arg(q.active() ? "não" : "sim"));
    }

    void lista(Query& q, const QString& key, const QString& titulo, QString& texto)
    {
        if (q.existParam("P_T" + key))
            q.setParam("P_T" + key, "T");
        q.open();
        const bool ok = PesquisaListaZOV(q, key, titulo, false, texto);
        log_->appendPlainText(
            QStringLiteral("%1 (lista): %2 \"%3\"").arg(titulo.section('|', 0, 0), ok ? "confirmado" : "cancelado", texto));
    }

    Query qryPais, qryCliente, qryProduto, qryMuniciCli;
    QString stCliente, stMuniciCli, stProduto;
    QPlainTextEdit* log_;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zov-search-harness"));
    setProgramLocale(QLocale(QLocale::Portuguese, QLocale::Brazil));
    installDialogs(std::make_unique<QtDialogs>());

    QCommandLineParser args;
    args.addHelpOption();
    args.addOption({"database", "Banco de dados a usar (criado quando não existe).", "PATH"});
    args.addOption({"produtos", "Produtos a criar num banco vazio.", "N", "20000"});
    args.process(app);

    QTemporaryDir dir;
    SetDatabasePath(args.isSet("database") ? args.value("database") : dir.filePath(QStringLiteral("harness.sqlite")));
    int status = 1;
    runGuarded([&] {
        Database& db = DataBaseGeralPed();
        fill(db, args.value("produtos").toInt());
        Harness w(db);
        w.show();
        status = QApplication::exec();
    });
    FreeDBGeralPed();
    return status;
}
