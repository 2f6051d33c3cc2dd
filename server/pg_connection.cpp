#include "server/pg_connection.h"

#include "library/errors.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <charconv>
#include <cmath>
#include <libpq-fe.h>
#include <optional>
#include <unordered_map>
#include <utility>

namespace zov::server {
namespace {

// Built-in type OIDs never change; the header that names them is server-side.
constexpr Oid kBool = 16, kBytea = 17, kInt8 = 20, kInt2 = 21, kInt4 = 23, kFloat4 = 700, kFloat8 = 701, kNumeric = 1700, kDate = 1082,
              kTimestamp = 1114, kTimestampTz = 1184;

FieldKind kindOf(Oid type)
{
    switch (type) {
    case kBool:
    case kInt8:
    case kInt2:
    case kInt4: return FieldKind::Integer;
    case kFloat4:
    case kFloat8:
    case kNumeric: return FieldKind::Number;
    case kDate:
    case kTimestamp:
    case kTimestampTz: return FieldKind::DateTime;
    case kBytea: return FieldKind::Blob;
    default: return FieldKind::Text;
    }
}

struct ResultDeleter {
    void operator()(PGresult* r) const { PQclear(r); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

bool failed(const PGresult* r)
{
    const ExecStatusType s = PQresultStatus(r);
    return s == PGRES_FATAL_ERROR || s == PGRES_NONFATAL_ERROR || s == PGRES_BAD_RESPONSE;
}

// A row kept after the connection moved on: each value's text followed by a
// NUL (PQunescapeBytea needs one), as (offset, length); length -1 is NULL.
struct Row {
    std::string text;
    std::vector<std::pair<int, int>> cells;
};

// The statement in PostgreSQL's form: every ":NAME" (one number per name,
// whatever its case) and every "?" becomes $1..$n in order of appearance.
struct Translated {
    QByteArray sql;
    std::vector<QString> names; // per number; empty for a "?"
};

Translated translate(const QString& sql)
{
    Translated t;
    QString out;
    const qsizetype n = sql.size();
    const auto identStart = [](QChar c) { return c.isLetter() || c == u'_'; };
    const auto ident = [](QChar c) { return c.isLetterOrNumber() || c == u'_'; };
    const auto at = [&](qsizetype i) { return i < n ? sql.at(i) : QChar(); };
    const auto number = [&](const QString& name) {
        for (size_t k = 0; !name.isEmpty() && k < t.names.size(); ++k)
            if (t.names[k].compare(name, Qt::CaseInsensitive) == 0)
                return int(k) + 1;
        t.names.push_back(name);
        return int(t.names.size());
    };
    qsizetype i = 0;
    while (i < n) {
        const QChar c = sql.at(i), next = at(i + 1);
        qsizetype end = i + 1; // what is copied as it is
        if (c == u'\'') {
            // E'...' strings escape with backslashes; all of them double the quote.
            const bool escapes = i > 0 && (sql.at(i - 1) == u'E' || sql.at(i - 1) == u'e') && (i < 2 || !ident(sql.at(i - 2)));
            while (end < n) {
                if (escapes && sql.at(end) == u'\\')
                    end += 2;
                else if (sql.at(end) == u'\'' && at(end + 1) == u'\'')
                    end += 2;
                else if (sql.at(end++) == u'\'')
                    break;
            }
        } else if (c == u'"') {
            const qsizetype q = sql.indexOf(u'"', i + 1);
            end = q < 0 ? n : q + 1;
        } else if (c == u'-' && next == u'-') {
            const qsizetype nl = sql.indexOf(u'\n', i);
            end = nl < 0 ? n : nl;
        } else if (c == u'/' && next == u'*') {
            int depth = 1; // PostgreSQL nests block comments
            for (end = i + 2; end < n && depth > 0; ++end) {
                if (sql.at(end) == u'/' && at(end + 1) == u'*')
                    ++depth, ++end;
                else if (sql.at(end) == u'*' && at(end + 1) == u'/')
                    --depth, ++end;
            }
        } else if (c == u'$' && (i == 0 || (!ident(sql.at(i - 1)) && sql.at(i - 1) != u'$'))) {
            qsizetype j = i + 1;
            if (identStart(at(j)))
                while (ident(at(j)))
                    ++j;
            if (at(j) == u'$') {
                const QString tag = sql.mid(i, j - i + 1);
                const qsizetype close = sql.indexOf(tag, j + 1);
                end = close < 0 ? n : close + tag.size();
            }
        } else if (c == u':' && (next == u':' || next == u'=')) {
            end = i + 2; // a cast, or PL/pgSQL's assignment
        } else if (c == u':' && identStart(next)) {
            qsizetype j = i + 1;
            while (ident(at(j)))
                ++j;
            out += u'$' + QString::number(number(sql.mid(i + 1, j - i - 1)));
            i = j;
            continue;
        } else if (c == u'?') {
            out += u'$' + QString::number(number({}));
            ++i;
            continue;
        }
        end = std::min(end, n);
        out += QStringView(sql).mid(i, end - i);
        i = end;
    }
    t.sql = out.toUtf8();
    return t;
}

// "YYYY-MM-DD HH:MM:SS" and ".fff" when there are milliseconds, as stored on
// the SQLite side; PostgreSQL prints as many fraction digits as it needs and
// a time zone for timestamptz.
std::string storedMoment(std::string_view text)
{
    if (text.size() < 19 || text[4] != '-' || text[10] != ' ')
        return std::string(text); // infinity and the like
    std::string s(text.substr(0, 19));
    if (text.size() > 20 && text[19] == '.') {
        std::string frac;
        for (size_t k = 20; k < text.size() && frac.size() < 3 && text[k] >= '0' && text[k] <= '9'; ++k)
            frac += text[k];
        frac.resize(3, '0');
        if (frac != "000")
            s += '.' + frac;
    }
    return s;
}

class PgCursor;

class PgConnection final : public Connection {
public:
    PgConnection(PGconn* pg, QString target) : pg_(pg), target_(std::move(target)) {}
    ~PgConnection() override;
    Engine engine() const override { return Engine::Postgres; }
    QString target() const override { return target_; }
    std::unique_ptr<Cursor> prepare(const QString& sql) override;
    void execScript(const QString& sql) override { run(sql.toUtf8()); }
    bool inTransaction() const override
    {
        // While a cursor streams, its command runs in what was open when it was sent.
        const PGTransactionStatusType s = PQtransactionStatus(pg_) == PQTRANS_ACTIVE ? statusAtSend_ : PQtransactionStatus(pg_);
        return s == PQTRANS_INTRANS || s == PQTRANS_INERROR;
    }
    void begin() override { run("BEGIN"); }
    void commit() override
    {
        // COMMIT of a transaction in error rolls it back and says so in its tag.
        const Result r = run("COMMIT");
        if (r && qstrcmp(PQcmdStatus(r.get()), "ROLLBACK") == 0)
            throw Error(QStringLiteral("A transação foi desfeita pelo PostgreSQL."));
    }
    void rollback() override { run("ROLLBACK"); }
    void beginSnapshot() override { run("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"); }
    bool tableExists(const QString& table) override
    {
        // Tables are created unquoted, so PostgreSQL keeps their names in lower case.
        return !scalar(QStringLiteral("SELECT 1 FROM information_schema.tables WHERE table_schema = current_schema() AND table_name = :T"),
                       {{QStringLiteral("T"), table.toLower()}})
                    .isNull();
    }
    std::vector<ColumnInfo> columns(const QString& table) override;
    QString nowSql() const override { return QStringLiteral("(clock_timestamp()::timestamp(3))"); }

    // libpq runs one command at a time: a cursor still streaming reads the
    // rest of its rows before anything else is sent.
    void makeWay();
    void drain()
    {
        while (PGresult* r = PQgetResult(pg_))
            PQclear(r);
    }
    QString errorText(const PGresult* r) const;
    // The name of the statement prepared on this connection for sql, made at
    // its first run; null for one that is not kept. An export runs the same
    // few statements hundreds of times: planned once, not each time.
    const char* preparedName(const QByteArray& sql, int params);

    PGconn* const pg_;
    PgCursor* streaming_ = nullptr;
    PGTransactionStatusType statusAtSend_ = PQTRANS_IDLE;

private:
    // Runs statements without parameters to their end; the last result.
    Result run(const QByteArray& sql);

    const QString target_;
    std::unordered_map<std::string, std::string> prepared_;
    int preparedCount_ = 0;
};

class PgCursor final : public Cursor {
public:
    PgCursor(PgConnection& db, const QString& sql) : db_(db), sql_(translate(sql))
    {
        values_.resize(sql_.names.size());
        formats_.resize(sql_.names.size());
    }
    ~PgCursor() override { reset(); }

    bool bind(const QString& name, const QVariant& value) override
    {
        const QString bare = name.startsWith(u':') ? name.mid(1) : name;
        bool found = false;
        for (size_t k = 0; k < sql_.names.size(); ++k) {
            if (!sql_.names[k].isEmpty() && sql_.names[k].compare(bare, Qt::CaseInsensitive) == 0) {
                bindAt(int(k) + 1, value);
                found = true;
            }
        }
        return found;
    }

    void bindAt(int index, const QVariant& value) override
    {
        if (index < 1 || index > int(values_.size()))
            throw Error(QStringLiteral("Erro ao passar o parâmetro %1: o comando não o tem.").arg(index));
        std::optional<QByteArray>& v = values_[index - 1];
        formats_[index - 1] = value.metaType().id() == QMetaType::QByteArray ? 1 : 0;
        v.reset();
        if (!value.isValid() || value.isNull())
            return;
        switch (value.metaType().id()) {
        case QMetaType::Bool: v = QByteArray(value.toBool() ? "1" : "0"); break;
        case QMetaType::Double:
        case QMetaType::Float:
            // The shortest text that reads back as the same double.
            if (std::isfinite(value.toDouble()))
                v = QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest).toUtf8();
            break;
        case QMetaType::QDateTime:
            if (const QString s = dateTimeToStorage(value.toDateTime()); !s.isEmpty())
                v = s.toUtf8();
            break;
        case QMetaType::QDate:
            if (value.toDate().isValid())
                v = value.toDate().toString(QStringLiteral("yyyy-MM-dd")).toUtf8();
            break;
        case QMetaType::QByteArray:
            v = value.toByteArray(); // sent as binary
            break;
        default:
            // Blank text is NULL, as on the SQLite side (":P_X IS NULL").
            if (const QString s = value.toString(); !s.trimmed().isEmpty())
                v = s.toUtf8();
        }
    }

    bool step() override
    {
        current_.reset();
        row_ = nullptr;
        if (state_ == State::Idle || state_ == State::Done)
            start(); // like SQLite, a finished statement runs again
        if (state_ == State::Streaming) {
            if ((current_ = nextResult()))
                return true;
        } else if (next_ < buffer_.size()) {
            row_ = &buffer_[next_++];
            return true;
        }
        state_ = State::Done;
        buffer_ = {};
        if (!error_.isEmpty())
            throw Error(std::exchange(error_, {}));
        return false;
    }

    int exec() override
    {
        while (step()) {
        }
        const int changed = changed_;
        reset();
        return changed;
    }

    void reset() override
    {
        current_.reset();
        row_ = nullptr;
        if (state_ == State::Streaming)
            while (nextResult()) {
            }
        buffer_ = {};
        error_.clear();
        state_ = State::Idle;
    }

    int columnCount() const override { return int(types_.size()); }
    QString columnName(int column) const override { return column >= 0 && column < columnCount() ? names_[column] : QString(); }
    FieldKind columnKind(int column) const override
    {
        return column >= 0 && column < columnCount() ? kindOf(types_[column]) : FieldKind::Text;
    }
    bool isNull(int column) const override { return !cell(column); }

    QVariant value(int column, FieldKind kind) const override
    {
        if (isNull(column))
            return {};
        const FieldKind own = kindOf(types_[column]);
        const bool numeric = own == FieldKind::Integer || own == FieldKind::Number;
        const QString text = QString::fromUtf8(utf8(column));
        switch (kind) {
        case FieldKind::Text: return text;
        case FieldKind::Integer: return numeric ? QVariant(int64(column)) : convertToKind(text, FieldKind::Integer);
        case FieldKind::Number: {
            bool ok = numeric;
            const double d = numeric ? real(column) : text.toDouble(&ok);
            return ok ? QVariant(d) : QVariant();
        }
        case FieldKind::DateTime: {
            const QVariant d = dateFromStorage(text);
            return d.isNull() ? QVariant(text) : d;
        }
        case FieldKind::Blob: return bytes(column);
        }
        return text;
    }

    std::string_view utf8(int column) const override
    {
        const std::optional<std::string_view> v = cell(column);
        if (!v)
            return {};
        switch (types_[column]) {
        case kBool: return *v == "t" ? "1" : "0";
        case kTimestamp:
        case kTimestampTz: return texts_[column] = storedMoment(*v);
        default: return *v;
        }
    }

    qint64 int64(int column) const override
    {
        const std::string_view t = utf8(column);
        qint64 i = 0;
        if (const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), i); ec == std::errc() && end == t.data() + t.size())
            return i;
        // A fraction is cut, as SQLite does with a real read as an integer.
        const double d = real(column);
        return std::isfinite(d) && std::fabs(d) < 9.2e18 ? qint64(d) : 0;
    }

