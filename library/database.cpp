#include "library/database.h"

#include "library/errors.h"
#include "library/sql_functions.h"

#include <QDateTime>
#include <QFileInfo>
#include <algorithm>
#include <sqlite3.h>

namespace zov {

QString dateTimeToStorage(const QDateTime& value)
{
    if (!value.isValid())
        return {};
    return value.time().msec() != 0 ? value.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"))
                                    : value.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QDateTime dateTimeFromStorage(const QString& text)
{
    QString t = text.trimmed();
    if (t.size() > 10 && t.at(10) == QLatin1Char('T'))
        t[10] = QLatin1Char(' ');
    if (t.size() == 10) {
        const QDate d = QDate::fromString(t, QStringLiteral("yyyy-MM-dd"));
        return d.isValid() ? QDateTime(d, QTime(0, 0)) : QDateTime();
    }
    if (t.size() == 16)
        return QDateTime::fromString(t, QStringLiteral("yyyy-MM-dd HH:mm"));
    if (t.size() < 19)
        return {};
    QDateTime dt = QDateTime::fromString(t.left(19), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!dt.isValid() || t.size() == 19)
        return dt;
    if (t.at(19) != QLatin1Char('.'))
        return {};
    // Fractions of a second: keep milliseconds, whatever the number of digits.
    const QString frac = (t.mid(20) + QStringLiteral("000")).left(3);
    bool ok = false;
    const int ms = frac.toInt(&ok);
    return ok ? dt.addMSecs(ms) : QDateTime();
}

QVariant dateFromStorage(const QString& text)
{
    const QString t = text.trimmed();
    if (t.size() == 10) {
        const QDate d = QDate::fromString(t, QStringLiteral("yyyy-MM-dd"));
        return d.isValid() ? QVariant(d) : QVariant();
    }
    const QDateTime dt = dateTimeFromStorage(t);
    return dt.isValid() ? QVariant(dt) : QVariant();
}

namespace {

bool kindFromName(const QString& name, FieldKind& kind)
{
    // Only a plain column name says what it holds; an expression does not.
    for (QChar c : name)
        if (!c.isLetterOrNumber() && c != QLatin1Char('_'))
            return false;
    const QString p = name.left(2).toUpper();
    if (p == QLatin1String("DT") || p == QLatin1String("HR")) {
        kind = FieldKind::DateTime;
        return true;
    }
    return false;
}

} // namespace

bool kindFromDeclaredType(const char* declType, FieldKind& kind)
{
    if (!declType || !*declType)
        return false;
    const QString t = QString::fromLatin1(declType).toUpper();
    if (t.contains(QLatin1String("DATE")) || t.contains(QLatin1String("TIME")))
        kind = FieldKind::DateTime;
    else if (t.contains(QLatin1String("INT")))
        kind = FieldKind::Integer;
    else if (t.contains(QLatin1String("CHAR")) || t.contains(QLatin1String("TEXT")) || t.contains(QLatin1String("CLOB")))
        kind = FieldKind::Text;
    else if (t.contains(QLatin1String("BLOB")))
        kind = FieldKind::Blob;
    else if (t.contains(QLatin1String("REAL")) || t.contains(QLatin1String("FLOA")) || t.contains(QLatin1String("DOUB"))
             || t.contains(QLatin1String("NUM")) || t.contains(QLatin1String("DEC")))
        kind = FieldKind::Number;
    else
        return false;
    return true;
}

QVariant convertToKind(const QVariant& value, FieldKind kind)
{
    if (value.isNull() || !value.isValid())
        return {};
    switch (kind) {
    case FieldKind::Text:
        if (value.metaType().id() == QMetaType::QDateTime)
            return dateTimeToStorage(value.toDateTime());
        if (value.metaType().id() == QMetaType::Double) {
            // Integral doubles print without ".0" so codes read back as typed.
            const double d = value.toDouble();
            if (d == static_cast<double>(static_cast<qint64>(d)))
                return QString::number(static_cast<qint64>(d));
        }
        return value.toString();
    case FieldKind::Integer: {
        if (value.metaType().id() == QMetaType::QString && value.toString().trimmed().isEmpty())
            return {};
        bool ok = false;
        const qint64 i = value.toLongLong(&ok);
        if (ok)
            return i;
        const double d = value.toDouble(&ok);
        if (ok)
            return static_cast<qint64>(d);
        throw Error(QStringLiteral("\"%1\" não é um número inteiro válido.").arg(value.toString()));
    }
    case FieldKind::Number: {
        if (value.metaType().id() == QMetaType::QString && value.toString().trimmed().isEmpty())
            return {};
        bool ok = false;
        const double d = value.toDouble(&ok);
        if (!ok)
            throw Error(QStringLiteral("\"%1\" não é um número válido.").arg(value.toString()));
        return d;
    }
    case FieldKind::DateTime: {
        switch (value.metaType().id()) {
        case QMetaType::QDateTime: return value;
        case QMetaType::QDate: return value; // a date stays a date: stored as YYYY-MM-DD, like a date parameter
        default: {
            const QString s = value.toString();
            if (s.trimmed().isEmpty())
                return {};
            const QVariant v = dateFromStorage(s);
            if (v.isNull())
                throw Error(QStringLiteral("\"%1\" não é uma data válida.").arg(s));
            return v;
        }
        }
    }
    case FieldKind::Blob:
        if (value.metaType().id() == QMetaType::QString)
            return value.toString().toUtf8();
        return value.toByteArray();
    }
    return value;
}

// ---------------------------------------------------------------- Statement

namespace {

void addTable(std::vector<QByteArray>& tables, const char* name)
{
    if (!name)
        return;
    for (const QByteArray& t : tables)
        if (qstricmp(t.constData(), name) == 0)
            return;
    tables.emplace_back(name);
}

} // namespace

struct TableAccess {
    std::vector<QByteArray>* read;
    std::vector<QByteArray>* written;
};

namespace {

// Set for the connection's life (setting one expires every prepared statement);
// it notes the tables of the statement being prepared, when one asks.
int noteTableAccess(void* context, int action, const char* a1, const char*, const char*, const char*)
{
    TableAccess* access = *static_cast<TableAccess**>(context);
    if (!access)
        return SQLITE_OK;
    switch (action) {
    case SQLITE_READ: addTable(*access->read, a1); break;
    case SQLITE_INSERT:
    case SQLITE_UPDATE:
    case SQLITE_DELETE: addTable(*access->written, a1); break;
    default: break;
    }
    return SQLITE_OK;
}

// Scripts that only open or close a transaction, or set the connection, write no list's table.
bool scriptMayWrite(const QString& sql)
{
    const QString s = sql.trimmed();
    for (const char* word : {"BEGIN", "COMMIT", "ROLLBACK", "END", "SAVEPOINT", "RELEASE", "PRAGMA", "SELECT", "ANALYZE"})
        if (s.startsWith(QLatin1String(word), Qt::CaseInsensitive))
            return false;
    return true;
}

} // namespace

Statement::Statement(Database& db, const QString& sql) : db_(db), sql_(sql)
{
    const QByteArray utf8 = sql.toUtf8();
    TableAccess access{&read_, &written_};
    db.tableAccess_ = &access;
    const int rc = sqlite3_prepare_v2(db.handle(), utf8.constData(), int(utf8.size()), &stmt_, nullptr);
    db.tableAccess_ = nullptr;
    if (rc != SQLITE_OK) {
        const QString msg = db.errorText();
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
        throw Error(msg);
    }
    if (!stmt_)
        throw Error(QStringLiteral("Comando SQL vazio."));
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

int Statement::parameterCount() const { return sqlite3_bind_parameter_count(stmt_); }

QString Statement::parameterName(int index) const
{
    const char* n = sqlite3_bind_parameter_name(stmt_, index);
    if (!n)
        return {};
    return QString::fromUtf8(n + 1);
}

bool Statement::bind(const QString& name, const QVariant& value)
{
    bool found = false;
    const int n = parameterCount();
    for (int i = 1; i <= n; ++i) {
        if (parameterName(i).compare(name, Qt::CaseInsensitive) == 0) {
            bindAt(i, value);
            found = true;
        }
    }
    return found;
}

void Statement::bindAt(int index, const QVariant& value)
{
    int rc = SQLITE_OK;
    if (value.isNull() || !value.isValid()) {
        rc = sqlite3_bind_null(stmt_, index);
    } else {
        switch (value.metaType().id()) {
        case QMetaType::Double:
        case QMetaType::Float: rc = sqlite3_bind_double(stmt_, index, value.toDouble()); break;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Long:
        case QMetaType::Short:
        case QMetaType::Bool: rc = sqlite3_bind_int64(stmt_, index, value.toLongLong()); break;
        case QMetaType::QDateTime: {
            const QByteArray t = dateTimeToStorage(value.toDateTime()).toUtf8();
            rc = t.isEmpty() ? sqlite3_bind_null(stmt_, index)
                             : sqlite3_bind_text(stmt_, index, t.constData(), int(t.size()), SQLITE_TRANSIENT);
            break;
        }
        case QMetaType::QDate: {
            const QByteArray t = value.toDate().toString(QStringLiteral("yyyy-MM-dd")).toUtf8();
            rc = sqlite3_bind_text(stmt_, index, t.constData(), int(t.size()), SQLITE_TRANSIENT);
            break;
        }
        case QMetaType::QByteArray: {
            const QByteArray b = value.toByteArray();
            rc = sqlite3_bind_blob(stmt_, index, b.constData(), int(b.size()), SQLITE_TRANSIENT);
            break;
        }
        default: {
            // Empty text is null: the queries rely on it (":P_X IS NULL").
            const QString s = value.toString();
            if (s.trimmed().isEmpty()) {
                rc = sqlite3_bind_null(stmt_, index);
            } else {
                const QByteArray t = s.toUtf8();
                rc = sqlite3_bind_text(stmt_, index, t.constData(), int(t.size()), SQLITE_TRANSIENT);
            }
        }
        }
    }
    if (rc != SQLITE_OK)
        db_.raise(QStringLiteral("Erro ao passar o parâmetro %1").arg(parameterName(index)));
}

void Statement::bindExact(int index, const QVariant& value)
{
    if (!value.isNull() && value.metaType().id() == QMetaType::QString) {
        const QByteArray t = value.toString().toUtf8();
        if (sqlite3_bind_text(stmt_, index, t.constData(), int(t.size()), SQLITE_TRANSIENT) != SQLITE_OK)
            db_.raise(QStringLiteral("Erro ao passar o parâmetro %1").arg(parameterName(index)));
        return;
    }
    bindAt(index, value);
}

void Statement::clearBindings() { sqlite3_clear_bindings(stmt_); }

bool Statement::step()
{
    if (!written_.empty() && !sqlite3_stmt_busy(stmt_))
        db_.beforeWrite(written_);
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    const QString msg = db_.errorText();
    sqlite3_reset(stmt_);
    throw Error(msg);
}

int Statement::exec()
{
    while (step()) {
    }
    const int changed = sqlite3_changes(db_.handle());
    sqlite3_reset(stmt_);
    return changed;
}

void Statement::reset() { sqlite3_reset(stmt_); }

int Statement::columnCount() const { return sqlite3_column_count(stmt_); }

QString Statement::columnName(int column) const { return QString::fromUtf8(sqlite3_column_name(stmt_, column)); }

bool Statement::declaredKind(int column, FieldKind& kind) const
{
    return kindFromDeclaredType(sqlite3_column_decltype(stmt_, column), kind) || kindFromName(columnName(column), kind);
}

bool Statement::textEquals(int column, const QString& s) const
{
    if (sqlite3_column_type(stmt_, column) != SQLITE_TEXT)
        return false;
    const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return QAnyStringView::equal(QStringView(s), QUtf8StringView(text, sqlite3_column_bytes(stmt_, column)));
}

QVariant Statement::rawValue(int column) const
{
    switch (sqlite3_column_type(stmt_, column)) {
    case SQLITE_NULL: return {};
    case SQLITE_INTEGER: return static_cast<qint64>(sqlite3_column_int64(stmt_, column));
    case SQLITE_FLOAT: return sqlite3_column_double(stmt_, column);
    case SQLITE_BLOB: {
        const int n = sqlite3_column_bytes(stmt_, column);
        return QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt_, column)), n);
    }
    default: {
        const int n = sqlite3_column_bytes(stmt_, column);
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column)), n);
    }
    }
}

