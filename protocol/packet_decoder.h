#pragma once
// One data packet read from the SAX events of a body: its columns, each row
// checked against them and handed to a sink as it ends, only the wanted
// columns held, what is held counted against a budget. Internal to
// protocol_decode.cpp, its only includer.
#include "library/errors.h"
#include "protocol/protocol.h"

#include <QSet>
#include <algorithm>
#include <functional>
#include <limits>
#include <nlohmann/json.hpp>
#include <optional>

namespace zov::packet_decoding {

using json = nlohmann::json;

// A JSON scalar as read, before its column says what it must be.
struct Raw {
    enum Kind { Null, Bool, Int, Uint, Float, String } kind = Null;
    qint64 i = 0;
    quint64 u = 0;
    double d = 0;
    std::string s;
};

[[noreturn]] void packetError(const QString& detail) { throw Error(QStringLiteral("Pacote de dados inválido: %1.").arg(detail)); }

// A name the other side sent, as a message shows it: cut, and with no control
// character (a 2 MB column name, or escape sequences for a terminal).
inline QString mostra(QString name)
{
    constexpr qsizetype kLongest = 64;
    if (name.size() > kLongest)
        name = name.left(kLongest) + QStringLiteral("…");
    for (QChar& c : name)
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    return name;
}
inline QString mostra(std::string_view name)
{
    return mostra(QString::fromUtf8(name.data(), qsizetype(std::min<std::size_t>(name.size(), 256))));
}

// The text exactly as sent: QString::fromUtf8 drops a leading byte order mark.
inline QString textoExato(std::string_view s)
{
    QString t = QString::fromUtf8(s.data(), qsizetype(s.size()));
    if (s.size() >= 3 && s.substr(0, 3) == "\xEF\xBB\xBF" && !t.startsWith(QChar(0xFEFF)))
        t.prepend(QChar(0xFEFF));
    return t;
}

inline QString typeInWords(ColumnType type)
{
    switch (type) {
    case ColumnType::Text: return QStringLiteral("um texto");
    case ColumnType::Number: return QStringLiteral("um número");
    case ColumnType::Integer: return QStringLiteral("um número inteiro");
    case ColumnType::DateTime: return QStringLiteral("uma data-hora (AAAA-MM-DDTHH:MM:SS)");
    case ColumnType::Bytes: return QStringLiteral("um conteúdo em base64");
    }
    return {};
}

inline QVariant convertRaw(const Raw& raw, const PacketColumn& column, int rowNumber)
{
    if (raw.kind == Raw::Null)
        return {};
    switch (column.type) {
    case ColumnType::Text:
        if (raw.kind == Raw::String)
            return textoExato(raw.s);
        break;
    case ColumnType::Number:
        if (raw.kind == Raw::Int)
            return double(raw.i);
        if (raw.kind == Raw::Uint)
            return double(raw.u);
        if (raw.kind == Raw::Float)
            return raw.d;
        break;
    case ColumnType::Integer:
        if (raw.kind == Raw::Int)
            return raw.i;
        if (raw.kind == Raw::Uint && raw.u <= quint64(std::numeric_limits<qint64>::max()))
            return qint64(raw.u);
        if (raw.kind == Raw::Float && raw.d >= -9.2e18 && raw.d <= 9.2e18 && raw.d == double(qint64(raw.d)))
            return qint64(raw.d);
        break;
    case ColumnType::DateTime:
        if (raw.kind == Raw::String) {
            QDateTime dt;
            if (dateTimeFromWire(raw.s, dt))
                return dt;
        }
        break;
    case ColumnType::Bytes:
        if (raw.kind == Raw::String) {
            const auto r = QByteArray::fromBase64Encoding(QByteArray::fromRawData(raw.s.data(), qsizetype(raw.s.size())),
                                                          QByteArray::AbortOnBase64DecodingErrors);
            if (r)
                return r.decoded;
        }
        break;
    }
    packetError(
        QStringLiteral("o valor da coluna %1 na linha %2 não é %3").arg(mostra(column.name)).arg(rowNumber).arg(typeInWords(column.type)));
}

// What a body may hold decoded at once (a request's packets kept whole and
// its plain values, rows waiting for their columns): far more than any
// export, far less than a machine's memory. Every value counts, an empty
// list too: millions of "[]" are no smaller in memory than millions of 0.
class HeldBudget {
public:
    HeldBudget(std::size_t bytes, bool reply) : left_(bytes), limitMb_(bytes >> 20), reply_(reply) {}
    void charge(std::size_t bytes)
    {
        if (bytes > left_)
            throw Error(
                reply_
                    ? QStringLiteral("A resposta do servidor de aplicação tem mais de %1 MB de dados a guardar de uma vez e foi recusada.")
                          .arg(limitMb_)
                    : QStringLiteral("A requisição tem mais de %1 MB de dados a guardar de uma vez e foi recusada.").arg(limitMb_));
        left_ -= bytes;
    }

private:
    std::size_t left_;
    std::size_t limitMb_;
    bool reply_;
};

// Where a decoded packet goes.
class PacketSink {
public:
    virtual ~PacketSink() = default;
    virtual void begin(const std::vector<PacketColumn>& columns) = 0;
    virtual void row(PacketRow& values) = 0;
    virtual void end() = 0;
};

// Decodes one packet object from the events inside it (the opening brace has
// been seen). Rows are checked and converted as they arrive; rows that come
// before the columns wait for them.
class PacketDecoder {
public:
    // keep: which columns the receiver wants; the others are read past, never held.
    // budget: what rows held until their columns come are charged to.
    PacketDecoder(PacketSink& sink, std::function<bool(const QString&)> keep, HeldBudget& budget)
        : sink_(sink), keepColumn_(std::move(keep)), budget_(budget)
    {}
    bool done() const { return state_ == Done; }