    double real(int column) const override
    {
        // from_chars, not strtod: the locale must not change the decimal point.
        const std::string_view t = utf8(column);
        double d = 0;
        std::from_chars(t.data(), t.data() + t.size(), d);
        return d;
    }

    QByteArray bytes(int column) const override
    {
        if (types_.size() <= size_t(column) || types_[column] != kBytea) {
            const std::string_view t = utf8(column);
            return QByteArray(t.data(), qsizetype(t.size()));
        }
        const std::optional<std::string_view> v = cell(column);
        if (!v)
            return {};
        size_t n = 0; // the text ends in a NUL, which PQunescapeBytea needs
        unsigned char* raw = PQunescapeBytea(reinterpret_cast<const unsigned char*>(v->data()), &n);
        QByteArray out(reinterpret_cast<const char*>(raw), raw ? qsizetype(n) : 0);
        PQfreemem(raw);
        return out;
    }

    // Reads the rest of the run into rows of its own, freeing the connection
    // for another command; the current row, in its own result, stays readable.
    void bufferRest()
    {
        while (Result r = nextResult()) {
            Row row;
            for (int c = 0, n = PQnfields(r.get()); c < n; ++c) {
                if (PQgetisnull(r.get(), 0, c)) {
                    row.cells.emplace_back(0, -1);
                    continue;
                }
                const int len = PQgetlength(r.get(), 0, c);
                row.cells.emplace_back(int(row.text.size()), len);
                row.text.append(PQgetvalue(r.get(), 0, c), len);
                row.text.push_back('\0');
            }
            buffer_.push_back(std::move(row));
        }
        next_ = 0;
        state_ = State::Buffered;
    }
    // The connection is closing under a cursor still streaming.
    void orphan() { state_ = State::Done; }

private:
    enum class State { Idle, Streaming, Buffered, Done };