FieldKind Statement::columnKind(int column) const
{
    FieldKind kind = FieldKind::Text;
    if (declaredKind(column, kind))
        return kind;
    switch (sqlite3_column_type(stmt_, column)) {
    case SQLITE_INTEGER: return FieldKind::Integer;
    case SQLITE_FLOAT: return FieldKind::Number;
    case SQLITE_BLOB: return FieldKind::Blob;
    default: return FieldKind::Text;
    }
}

QVariant Statement::value(int column, FieldKind kind) const
{
    const int type = sqlite3_column_type(stmt_, column);
    if (type == SQLITE_NULL)
        return {};
    switch (kind) {
    case FieldKind::Integer:
        if (type == SQLITE_FLOAT)
            return static_cast<qint64>(sqlite3_column_double(stmt_, column));
        if (type == SQLITE_TEXT)
            return convertToKind(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column))), kind);
        return static_cast<qint64>(sqlite3_column_int64(stmt_, column));
    case FieldKind::Number:
        if (type == SQLITE_TEXT) {
            bool ok = false;
            const double d = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column))).toDouble(&ok);
            return ok ? QVariant(d) : QVariant();
        }
        return sqlite3_column_double(stmt_, column);
    case FieldKind::DateTime: return dateFromStorage(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column))));
    case FieldKind::Blob: {
        const int n = sqlite3_column_bytes(stmt_, column);
        return QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt_, column)), n);
    }
    case FieldKind::Text: break;
    }
    if (type == SQLITE_FLOAT) {
        // A number read into a text field: no trailing ".0" on integral values.
        return convertToKind(sqlite3_column_double(stmt_, column), FieldKind::Text);
    }
    const int n = sqlite3_column_bytes(stmt_, column);
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column)), n);
}

