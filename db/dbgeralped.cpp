#include "db/dbgeralped.h"

#include "db/schema.h"
#include "db/trava_banco.h"
#include "library/arquivos_banco.h"
#include "library/errors.h"
#include "library/velmora.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUuid>

namespace zov {

const char* const kPictColumns[17] = {"CDPICTPROD",   "CDPICTPRAT",   "CDPICTREFE",   "CDPICTCCTB",   "CDPICTCFIN",   "CDPICTDIET",
                                      "CDPICTSERV",   "CDPICTRECE",   "CDPICTCFIS",   "CDPICTSGRU",   "CDPICTESTAGI", "CDPICTETAPA",
                                      "CDPICTINSPEC", "CDPICTPROCES", "CDPICTCCUSTO", "CDPICTITTRAB", "CDPICTATIVCL"};

const char* const kPictFieldNames[17] = {"CDPRODUTO",   "CDPRATO",    "CDREFEICAO",  "CDCONTCTBL", "CDCLASFINA",   "CDDIETPAD",
                                         "CDPADSERV",   "CDRECEITA",  "CDCLASFISC",  "CDSUBARV",   "CDEXIESTAGIO", "CDEXETAPRO",
                                         "CDARVINSPEC", "CDPROCESSO", "CDCENTCUSTO", "CDITEMTRAB", "CDPICTATIVCL"};

namespace {

std::unique_ptr<TdtmDBGeralPed>& module()
{
    static std::unique_ptr<TdtmDBGeralPed> m;
    return m;
}

QString& pathOverride()
{
    static QString p;
    return p;
}

// This program's mark in the file's header ("ZOVP"), and its schema version.
constexpr qint32 kApplicationId = 0x5A4F5650;
// 2: the installation identity (INSTALACAO). 3: the company's situations (SITPEDIDO).
// 4: the customers' history and receivables (HISTCLIENTE, TITULOCLIENTE).
constexpr int kSchemaVersion = 4;

bool holdsOurTables(Database& db)
{
    for (const char* t : {"PARAMPEDZOVRA", "PEDIDO", "ITEMPEDIDO", "CLIENTE", "PRODUTO", "FILIAL", "OPERADOR"})
        if (!db.tableExists(QLatin1String(t)))
            return false;
    return true;
}

// Runs before the file is changed in any way: a file of another program is
// refused untouched (not even switched to WAL).
void identificaBanco(Database& db)
{
    const qint32 id = db.applicationId();
    if (id == kApplicationId) {
        // A newer program may have changed what this one would read and write.
        const qint64 versao = db.scalar(QStringLiteral("PRAGMA user_version")).toLongLong();
        if (versao > kSchemaVersion)
            throw Error(
                QStringLiteral("ele é de uma versão mais nova do Pedidos ZOV-RA (versão %1 do banco; este programa conhece até a %2) "
                               "e não foi alterado. Atualize o programa.")
                    .arg(versao)
                    .arg(kSchemaVersion));
        return;
    }
    const bool empty = db.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master")).toInt() == 0;
    if (id != 0 || (!empty && !holdsOurTables(db)))
        throw Error(QStringLiteral("o arquivo não é um banco de dados do Pedidos ZOV-RA e não foi alterado"));
    // A new file gets every table at once, or none; one made before the mark
    // (it holds our tables) is only marked.
    db.transaction([&] {
        if (empty)
            db.execScript(QString::fromUtf8(schemaSql()));
        db.setApplicationId(kApplicationId, kSchemaVersion);
    });
}

// Tables added after the first version: a file made before gets them on its first open.
const char* const kTabelasAcrescentadas[] = {"INSTALACAO", "SITPEDIDO", "HISTCLIENTE", "TITULOCLIENTE"};

// Every database has its installation identity: a new one gets it with its
// tables, one made before it on its first open.
void garanteInstalacao(Database& db)
{
    auto falta = [&] {
        if (db.scalar(QStringLiteral("PRAGMA user_version")).toInt() < kSchemaVersion)
            return true;
        for (const char* tabela : kTabelasAcrescentadas)
            if (!db.tableExists(QLatin1String(tabela)))
                return true;
        return db.scalar(QStringLiteral("SELECT count(*) FROM INSTALACAO")).toInt() == 0;
    };
    if (!falta())
        return;
    db.transaction([&] {
        for (const char* tabela : kTabelasAcrescentadas)
            db.execScript(schemaTableSql(QString::fromLatin1(tabela)));
        if (db.scalar(QStringLiteral("SELECT count(*) FROM INSTALACAO")).toInt() == 0)
            db.exec(QStringLiteral("INSERT INTO INSTALACAO (IDINSTALACAO) VALUES (:ID)"),
                    {{QStringLiteral("ID"), QUuid::createUuid().toString(QUuid::WithoutBraces)}});
        db.setApplicationId(kApplicationId, kSchemaVersion);
    });
}

} // namespace

TdtmDBGeralPed::TdtmDBGeralPed()
{
    qryParamGeral.setSql(
        QStringLiteral("SELECT CDPICTPROD, CDPICTPRAT, CDPICTREFE, CDPICTCCTB, CDPICTCFIN, CDPICTDIET, CDPICTSERV, CDPICTRECE, "
                       "CDPICTCFIS, CDFILIAL, CDPARGERAL, IDUTILDTPROC, IDUTCTRLACES, CDINDICEMF, CDIDIOMA, IDCONSORCFIN, CDPICTSGRU, "
                       "IDCOFERIBANC, CDPICTESTAGI, CDPICTETAPA, CDPICTINSPEC, IDUTLPROCREC, IDUTLPROCPAG, IDUTLPROCBCO, CDGROPERPROP, "
                       "CDGROPERPROR, CDGROPERPROB, CDPICTPROCES, CDPICTCCUSTO, CDPICTITTRAB, CDPICTATIVCL FROM PARAMGERAL"));
    qryInsParamGeral.setSql(QStringLiteral("INSERT INTO PARAMGERAL (CDPARGERAL) VALUES ('0001')"));
}

TdtmDBGeralPed::~TdtmDBGeralPed() { disconnect(); }

const TMessages& TdtmDBGeralPed::msgPadrao()
{
    static const TMessages table{"Erro|Ocorreu um erro durante a tentativa de conexão ao banco. Confira as configurações antes de executar "
                                 "novamente. Esta aplicação será terminada.",
                                 "StartTransError|Já existe uma tranasação ativa.",
                                 "StartTransErrorForm|Já existe uma transação ativa (%s).",
                                 "CommitErrorForm|A transação não pode ser confirmada pois foi inicializada por outro processo (%s).",
                                 "RollbackErrorForm|A transação não pode ser cancelada pois foi inicializada por outro processo (%s).",
                                 "InvalidPath|Diretório inválido."};
    return table;
}

void TdtmDBGeralPed::disconnect()
{
    qryParamGeral.close();
    qryParamGeral.setDatabase(nullptr);
    qryInsParamGeral.setDatabase(nullptr);
    db_.reset();
}

void TdtmDBGeralPed::connect()
{
    disconnect();
    const QString path = DatabasePath();
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder))
        throw Error(QStringLiteral("%1 (%2)").arg(msgPadrao().Msg(QStringLiteral("InvalidPath")), folder));
    // Before the file is touched: another copy of the program may be working on it.
    TravaBanco(path);
    SetArquivoBanco(path);
    auto db = std::make_unique<Database>(path, Database::Mode::CreateIfMissing, &identificaBanco);
    garanteInstalacao(*db);

    qryParamGeral.setDatabase(db.get());
    qryInsParamGeral.setDatabase(db.get());
    qryParamGeral.open();
    if (qryParamGeral.isEmpty()) {
        qryInsParamGeral.execSql();
        qryParamGeral.close();
        qryParamGeral.open();
    }
    db_ = std::move(db);
    lePictures();
}