    void scalar(Raw&& raw)
    {
        switch (state_) {
        case ColumnValue:
            if (raw.kind != Raw::String)
                packetError(QStringLiteral("o %1 da coluna %2 não é um texto").arg(columnKeyWord(), columnLabel()));
            if (columnKey_ == "name") {
                name_ = QString::fromUtf8(raw.s.data(), qsizetype(raw.s.size()));
                hasName_ = true;
            } else {
                typeText_ = raw.s;
                hasType_ = true;
            }
            state_ = InColumn;
            return;
        case InRow:
            if (rawRows_) {
                budget_.charge(sizeof(Raw) + raw.s.size());
                rawRows_->back().push_back(std::move(raw));
                return;
            }
            if (position_ >= all_.size())
                rowLengthError(int(position_) + 1);
            if (keep_[position_])
                row_.push_back(convertRaw(raw, all_[position_], rowNumber_));
            ++position_;
            return;
        case ExpectColumns: packetError(QStringLiteral("\"columns\" não é uma lista"));
        case ExpectRows: packetError(QStringLiteral("\"rows\" não é uma lista"));
        case InRows: packetError(QStringLiteral("a linha %1 não é uma lista de valores").arg(rowNumber_ + 1));
        case InColumns: packetError(QStringLiteral("a coluna %1 não é um objeto com nome e tipo").arg(columns_.size() + 1));
        default: packetError(QStringLiteral("valor fora de lugar"));
        }
    }

    void startObject()
    {
        switch (state_) {
        case InColumns:
            state_ = InColumn;
            name_.clear();
            typeText_.clear();
            hasName_ = hasType_ = false;
            return;
        case InRow:
            packetError(QStringLiteral("o valor da coluna %1 na linha %2 não é %3")
                            .arg(currentColumnName(), QString::number(rowNumber_), currentColumnWords()));
        default: packetError(QStringLiteral("objeto fora de lugar"));
        }
    }