// ---------------------------------------------------------------- Database

Database::Database(const QString& path, Mode mode, const FileCheck& check) : path_(path)
{
    const QFileInfo info(path);
    if (info.isDir())
        throw Error(QStringLiteral("Não foi possível abrir o banco de dados \"%1\": o caminho é uma pasta.").arg(path));
    created_ = !info.exists();
    if (created_ && mode == Mode::OpenExisting)
        throw Error(QStringLiteral("O banco de dados \"%1\" não existe.").arg(path));

    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX;
    if (mode == Mode::CreateIfMissing)
        flags |= SQLITE_OPEN_CREATE;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString msg = errorText(rc, db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QString());
        sqlite3_close(db_);
        db_ = nullptr;
        throw Error(QStringLiteral("Não foi possível abrir o banco de dados \"%1\".\n%2").arg(path, msg));
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, 5000);
    try {
        // Reading the schema is what tells a database from any other file.
        execScript(QStringLiteral("SELECT count(*) FROM sqlite_master"));
        if (check)
            check(*this);
        execScript(QStringLiteral("PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL; PRAGMA foreign_keys=OFF;"));
        registerSqlFunctions(db_);
        sqlite3_set_authorizer(db_, noteTableAccess, &tableAccess_);
    } catch (const Error& e) {
        sqlite3_close(db_);
        db_ = nullptr;
        const QString motivo = e.text();
        throw Error(QStringLiteral("Não foi possível abrir o banco de dados \"%1\": %2")
                        .arg(path, motivo + (motivo.endsWith(QLatin1Char('.')) ? QString() : QStringLiteral("."))));
    }
}

