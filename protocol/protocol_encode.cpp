// Writing request and reply bodies.
#include "library/database.h"
#include "library/dataset.h"
#include "library/errors.h"
#include "protocol/protocol.h"
#include "protocol/protocol_gzip.h"
#include "protocol/protocol_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <sqlite3.h>

namespace zov {

// ---------------------------------------------------------------- JSON text

namespace {

bool validUtf8(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        int extra;
        unsigned int cp;
        if ((c & 0xe0) == 0xc0) {
            extra = 1;
            cp = c & 0x1f;
        } else if ((c & 0xf0) == 0xe0) {
            extra = 2;
            cp = c & 0x0f;
        } else if ((c & 0xf8) == 0xf0) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + std::size_t(extra) >= s.size())
            return false;
        for (int k = 1; k <= extra; ++k) {
            const unsigned char d = static_cast<unsigned char>(s[i + std::size_t(k)]);
            if ((d & 0xc0) != 0x80)
                return false;
            cp = (cp << 6) | (d & 0x3f);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not text.
        if ((extra == 1 && cp < 0x80) || (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000) || cp > 0x10ffff
            || (cp >= 0xd800 && cp <= 0xdfff))
            return false;
        i += std::size_t(extra) + 1;
    }
    return true;
}

} // namespace

void appendJsonString(std::string& out, std::string_view s)
{
    // Text written by hand into a database may not be UTF-8: send it with
    // replacement characters rather than make the whole reply unreadable.
    if (!validUtf8(s)) {
        const QByteArray fixed = QString::fromUtf8(s.data(), qsizetype(s.size())).toUtf8();
        appendJsonString(out, std::string_view(fixed.constData(), std::size_t(fixed.size())));
        return;
    }
    static const char hex[] = "0123456789abcdef";
    out.push_back('"');
    std::size_t start = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c >= 0x20 && c != '"' && c != '\\')
            continue;
        out.append(s.data() + start, i - start);
        start = i + 1;
        switch (c) {
        case '"': out.append("\\\""); break;
        case '\\': out.append("\\\\"); break;
        case '\n': out.append("\\n"); break;
        case '\r': out.append("\\r"); break;
        case '\t': out.append("\\t"); break;
        case '\b': out.append("\\b"); break;
        case '\f': out.append("\\f"); break;
        default:
            out.append("\\u00");
            out.push_back(hex[c >> 4]);
            out.push_back(hex[c & 0xf]);
        }
    }
    out.append(s.data() + start, s.size() - start);
    out.push_back('"');
}

void appendJsonString(std::string& out, const QString& value)
{
    const QByteArray utf8 = value.toUtf8();
    appendJsonString(out, std::string_view(utf8.constData(), std::size_t(utf8.size())));
}

void appendJsonNumber(std::string& out, double value)
{
    if (!std::isfinite(value))
        throw Error(QStringLiteral("O valor numérico %1 não pode ser enviado.").arg(value));
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, r.ptr);
}

void appendJsonInteger(std::string& out, long long value)
{
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, r.ptr);
}