    void key(std::string&& k)
    {
        if (state_ == AtObject) {
            if (k == "columns") {
                if (seenColumns_)
                    packetError(QStringLiteral("a lista de colunas aparece duas vezes"));
                seenColumns_ = true;
                state_ = ExpectColumns;
            } else if (k == "rows") {
                if (seenRows_)
                    packetError(QStringLiteral("a lista de linhas aparece duas vezes"));
                seenRows_ = true;
                state_ = ExpectRows;
            } else {
                packetError(QStringLiteral("chave desconhecida \"%1\"").arg(mostra(k)));
            }
            return;
        }
        if (state_ == InColumn) {
            if (k != "name" && k != "type")
                packetError(QStringLiteral("a coluna %1 tem a chave desconhecida \"%2\"").arg(columnLabel(), mostra(k)));
            if ((k == "name" && hasName_) || (k == "type" && hasType_))
                packetError(QStringLiteral("a coluna %1 repete a chave \"%2\"").arg(columnLabel(), mostra(k)));
            columnKey_ = std::move(k);
            state_ = ColumnValue;
            return;
        }
        packetError(QStringLiteral("chave fora de lugar"));
    }

    void endObject()
    {
        if (state_ == InColumn) {
            finishColumn();
            state_ = InColumns;
            return;
        }
        if (state_ == AtObject) {
            if (!seenColumns_)
                packetError(QStringLiteral("falta a lista de colunas"));
            if (!seenRows_)
                packetError(QStringLiteral("falta a lista de linhas"));
            sink_.end();
            state_ = Done;
            return;
        }
        packetError(QStringLiteral("objeto encerrado fora de lugar"));
    }

    void startArray()
    {
        switch (state_) {
        case ExpectColumns: state_ = InColumns; return;
        case ExpectRows: state_ = InRows; return;
        case InRows:
            ++rowNumber_;
            state_ = InRow;
            position_ = 0;
            if (rawRows_) {
                budget_.charge(64 + sizeof(std::vector<Raw>)); // as heldBytes counts a row
                rawRows_->emplace_back();
            } else {
                row_.clear();
                row_.reserve(int(columns_.size()));
            }
            return;
        case InRow:
            packetError(QStringLiteral("o valor da coluna %1 na linha %2 não é %3")
                            .arg(currentColumnName(), QString::number(rowNumber_), currentColumnWords()));
        default: packetError(QStringLiteral("lista fora de lugar"));
        }
    }

    void endArray()
    {
        switch (state_) {
        case InColumns:
            columnsComplete_ = true;
            sink_.begin(columns_);
            if (rawRows_) {
                // Rows came first: check and deliver them now.
                int n = 0;
                for (std::vector<Raw>& raws : *rawRows_) {
                    ++n;
                    if (raws.size() != all_.size())
                        rowLengthErrorAt(n, int(raws.size()));
                    PacketRow r;
                    r.reserve(int(columns_.size()));
                    for (std::size_t i = 0; i < raws.size(); ++i)
                        if (keep_[i])
                            r.push_back(convertRaw(raws[i], all_[i], n));
                    sink_.row(r);
                }
                rawRows_.reset();
            }
            state_ = AtObject;
            return;
        case InRows: state_ = AtObject; return;
        case InRow:
            state_ = InRows;
            if (rawRows_)
                return;
            if (position_ != all_.size())
                rowLengthError(int(position_));
            sink_.row(row_);
            return;
        default: packetError(QStringLiteral("lista encerrada fora de lugar"));
        }
    }

    // Rows may precede the columns: they wait as read.
    void prepareRows()
    {
        if (!columnsComplete_ && !rawRows_)
            rawRows_.emplace();
    }
    bool expectingRows() const { return state_ == ExpectRows; }

private:
    enum State { AtObject, ExpectColumns, InColumns, InColumn, ColumnValue, ExpectRows, InRows, InRow, Done };

    QString columnLabel() const { return hasName_ ? mostra(name_) : QString::number(all_.size() + 1); }
    QString columnKeyWord() const { return columnKey_ == "name" ? QStringLiteral("nome") : QStringLiteral("tipo"); }
    QString currentColumnName() const { return position_ < all_.size() ? mostra(all_[position_].name) : QString::number(position_ + 1); }
    QString currentColumnWords() const
    {
        return position_ < all_.size() ? typeInWords(all_[position_].type) : QStringLiteral("um valor simples");
    }