Database::~Database()
{
    for (PartReader* r : std::vector<PartReader*>(partReaders_))
        r->connectionClosing();
    if (db_)
        sqlite3_close_v2(db_);
}

void Database::checkWritable()
{
    if (sqlite3_db_readonly(db_, "main") == 1)
        throw Error(QStringLiteral("O banco de dados \"%1\" está somente para leitura.").arg(path_));
    // A write that changes nothing (and is rolled back) still needs the write lock.
    const qint64 version = scalar(QStringLiteral("PRAGMA user_version")).toLongLong();
    const bool outer = !inTransaction();
    try {
        if (outer)
            execScript(QStringLiteral("BEGIN IMMEDIATE"));
        execScript(QStringLiteral("PRAGMA user_version = %1").arg(version));
        if (outer)
            execScript(QStringLiteral("ROLLBACK"));
    } catch (const Error& e) {
        if (outer && inTransaction())
            execScript(QStringLiteral("ROLLBACK"));
        throw Error(QStringLiteral("O banco de dados \"%1\" não pode ser gravado: %2").arg(path_, e.text()));
    }
}

qint32 Database::applicationId() { return qint32(scalar(QStringLiteral("PRAGMA application_id")).toLongLong()); }

void Database::setApplicationId(qint32 id, int version)
{
    // Pragmas take no parameters; both values are numbers of our own.
    execScript(QStringLiteral("PRAGMA application_id = %1; PRAGMA user_version = %2").arg(id).arg(version));
}