namespace {

void appendBase64(std::string& out, const char* data, std::size_t size)
{
    const QByteArray b64 = QByteArray::fromRawData(data, qsizetype(size)).toBase64();
    out.push_back('"');
    out.append(b64.constData(), std::size_t(b64.size()));
    out.push_back('"');
}

// Normalises what the databases store to "YYYY-MM-DD HH:MM:SS[.fff]".
bool storedToParts(std::string_view stored, DateTimeParts& parts)
{
    while (!stored.empty() && stored.front() == ' ')
        stored.remove_prefix(1);
    while (!stored.empty() && stored.back() == ' ')
        stored.remove_suffix(1);
    std::string s(stored);
    if (s.size() > 10 && s[10] == 'T')
        s[10] = ' ';
    if (s.size() == 10)
        s += " 00:00:00";
    else if (s.size() == 16)
        s += ":00";
    else if (s.size() > 19 && s[19] == '.') {
        std::string frac = s.substr(20);
        if (frac.empty() || frac.size() > 9)
            return false;
        frac = (frac + "000").substr(0, 3);
        s = s.substr(0, 20) + frac;
    }
    return parseDateTimeParts(s, ' ', false, parts);
}

void appendWireDateTime(std::string& out, const DateTimeParts& p)
{
    char buf[32];
    const int n = p.msec != 0 || p.hasMsec
        ? std::snprintf(buf, sizeof buf, "\"%04d-%02d-%02dT%02d:%02d:%02d.%03d\"", p.year, p.month, p.day, p.hour, p.minute, p.second,
                        p.msec)
        : std::snprintf(buf, sizeof buf, "\"%04d-%02d-%02dT%02d:%02d:%02d\"", p.year, p.month, p.day, p.hour, p.minute, p.second);
    out.append(buf, std::size_t(n));
}

void appendDateTime(std::string& out, const QDateTime& value)
{
    if (!value.isValid()) {
        out.append("null");
        return;
    }
    const QDate d = value.date();
    const QTime t = value.time();
    appendWireDateTime(out, {d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second(), t.msec(), false});
}

// A scalar argument or an array of them, by the QVariant's own type.
void appendArgument(std::string& out, const QVariant& value)
{
    if (value.isNull() || !value.isValid()) {
        out.append("null");
        return;
    }
    switch (value.metaType().id()) {
    case QMetaType::QVariantList: {
        out.push_back('[');
        bool first = true;
        for (const QVariant& v : value.toList()) {
            if (!first)
                out.push_back(',');
            first = false;
            appendArgument(out, v);
        }
        out.push_back(']');
        return;
    }
    case QMetaType::QStringList: {
        QVariantList list;
        for (const QString& s : value.toStringList())
            list << s;
        appendArgument(out, list);
        return;
    }
    case QMetaType::Double:
    case QMetaType::Float: appendJsonNumber(out, value.toDouble()); return;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Long:
    case QMetaType::Short: appendJsonInteger(out, value.toLongLong()); return;
    case QMetaType::Bool: out.append(value.toBool() ? "true" : "false"); return;
    case QMetaType::QDateTime: appendDateTime(out, value.toDateTime()); return;
    case QMetaType::QDate: appendDateTime(out, QDateTime(value.toDate(), QTime(0, 0))); return;
    case QMetaType::QByteArray: {
        const QByteArray b = value.toByteArray();
        appendBase64(out, b.constData(), std::size_t(b.size()));
        return;
    }
    default: appendJsonString(out, value.toString());
    }
}

} // namespace

// ---------------------------------------------------------------- RemoteArgs

RemoteArgs::RemoteArgs() { out_ = "{\"args\":["; }

void RemoteArgs::separate()
{
    if (count_++ > 0)
        out_.push_back(',');
}

RemoteArgs& RemoteArgs::add(const QVariant& value)
{
    separate();
    appendArgument(out_, value);
    return *this;
}

RemoteArgs& RemoteArgs::add(const Packet& packet)
{
    separate();
    if (packet.isNull()) {
        out_.append("null");
        return *this;
    }
    PacketWriter w(out_);
    w.begin(packet.columns());
    for (const PacketRow& row : packet.rows()) {
        w.beginRow();
        for (const QVariant& v : row)
            w.value(v);
        w.endRow();
    }
    w.end();
    return *this;
}

RemoteArgs& RemoteArgs::add(const Query& dataset)
{
    separate();
    const std::vector<PacketColumn> columns = packetColumnsOf(dataset);
    std::vector<int> fields;
    for (int i = 0; i < dataset.fieldCount(); ++i) {
        if (!dataset.field(i).calculated)
            fields.push_back(i);
    }
    PacketWriter w(out_);
    w.begin(columns);
    if (dataset.active()) {
        for (int pos = 0; pos < dataset.recordCount(); ++pos) {
            const int row = dataset.storageRowAt(pos);
            w.beginRow();
            for (int f : fields)
                w.value(dataset.valueAt(row, f));
            w.endRow();
        }
    }
    w.end();
    return *this;
}