    [[noreturn]] void rowLengthError(int count) const { rowLengthErrorAt(rowNumber_, count); }
    [[noreturn]] void rowLengthErrorAt(int row, int count) const
    {
        packetError(QStringLiteral("a linha %1 tem %2 valores e o pacote tem %3 colunas").arg(row).arg(count).arg(all_.size()));
    }

    void finishColumn()
    {
        if (!hasName_)
            packetError(QStringLiteral("a coluna %1 não tem nome").arg(all_.size() + 1));
        if (!hasType_)
            packetError(QStringLiteral("a coluna %1 não tem tipo").arg(mostra(name_)));
        if (name_.trimmed().isEmpty())
            packetError(QStringLiteral("a coluna %1 tem o nome vazio").arg(all_.size() + 1));
        if (name_ != name_.toUpper())
            packetError(QStringLiteral("o nome da coluna %1 não está em maiúsculas").arg(mostra(name_)));
        if (names_.contains(name_))
            packetError(QStringLiteral("a coluna %1 aparece duas vezes").arg(mostra(name_)));
        ColumnType type;
        if (!columnTypeFromName(typeText_, type))
            packetError(QStringLiteral("a coluna %1 tem o tipo desconhecido \"%2\"").arg(mostra(name_), mostra(typeText_)));
        names_.insert(name_);
        all_.push_back({name_, type});
        const bool keep = !keepColumn_ || keepColumn_(name_);
        keep_.push_back(keep);
        if (keep)
            columns_.push_back({name_, type});
    }

    PacketSink& sink_;
    std::function<bool(const QString&)> keepColumn_;
    State state_ = AtObject;
    bool seenColumns_ = false, seenRows_ = false, columnsComplete_ = false;
    std::vector<PacketColumn> all_;     // every column the packet names
    std::vector<bool> keep_;            // by position in all_
    std::vector<PacketColumn> columns_; // the kept ones, as the sink gets them
    std::size_t position_ = 0;          // of the next value in its row
    QSet<QString> names_;
    std::string columnKey_;
    QString name_;
    std::string typeText_;
    bool hasName_ = false, hasType_ = false;
    PacketRow row_;
    int rowNumber_ = 0;
    std::optional<std::vector<std::vector<Raw>>> rawRows_;
    HeldBudget& budget_;
};

// A packet collected whole (request arguments, small replies).
class CollectSink final : public PacketSink {
public:
    explicit CollectSink(HeldBudget* budget = nullptr) : budget_(budget) {}
    void begin(const std::vector<PacketColumn>& columns) override { packet = Packet(columns); }
    void row(PacketRow& values) override
    {
        if (budget_)
            budget_->charge(heldBytes(values));
        packet.addCheckedRow(std::move(values));
    }
    void end() override {}
    Packet packet;

private:
    HeldBudget* budget_;
};

// Hands a request argument's rows to a consumer, keeping only its columns.
class StreamedArgSink final : public PacketSink {
public:
    StreamedArgSink(ReplyConsumer& consumer, int index) : consumer_(consumer), index_(index) {}
    void begin(const std::vector<PacketColumn>& columns) override
    {
        packet = Packet(columns);
        consumer_.beginPacket(index_, columns);
    }
    void row(PacketRow& values) override { consumer_.packetRow(index_, values); }
    void end() override { consumer_.endPacket(index_); }
    Packet packet;

private:
    ReplyConsumer& consumer_;
    int index_;
};

// Hands a reply element to the consumer.
class ConsumerSink final : public PacketSink {
public:
    ConsumerSink(ReplyConsumer& consumer, int index) : consumer_(consumer), index_(index) {}
    void begin(const std::vector<PacketColumn>& columns) override { consumer_.beginPacket(index_, columns); }
    void row(PacketRow& values) override { consumer_.packetRow(index_, values); }
    void end() override { consumer_.endPacket(index_); }

private:
    ReplyConsumer& consumer_;
    int index_;
};

} // namespace zov::packet_decoding