QString Database::lastError() const { return QString::fromUtf8(sqlite3_errmsg(db_)); }

void Database::raise(const QString& what) const { throw Error(QStringLiteral("%1.\n%2").arg(what, errorText())); }

QString Database::errorText() const { return errorText(sqlite3_extended_errcode(db_), lastError()); }

QString Database::errorText(int code, const QString& engineText)
{
    QString texto;
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        texto = QStringLiteral("O banco de dados está ocupado por outro programa (uma cópia de segurança, outro programa que o abriu). "
                               "Aguarde um instante e tente de novo; se continuar, feche o outro programa.");
        break;
    case SQLITE_FULL: texto = QStringLiteral("O disco está cheio. Libere espaço no disco e tente de novo."); break;
    case SQLITE_IOERR:
        texto = QStringLiteral("Erro de leitura ou gravação no disco do banco de dados. Verifique se há espaço livre e se o disco "
                               "está funcionando, e tente de novo.");
        break;
    case SQLITE_READONLY:
        texto = QStringLiteral("O banco de dados não pode ser gravado: o arquivo ou a sua pasta estão somente para leitura. "
                               "Verifique as permissões e tente de novo.");
        break;
    case SQLITE_PERM:
    case SQLITE_AUTH:
        texto = QStringLiteral("Sem permissão para usar o arquivo do banco de dados. Verifique as permissões do arquivo e da sua pasta.");
        break;
    case SQLITE_CANTOPEN:
        texto = QStringLiteral(
            "Não foi possível abrir o arquivo do banco de dados. Verifique se ele e a sua pasta existem e podem ser gravados.");
        break;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        texto =
            QStringLiteral("O banco de dados está danificado. Feche o programa e restaure uma cópia de segurança, ou procure o suporte.");
        break;
    case SQLITE_NOMEM:
        texto = QStringLiteral("Não há memória suficiente para concluir a operação. Feche outros programas e tente de novo.");
        break;
    case SQLITE_CONSTRAINT:
        texto = QStringLiteral("O banco de dados recusou a gravação: já existe um registro com a mesma chave, ou uma regra do banco "
                               "não foi atendida.");
        break;
    default:
        if (engineText.startsWith(QLatin1String("no such table")) || engineText.startsWith(QLatin1String("no such column"))
            || engineText.contains(QLatin1String("has no column")))
            texto = QStringLiteral("O banco de dados não tem a estrutura que esta versão do programa espera: ele pode estar "
                                   "danificado ou ser de outra versão.");
        else
            texto = QStringLiteral("Erro no banco de dados.");
        break;
    }
    return engineText.isEmpty() ? texto : texto + QStringLiteral("\nDetalhe: ") + engineText;
}