void TdtmDBGeralPed::lePictures()
{
    QStringList pictures, names;
    for (int i = 0; i < 17; ++i) {
        pictures << qryParamGeral.fieldByName(QString::fromLatin1(kPictColumns[i])).asString();
        names << QString::fromLatin1(kPictFieldNames[i]);
    }
    SetDBPict(pictures);
    SetPictFieldNames(names);
}

void RelePictures()
{
    if (TdtmDBGeralPed* m = dtmDBGeralPed(); m && m->database()) {
        // PARAMGERAL's first row as it is now: the download may have brought it.
        m->qryParamGeral.close();
        m->qryParamGeral.open();
        m->lePictures();
    }
}

void SetDatabasePath(const QString& path) { pathOverride() = path; }

QString IdInstalacao()
{
    return DataBaseGeralPed().scalar(QStringLiteral("SELECT IDINSTALACAO FROM INSTALACAO ORDER BY rowid LIMIT 1")).toString();
}

QString DefaultDatabasePath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).filePath(QStringLiteral("dbVelmora.sqlite"));
}

QString DatabasePath()
{
    if (!pathOverride().isEmpty())
        return pathOverride();
    const QString env = qEnvironmentVariable("ZOV_DATABASE");
    return env.isEmpty() ? DefaultDatabasePath() : env;
}

void ActiveDBGeralPed()
{
    if (!module())
        module() = std::make_unique<TdtmDBGeralPed>();
    module()->connect();
}

Database& DataBaseGeralPed()
{
    if (!module() || !module()->database())
        ActiveDBGeralPed();
    return *module()->database();
}

TdtmDBGeralPed* dtmDBGeralPed() { return module().get(); }

void FreeDBGeralPed()
{
    module().reset();
    LiberaBanco();
}

} // namespace zov