RemoteArgs& RemoteArgs::add(Statement& st, const QString& table, const std::function<void(int rows)>& everyRows)
{
    separate();
    // The writer keeps appending to out_; what it wrote so far leaves as a part.
    writeStatementPacket(st, out_, table, [&](int rows) {
        spill();
        if (everyRows)
            everyRows(rows);
    });
    return *this;
}

void RemoteArgs::spill()
{
    constexpr std::size_t kPart = 4 * 1024 * 1024;
    if (out_.size() < kPart)
        return;
    done_.push_back(std::move(out_));
    out_.clear();
    out_.reserve(kPart + kPart / 4);
}

std::string RemoteArgs::body() const
{
    std::string all;
    std::size_t total = out_.size() + 2;
    for (const std::string& part : done_)
        total += part.size();
    all.reserve(total);
    for (const std::string& part : done_)
        all += part;
    return all + out_ + "]}";
}

std::vector<std::string> RemoteArgs::takeParts()
{
    out_.append("]}");
    done_.push_back(std::move(out_));
    std::vector<std::string> parts = std::move(done_);
    done_.clear();
    out_ = "{\"args\":[";
    count_ = 0;
    return parts;
}

// Straight from SQLite: no dataset, no Packet, one value at a time.
void writeStatementPacket(Statement& st, std::string& out, const QString& table, const std::function<void(int rows)>& everyRows)
{
    int rows = 0;
    sqlite3_stmt* h = st.handle();
    const int n = st.columnCount();
    std::vector<PacketColumn> columns;
    for (int i = 0; i < n; ++i) {
        FieldKind kind = FieldKind::Text;
        kindFromDeclaredType(sqlite3_column_decltype(h, i), kind);
        columns.push_back({st.columnName(i).toUpper(), columnTypeOf(kind)});
    }
    PacketWriter w(out);
    w.begin(columns);
    while (st.step()) {
        w.beginRow();
        for (int i = 0; i < n; ++i) {
            const int type = sqlite3_column_type(h, i);
            if (type == SQLITE_NULL) {
                w.null();
                continue;
            }
            switch (columns[std::size_t(i)].type) {
            case ColumnType::Text:
                w.text(std::string_view(reinterpret_cast<const char*>(sqlite3_column_text(h, i)), std::size_t(sqlite3_column_bytes(h, i))));
                break;
            case ColumnType::Integer:
                if (type == SQLITE_INTEGER || type == SQLITE_FLOAT)
                    w.integer(type == SQLITE_INTEGER ? sqlite3_column_int64(h, i) : qint64(sqlite3_column_double(h, i)));
                else
                    w.value(st.value(i, FieldKind::Integer));
                break;
            case ColumnType::Number:
                if (type == SQLITE_INTEGER || type == SQLITE_FLOAT)
                    w.number(sqlite3_column_double(h, i));
                else
                    w.value(st.value(i, FieldKind::Number));
                break;
            case ColumnType::DateTime:
                try {
                    w.dateTimeStored(std::string_view(reinterpret_cast<const char*>(sqlite3_column_text(h, i)),
                                                      std::size_t(sqlite3_column_bytes(h, i))));
                } catch (const Error& e) {
                    throw Error(QStringLiteral("Tabela %1, coluna %2: %3").arg(table, columns[std::size_t(i)].name, e.text()));
                }
                break;
            case ColumnType::Bytes:
                w.bytes(static_cast<const char*>(sqlite3_column_blob(h, i)), std::size_t(sqlite3_column_bytes(h, i)));
                break;
            }
        }
        w.endRow();
        if (everyRows && ++rows % 1000 == 0)
            everyRows(rows);
    }
    w.end();
}

// ---------------------------------------------------------------- replies

std::string errorBody(const QString& message)
{
    std::string out = "{\"error\":{\"message\":";
    appendJsonString(out, message);
    out.append("}}");
    return out;
}

ResultWriter::ResultWriter(std::string& out) : out_(out) { out_.append("{\"result\":["); }

void ResultWriter::beginElement()
{
    if (count_++ > 0)
        out_.push_back(',');
}