    void start()
    {
        db_.makeWay();
        const int n = int(values_.size());
        std::vector<const char*> values(n, nullptr);
        std::vector<int> lengths(n, 0);
        for (int k = 0; k < n; ++k) {
            if (values_[k]) {
                values[k] = values_[k]->constData();
                lengths[k] = int(values_[k]->size());
            }
        }
        const char* name = db_.preparedName(sql_.sql, n);
        db_.statusAtSend_ = PQtransactionStatus(db_.pg_);
        const int sent = name
            ? PQsendQueryPrepared(db_.pg_, name, n, values.data(), lengths.data(), formats_.data(), 0)
            : PQsendQueryParams(db_.pg_, sql_.sql.constData(), n, nullptr, values.data(), lengths.data(), formats_.data(), 0);
        if (!sent)
            throw Error(db_.errorText(nullptr));
        PQsetSingleRowMode(db_.pg_); // a large table is never held whole
        db_.streaming_ = this;
        state_ = State::Streaming;
        described_ = false;
        changed_ = 0;
        error_.clear();
    }

    // The next row of the run; null at its end, the connection then left
    // idle and an error kept in error_.
    Result nextResult()
    {
        Result r(PQgetResult(db_.pg_));
        if (r && PQresultStatus(r.get()) == PGRES_SINGLE_TUPLE) {
            if (!described_)
                describe(r.get());
            return r;
        }
        db_.drain();
        db_.streaming_ = nullptr;
        if (r ? failed(r.get()) : PQstatus(db_.pg_) == CONNECTION_BAD) {
            error_ = db_.errorText(r.get());
        } else if (r) {
            if (!described_)
                describe(r.get()); // a statement without rows still tells its columns
            changed_ = std::atoi(PQcmdTuples(r.get()));
        }
        return nullptr;
    }

