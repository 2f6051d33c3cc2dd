#include "protocol/packet.h"

#include "library/dataset.h"
#include "library/errors.h"

#include <QDateTime>
#include <QSet>

namespace zov {

const char* columnTypeName(ColumnType type)
{
    switch (type) {
    case ColumnType::Text: return "text";
    case ColumnType::Number: return "number";
    case ColumnType::Integer: return "integer";
    case ColumnType::DateTime: return "datetime";
    case ColumnType::Bytes: return "bytes";
    }
    return "text";
}

bool columnTypeFromName(std::string_view name, ColumnType& type)
{
    static const std::pair<std::string_view, ColumnType> names[] = {
        {"text", ColumnType::Text},         {"number", ColumnType::Number}, {"integer", ColumnType::Integer},
        {"datetime", ColumnType::DateTime}, {"bytes", ColumnType::Bytes},
    };
    for (const auto& [n, t] : names) {
        if (n == name) {
            type = t;
            return true;
        }
    }
    return false;
}

ColumnType columnTypeOf(FieldKind kind)
{
    switch (kind) {
    case FieldKind::Text: return ColumnType::Text;
    case FieldKind::Integer: return ColumnType::Integer;
    case FieldKind::Number: return ColumnType::Number;
    case FieldKind::DateTime: return ColumnType::DateTime;
    case FieldKind::Blob: return ColumnType::Bytes;
    }
    return ColumnType::Text;
}

FieldKind fieldKindOf(ColumnType type)
{
    switch (type) {
    case ColumnType::Text: return FieldKind::Text;
    case ColumnType::Number: return FieldKind::Number;
    case ColumnType::Integer: return FieldKind::Integer;
    case ColumnType::DateTime: return FieldKind::DateTime;
    case ColumnType::Bytes: return FieldKind::Blob;
    }
    return FieldKind::Text;
}

QVariant toColumnValue(const QVariant& value, ColumnType type)
{
    if (value.isNull() || !value.isValid())
        return {};
    const int id = value.metaType().id();
    switch (type) {
    case ColumnType::Number:
        if (id == QMetaType::Double)
            return value;
        break;
    case ColumnType::Integer:
        if (id == QMetaType::LongLong)
            return value;
        if (id == QMetaType::Double) {
            const double d = value.toDouble();
            if (d != double(qint64(d)))
                throw Error(QStringLiteral("%1 não é um número inteiro.").arg(d));
        }
        break;
    case ColumnType::Text:
        if (id == QMetaType::QString)
            return value;
        break;
    case ColumnType::DateTime:
        if (id == QMetaType::QDateTime && !value.toDateTime().isValid())
            return {};
        break;
    case ColumnType::Bytes: break;
    }
    return convertToKind(value, fieldKindOf(type));
}

Packet::Packet(std::vector<PacketColumn> columns) : null_(false), columns_(std::move(columns))
{
    QSet<QString> seen;
    for (PacketColumn& c : columns_) {
        c.name = c.name.trimmed().toUpper();
        if (c.name.isEmpty())
            throw Error(QStringLiteral("Pacote de dados inválido: coluna sem nome."));
        if (seen.contains(c.name))
            throw Error(QStringLiteral("Pacote de dados inválido: a coluna %1 aparece duas vezes.").arg(c.name));
        seen.insert(c.name);
    }
}

int Packet::columnIndex(const QString& name) const
{
    for (int i = 0; i < columnCount(); ++i) {
        if (columns_[std::size_t(i)].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QVariant Packet::value(int row, const QString& column) const
{
    const int c = columnIndex(column);
    return c < 0 ? QVariant() : value(row, c);
}

void Packet::addRow(PacketRow values)
{
    if (null_)
        throw Error(QStringLiteral("Pacote de dados nulo não recebe linhas."));
    if (values.size() != columnCount())
        throw Error(QStringLiteral("Pacote de dados inválido: a linha %1 tem %2 valores e o pacote tem %3 colunas.")
                        .arg(rowCount() + 1)
                        .arg(values.size())
                        .arg(columnCount()));
    for (int i = 0; i < values.size(); ++i) {
        try {
            values[i] = toColumnValue(values[i], columns_[std::size_t(i)].type);
        } catch (const Error& e) {
            throw Error(QStringLiteral("Pacote de dados inválido: coluna %1 da linha %2: %3")
                            .arg(columns_[std::size_t(i)].name)
                            .arg(rowCount() + 1)
                            .arg(e.text()));
        }
    }
    rows_.push_back(std::move(values));
}

std::vector<PacketColumn> packetColumnsOf(const Query& dataset)
{
    std::vector<PacketColumn> columns;
    for (int i = 0; i < dataset.fieldCount(); ++i) {
        const Field& f = dataset.field(i);
        if (!f.calculated)
            columns.push_back({f.fieldName().toUpper(), columnTypeOf(f.kind())});
    }
    return columns;
}

Packet packetFromDataSet(const Query& dataset)
{
    Packet packet(packetColumnsOf(dataset));
    if (!dataset.active())
        return packet;
    std::vector<int> fields;
    for (int i = 0; i < dataset.fieldCount(); ++i) {
        if (!dataset.field(i).calculated)
            fields.push_back(i);
    }
    for (int pos = 0; pos < dataset.recordCount(); ++pos) {
        const int row = dataset.storageRowAt(pos);
        PacketRow values;
        values.reserve(int(fields.size()));
        for (int f : fields)
            values.push_back(dataset.valueAt(row, f));
        packet.addRow(std::move(values));
    }
    return packet;
}

void loadDataSet(Query& dataset, const Packet& packet)
{
    if (packet.isNull()) {
        dataset.close();
        return;
    }
    std::vector<FieldSpec> specs;
    for (const PacketColumn& c : packet.columns())
        specs.push_back({c.name, fieldKindOf(c.type)});
    dataset.createDataSet(specs);
    for (const PacketRow& r : packet.rows())
        dataset.appendRaw(r);
    dataset.first();
}

std::size_t heldBytes(const PacketRow& row)
{
    std::size_t bytes = 64 + std::size_t(row.size()) * sizeof(QVariant);
    for (const QVariant& v : row) {
        if (v.metaType().id() == QMetaType::QString)
            bytes += std::size_t(v.toString().size()) * 2;
        else if (v.metaType().id() == QMetaType::QByteArray)
            bytes += std::size_t(v.toByteArray().size());
    }
    return bytes;
}

} // namespace zov