void ResultWriter::null()
{
    beginElement();
    out_.append("null");
}

void ResultWriter::packet(const Packet& packet)
{
    if (packet.isNull()) {
        null();
        return;
    }
    beginElement();
    PacketWriter w(out_);
    w.begin(packet.columns());
    for (const PacketRow& row : packet.rows()) {
        w.beginRow();
        for (const QVariant& v : row)
            w.value(v);
        w.endRow();
    }
    w.end();
}

void ResultWriter::finish()
{
    if (!finished_)
        out_.append("]}");
    finished_ = true;
}

// ---------------------------------------------------------------- PacketWriter

PacketWriter::PacketWriter(std::string& out) : out_(out) {}

void PacketWriter::begin(const std::vector<PacketColumn>& columns)
{
    columns_ = columns;
    out_.append("{\"columns\":[");
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        if (i > 0)
            out_.push_back(',');
        out_.append("{\"name\":");
        appendJsonString(out_, columns_[i].name.toUpper());
        out_.append(",\"type\":\"");
        out_.append(columnTypeName(columns_[i].type));
        out_.append("\"}");
    }
    out_.append("],\"rows\":[");
}

void PacketWriter::beginRow()
{
    if (rows_++ > 0)
        out_.push_back(',');
    out_.push_back('[');
    column_ = 0;
}

void PacketWriter::checkColumn()
{
    if (column_ >= int(columns_.size()))
        throw Error(QStringLiteral("Pacote de dados inválido: a linha %1 tem mais valores que colunas.").arg(rows_));
}

void PacketWriter::separate()
{
    checkColumn();
    if (column_++ > 0)
        out_.push_back(',');
}

void PacketWriter::null()
{
    separate();
    out_.append("null");
}

void PacketWriter::text(std::string_view utf8)
{
    separate();
    appendJsonString(out_, utf8);
}

void PacketWriter::text(const QString& value)
{
    separate();
    appendJsonString(out_, value);
}

void PacketWriter::number(double value)
{
    separate();
    appendJsonNumber(out_, value);
}

void PacketWriter::integer(qint64 value)
{
    separate();
    appendJsonInteger(out_, value);
}

void PacketWriter::dateTime(const QDateTime& value)
{
    separate();
    appendDateTime(out_, value);
}

void PacketWriter::dateTimeStored(std::string_view stored)
{
    DateTimeParts p;
    if (!storedToParts(stored, p))
        throw Error(QStringLiteral("\"%1\" não é uma data válida.").arg(QString::fromUtf8(stored.data(), qsizetype(stored.size()))));
    separate();
    appendWireDateTime(out_, p);
}

void PacketWriter::bytes(const char* data, std::size_t size)
{
    separate();
    appendBase64(out_, data, size);
}

void PacketWriter::value(const QVariant& value)
{
    checkColumn();
    const PacketColumn& c = columns_[std::size_t(column_)];
    QVariant v;
    try {
        v = toColumnValue(value, c.type);
    } catch (const Error& e) {
        throw Error(QStringLiteral("Pacote de dados inválido: coluna %1 da linha %2: %3").arg(c.name).arg(rows_).arg(e.text()));
    }
    if (v.isNull()) {
        null();
        return;
    }
    switch (c.type) {
    case ColumnType::Text: text(v.toString()); break;
    case ColumnType::Number: number(v.toDouble()); break;
    case ColumnType::Integer: integer(v.toLongLong()); break;
    case ColumnType::DateTime: dateTime(v.toDateTime()); break;
    case ColumnType::Bytes: {
        const QByteArray b = v.toByteArray();
        bytes(b.constData(), std::size_t(b.size()));
        break;
    }
    }
}

void PacketWriter::endRow()
{
    if (column_ != int(columns_.size()))
        throw Error(QStringLiteral("Pacote de dados inválido: a linha %1 tem %2 valores e o pacote tem %3 colunas.")
                        .arg(rows_)
                        .arg(column_)
                        .arg(columns_.size()));
    out_.push_back(']');
}

void PacketWriter::end() { out_.append("]}"); }

} // namespace zov