    void describe(const PGresult* r)
    {
        described_ = true;
        const int n = PQnfields(r);
        types_.resize(n);
        names_.resize(n);
        texts_.assign(n, {});
        for (int c = 0; c < n; ++c) {
            types_[c] = PQftype(r, c);
            names_[c] = QString::fromUtf8(PQfname(r, c)).toUpper(); // PostgreSQL folds them to lower case
        }
    }

    // The text of a value of the current row; none for NULL.
    std::optional<std::string_view> cell(int column) const
    {
        if (column < 0 || column >= columnCount())
            return std::nullopt;
        if (current_ && !PQgetisnull(current_.get(), 0, column))
            return std::string_view(PQgetvalue(current_.get(), 0, column), size_t(PQgetlength(current_.get(), 0, column)));
        if (!row_ || row_->cells[column].second < 0)
            return std::nullopt;
        return std::string_view(row_->text.data() + row_->cells[column].first, size_t(row_->cells[column].second));
    }

    PgConnection& db_;
    const Translated sql_;
    std::vector<std::optional<QByteArray>> values_;
    std::vector<int> formats_;
    State state_ = State::Idle;
    bool described_ = false;
    int changed_ = 0;
    QString error_; // met while buffering: thrown once the rows before it are read
    std::vector<Oid> types_;
    std::vector<QString> names_;
    Result current_;           // the row being read, while streaming
    const Row* row_ = nullptr; // or the one read from the buffer
    std::vector<Row> buffer_;
    size_t next_ = 0;
    mutable std::vector<std::string> texts_; // utf8() of moments, until the next step
};

PgConnection::~PgConnection()
{
    if (streaming_)
        streaming_->orphan();
    PQfinish(pg_);
}

std::unique_ptr<Cursor> PgConnection::prepare(const QString& sql) { return std::make_unique<PgCursor>(*this, sql); }

namespace {

// Plain reads and writes whose result cannot change shape under them: a
// "SELECT *" prepared before a column is added would fail once it is.
bool keptPrepared(const QByteArray& sql)
{
    const QByteArray head = sql.left(16).trimmed().toUpper();
    if (!head.startsWith("SELECT") && !head.startsWith("INSERT") && !head.startsWith("UPDATE") && !head.startsWith("DELETE"))
        return false;
    QByteArray rest = sql.toUpper();
    rest.replace("COUNT(*)", "");
    return !rest.contains('*');
}

// Enough for every statement the server runs; a client that makes ever new
// ones (an export's columns) starts the set again instead of growing it.
constexpr std::size_t kMaxPrepared = 256;

} // namespace

const char* PgConnection::preparedName(const QByteArray& sql, int params)
{
    if (!keptPrepared(sql))
        return nullptr;
    const std::string key = sql.toStdString();
    if (const auto it = prepared_.find(key); it != prepared_.end())
        return it->second.c_str();
    if (prepared_.size() >= kMaxPrepared) {
        if (PQtransactionStatus(pg_) == PQTRANS_INERROR)
            return nullptr;
        run("DEALLOCATE ALL");
        prepared_.clear();
    }
    std::string name = "zov_" + std::to_string(++preparedCount_);
    Result r(PQprepare(pg_, name.c_str(), sql.constData(), params, nullptr));
    if (!r || failed(r.get()))
        throw Error(errorText(r.get()));
    return prepared_.emplace(key, std::move(name)).first->second.c_str();
}

void PgConnection::makeWay()
{
    if (streaming_)
        streaming_->bufferRest();
}

QString PgConnection::errorText(const PGresult* r) const
{
    // The primary message only: the full one may quote the statement.
    const char* primary = r ? PQresultErrorField(r, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    QString msg = QString::fromUtf8(primary ? primary : r ? PQresultErrorMessage(r) : "").trimmed();
    if (msg.isEmpty())
        msg = QString::fromUtf8(PQerrorMessage(pg_)).trimmed();
    msg = msg.section(u'\n', 0, 0);
    if (PQstatus(pg_) == CONNECTION_BAD)
        return QStringLiteral("A conexão com o banco PostgreSQL caiu: %1").arg(msg);
    QString text = QStringLiteral("Erro no banco PostgreSQL: %1").arg(msg);
    if (const char* state = r ? PQresultErrorField(r, PG_DIAG_SQLSTATE) : nullptr)
        text += QStringLiteral("\n(SQLSTATE %1)").arg(QString::fromLatin1(state));
    return text;
}

Result PgConnection::run(const QByteArray& sql)
{
    makeWay();
    if (!PQsendQuery(pg_, sql.constData()))
        throw Error(errorText(nullptr));
    Result last, error;
    while (PGresult* r = PQgetResult(pg_))
        (!error && failed(r) ? error : last).reset(r);
    if (error)
        throw Error(errorText(error.get()));
    return last;
}

std::vector<ColumnInfo> PgConnection::columns(const QString& table)
{
    // The catalog itself, not information_schema: its view costs
    // milliseconds a call, and an export asks for a dozen tables.
    auto c = prepare(QStringLiteral(
        "SELECT a.attname, format_type(a.atttypid, a.atttypmod), a.attnotnull, pg_get_expr(d.adbin, d.adrelid)"
        " FROM pg_attribute a LEFT JOIN pg_attrdef d ON d.adrelid = a.attrelid AND d.adnum = a.attnum"
        " WHERE a.attrelid = (SELECT r.oid FROM pg_class r WHERE r.relname = :T AND r.relnamespace = current_schema()::regnamespace)"
        " AND a.attnum > 0 AND NOT a.attisdropped ORDER BY a.attnum"));
    c->bind(QStringLiteral("T"), table.toLower());
    static const QRegularExpression sized(QStringLiteral("^(character varying|character|numeric|timestamp)\\(([0-9, ]+)\\)(.*)$"));
    std::vector<ColumnInfo> cols;
    while (c->step()) {
        const QString type = QString::fromUtf8(c->utf8(1));
        ColumnInfo info;
        info.name = QString::fromUtf8(c->utf8(0)).toUpper();
        const QRegularExpressionMatch m = sized.match(type);
        const QString base = m.hasMatch() ? m.captured(1) : type;
        const QString size = m.hasMatch() ? m.captured(2).remove(u' ') : QString();
        if (base == u"character varying")
            info.type = size.isEmpty() ? QStringLiteral("VARCHAR") : QStringLiteral("VARCHAR(%1)").arg(size);
        else if (base == u"character")
            info.type = QStringLiteral("CHAR(%1)").arg(size.isEmpty() ? QStringLiteral("1") : size);
        else if (base == u"numeric" && !size.isEmpty())
            info.type = QStringLiteral("NUMERIC(%1)").arg(size);
        else if ((base == u"timestamp" && m.captured(3) == u" without time zone") || type == u"timestamp without time zone")
            info.type = size.isEmpty() || size == u"6" ? QStringLiteral("TIMESTAMP") : QStringLiteral("TIMESTAMP(%1)").arg(size);
        else
            info.type = type.toUpper(); // TEXT, BIGINT, DOUBLE PRECISION, DATE, BYTEA, BOOLEAN...
        info.notNull = c->utf8(2) == "1";
        info.fallback = QString::fromUtf8(c->utf8(3));
        cols.push_back(std::move(info));
    }
    return cols;
}

// Where the password of a URI's user information lies: (start, length), the
// colon before it included; length 0 without one.
std::pair<qsizetype, qsizetype> passwordSpan(const QString& uri)
{
    const qsizetype scheme = uri.indexOf(QLatin1String("://"));
    if (scheme < 0)
        return {0, 0};
    const qsizetype from = scheme + 3;
    qsizetype end = from;
    while (end < uri.size() && uri.at(end) != u'/' && uri.at(end) != u'?')
        ++end;
    const qsizetype at = uri.lastIndexOf(u'@', end - 1);
    const qsizetype colon = uri.indexOf(u':', from);
    if (at < from || colon < 0 || colon > at)
        return {0, 0};
    return {colon, at - colon};
}

} // namespace

QString uriWithoutPassword(const QString& uri)
{
    const auto [start, length] = passwordSpan(uri);
    QString s = uri;
    s.remove(start, length);
    // libpq also takes it as a parameter.
    static const QRegularExpression param(QStringLiteral("([?&])password=[^&]*&?"));
    s.replace(param, QStringLiteral("\\1"));
    if (s.endsWith(u'?') || s.endsWith(u'&'))
        s.chop(1);
    return s;
}

std::unique_ptr<Connection> connectPostgres(const QString& uri)
{
    const QString shown = uriWithoutPassword(uri);
    PGconn* pg = PQconnectdb(uri.toUtf8().constData());
    if (PQstatus(pg) != CONNECTION_OK) {
        QString why = pg ? QString::fromUtf8(PQerrorMessage(pg)).trimmed() : QStringLiteral("memória insuficiente");
        PQfinish(pg);
        // libpq may quote the piece of the URI it could not read.
        const auto [start, length] = passwordSpan(uri);
        if (const QString pw = uri.mid(start + 1, length - 1); length > 1) {
            why.replace(pw, QStringLiteral("***"));
            why.replace(QString::fromUtf8(QByteArray::fromPercentEncoding(pw.toUtf8())), QStringLiteral("***"));
        }
        throw Error(QStringLiteral("Não foi possível conectar ao banco PostgreSQL %1: %2").arg(shown, why));
    }
    // Notices ("already exists, skipping") are no news to the server's user.
    PQsetNoticeProcessor(
        pg, [](void*, const char*) {}, nullptr);
    auto db = std::make_unique<PgConnection>(pg, shown);
    db->execScript(QStringLiteral("SET client_encoding = 'UTF8'; SET datestyle = 'ISO, YMD'; SET client_min_messages = warning"));
    return db;
}

} // namespace zov::server