void Database::execScript(const QString& sql)
{
    if (!partReaders_.empty() && scriptMayWrite(sql))
        beforeWrite({});
    char* err = nullptr;
    if (sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        const QString msg = errorText(sqlite3_extended_errcode(db_), err ? QString::fromUtf8(err) : lastError());
        sqlite3_free(err);
        throw Error(msg);
    }
}

int Database::exec(const QString& sql, const QVariantMap& params)
{
    Statement st(*this, sql);
    for (auto it = params.begin(); it != params.end(); ++it)
        st.bind(it.key(), it.value());
    return st.exec();
}

QVariant Database::scalar(const QString& sql, const QVariantMap& params)
{
    Statement st(*this, sql);
    for (auto it = params.begin(); it != params.end(); ++it)
        st.bind(it.key(), it.value());
    return st.step() ? st.value(0) : QVariant();
}

bool Database::tableExists(const QString& table)
{
    return scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type='table' AND upper(name)=upper(:T)"),
                  {{QStringLiteral("T"), table}})
               .toInt()
        > 0;
}

QStringList Database::columnNames(const QString& table)
{
    Statement st(*this, QStringLiteral("SELECT name FROM pragma_table_info(:T) ORDER BY cid"));
    st.bind(QStringLiteral("T"), table);
    QStringList names;
    while (st.step())
        names << st.value(0, FieldKind::Text).toString();
    return names;
}

bool Database::inTransaction() const { return db_ && !sqlite3_get_autocommit(db_); }

void Database::startTransaction()
{
    if (inTransaction())
        throw Error(QStringLiteral("Já existe uma tranasação ativa."));
    execScript(QStringLiteral("BEGIN IMMEDIATE"));
}

void Database::commit()
{
    try {
        execScript(QStringLiteral("COMMIT"));
    } catch (...) {
        if (!inTransaction())
            finishTransaction(false); // the engine rolled it back itself
        throw;
    }
    finishTransaction(true);
}

void Database::rollback()
{
    if (inTransaction())
        execScript(QStringLiteral("ROLLBACK"));
    finishTransaction(false);
}

void Database::onTransactionEnd(std::function<void(bool)> listener)
{
    if (!inTransaction()) {
        listener(true); // nothing open: what was written is written
        return;
    }
    endListeners_.push_back(std::move(listener));
}

void Database::finishTransaction(bool committed)
{
    std::vector<std::function<void(bool)>> listeners;
    listeners.swap(endListeners_);
    // Undo newest first, so each takes back what it did over the one before.
    if (!committed)
        std::reverse(listeners.begin(), listeners.end());
    for (auto& l : listeners)
        l(committed);
}

void Database::transaction(const std::function<void()>& body)
{
    if (inTransaction()) {
        body();
        return;
    }
    startTransaction();
    try {
        body();
        commit();
    } catch (...) {
        try {
            rollback();
        } catch (...) {
            // The original error is what the user needs to see.
        }
        throw;
    }
}

void Database::addPartReader(PartReader* reader)
{
    if (std::find(partReaders_.begin(), partReaders_.end(), reader) == partReaders_.end())
        partReaders_.push_back(reader);
}

void Database::removePartReader(PartReader* reader)
{
    partReaders_.erase(std::remove(partReaders_.begin(), partReaders_.end(), reader), partReaders_.end());
}

void Database::beforeWrite(const std::vector<QByteArray>& tables)
{
    if (partReaders_.empty())
        return;
    // Each reader leaves the list when it has read its rest.
    for (PartReader* r : std::vector<PartReader*>(partReaders_))
        if (std::find(partReaders_.begin(), partReaders_.end(), r) != partReaders_.end() && (tables.empty() || r->readsAnyOf(tables)))
            r->readRest();
}

void Database::setBusyTimeout(int ms) { sqlite3_busy_timeout(db_, ms); }

void Database::setFullDurability(bool full)
{
    execScript(full ? QStringLiteral("PRAGMA synchronous=FULL") : QStringLiteral("PRAGMA synchronous=NORMAL"));
}

} // namespace zov
