// Reading request and reply bodies with a SAX parser: element by element,
// never a whole document in memory.
#include "library/dataset.h"
#include "library/errors.h"
#include "protocol/protocol.h"
#include "protocol/protocol_text.h"

#include <QSet>
#include <algorithm>
#include <istream>
#include <limits>
#include <nlohmann/json.hpp>
#include <functional>
#include <optional>

namespace zov {

namespace {

using json = nlohmann::json;

// A JSON scalar as read, before its column says what it must be.
struct Raw {
    enum Kind { Null, Bool, Int, Uint, Float, String } kind = Null;
    qint64 i = 0;
    quint64 u = 0;
    double d = 0;
    std::string s;
};

[[noreturn]] void packetError(const QString& detail)
{
    throw Error(QStringLiteral("Pacote de dados inválido: %1.").arg(detail));
}

// A name the other side sent, as a message shows it: cut, and with no control
// character (a 2 MB column name, or escape sequences for a terminal).
QString mostra(QString name)
{
    constexpr qsizetype kLongest = 64;
    if (name.size() > kLongest)
        name = name.left(kLongest) + QStringLiteral("…");
    for (QChar& c : name)
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    return name;
}
QString mostra(std::string_view name) { return mostra(QString::fromUtf8(name.data(), qsizetype(std::min<std::size_t>(name.size(), 256)))); }

// The text exactly as sent: QString::fromUtf8 drops a leading byte order mark.
QString textoExato(std::string_view s)
{
    QString t = QString::fromUtf8(s.data(), qsizetype(s.size()));
    if (s.size() >= 3 && s.substr(0, 3) == "\xEF\xBB\xBF" && !t.startsWith(QChar(0xFEFF)))
        t.prepend(QChar(0xFEFF));
    return t;
}

QString typeInWords(ColumnType type)
{
    switch (type) {
    case ColumnType::Text:
        return QStringLiteral("um texto");
    case ColumnType::Number:
        return QStringLiteral("um número");
    case ColumnType::Integer:
        return QStringLiteral("um número inteiro");
    case ColumnType::DateTime:
        return QStringLiteral("uma data-hora (AAAA-MM-DDTHH:MM:SS)");
    case ColumnType::Bytes:
        return QStringLiteral("um conteúdo em base64");
    }
    return {};
}

QVariant convertRaw(const Raw& raw, const PacketColumn& column, int rowNumber)
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
    packetError(QStringLiteral("o valor da coluna %1 na linha %2 não é %3").arg(mostra(column.name)).arg(rowNumber).arg(typeInWords(column.type)));
}

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
    PacketDecoder(PacketSink& sink, std::function<bool(const QString&)> keep) : sink_(sink), keepColumn_(std::move(keep)) {}
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
                rawRows_->back().push_back(std::move(raw));
                return;
            }
            if (position_ >= all_.size())
                rowLengthError(int(position_) + 1);
            if (keep_[position_])
                row_.push_back(convertRaw(raw, all_[position_], rowNumber_));
            ++position_;
            return;
        case ExpectColumns:
            packetError(QStringLiteral("\"columns\" não é uma lista"));
        case ExpectRows:
            packetError(QStringLiteral("\"rows\" não é uma lista"));
        case InRows:
            packetError(QStringLiteral("a linha %1 não é uma lista de valores").arg(rowNumber_ + 1));
        case InColumns:
            packetError(QStringLiteral("a coluna %1 não é um objeto com nome e tipo").arg(columns_.size() + 1));
        default:
            packetError(QStringLiteral("valor fora de lugar"));
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
        default:
            packetError(QStringLiteral("objeto fora de lugar"));
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
        case ExpectColumns:
            state_ = InColumns;
            return;
        case ExpectRows:
            state_ = InRows;
            return;
        case InRows:
            ++rowNumber_;
            state_ = InRow;
            position_ = 0;
            if (rawRows_) {
                rawRows_->emplace_back();
            } else {
                row_.clear();
                row_.reserve(int(columns_.size()));
            }
            return;
        case InRow:
            packetError(QStringLiteral("o valor da coluna %1 na linha %2 não é %3")
                            .arg(currentColumnName(), QString::number(rowNumber_), currentColumnWords()));
        default:
            packetError(QStringLiteral("lista fora de lugar"));
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
        case InRows:
            state_ = AtObject;
            return;
        case InRow:
            state_ = InRows;
            if (rawRows_)
                return;
            if (position_ != all_.size())
                rowLengthError(int(position_));
            sink_.row(row_);
            return;
        default:
            packetError(QStringLiteral("lista encerrada fora de lugar"));
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

    QString columnLabel() const
    {
        return hasName_ ? mostra(name_) : QString::number(all_.size() + 1);
    }
    QString columnKeyWord() const { return columnKey_ == "name" ? QStringLiteral("nome") : QStringLiteral("tipo"); }
    QString currentColumnName() const
    {
        return position_ < all_.size() ? mostra(all_[position_].name) : QString::number(position_ + 1);
    }
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
};

// What a request may hold decoded at once (its packets kept whole and its
// plain values): far more than any export, far less than a machine's memory.
class HeldBudget {
public:
    explicit HeldBudget(std::size_t bytes) : left_(bytes) {}
    void charge(std::size_t bytes)
    {
        if (bytes > left_)
            throw Error(QStringLiteral("A requisição tem mais de %1 MB de dados a guardar de uma vez e foi recusada.").arg(limitMb()));
        left_ -= bytes;
    }

private:
    std::size_t limitMb() const { return kMaxHeldBytes >> 20; }
    std::size_t left_;
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

// A server's message as a person can read it: control characters other than
// line breaks become spaces and a very long text is cut (a 20 MB error once
// filled the screen).
QString readableServerText(std::string_view text)
{
    constexpr qsizetype kLongest = 1000;
    QString out = QString::fromUtf8(text.data(), qsizetype(std::min<std::size_t>(text.size(), kLongest * 4)));
    for (QChar& c : out)
        if (c.category() == QChar::Other_Control && c != QLatin1Char('\n'))
            c = QLatin1Char(' ');
    if (out.size() > kLongest)
        out = out.left(kLongest) + QStringLiteral("… (mensagem cortada)");
    return out;
}

// The SAX handler for a whole body: the envelope, then the result elements or
// the arguments, each packet handed to a PacketDecoder.
class BodyReader {
public:
    enum class Mode { Result, Args };

    BodyReader(Mode mode, ReplyConsumer* consumer) : mode_(mode), consumer_(consumer) {}
    // Args mode: how the arguments are read.
    void setArgs(const ArgsDecoding& how)
    {
        streamedArgs_ = how.streamed;
        keepsColumn_ = how.keepsColumn;
        budget_.emplace(how.maxHeldBytes);
    }

    // SAX interface
    bool null() { return scalar(Raw{}); }
    bool boolean(bool v)
    {
        Raw r;
        r.kind = Raw::Bool;
        r.i = v;
        return scalar(std::move(r));
    }
    bool number_integer(json::number_integer_t v)
    {
        Raw r;
        r.kind = Raw::Int;
        r.i = v;
        return scalar(std::move(r));
    }
    bool number_unsigned(json::number_unsigned_t v)
    {
        Raw r;
        r.kind = Raw::Uint;
        r.u = v;
        return scalar(std::move(r));
    }
    bool number_float(json::number_float_t v, const json::string_t&)
    {
        Raw r;
        r.kind = Raw::Float;
        r.d = v;
        return scalar(std::move(r));
    }
    bool string(json::string_t& v)
    {
        Raw r;
        r.kind = Raw::String;
        r.s = std::move(v);
        return scalar(std::move(r));
    }
    bool binary(json::binary_t&) { return scalar(Raw{}); }
    bool start_object(std::size_t)
    {
        enterLevel();
        if (packet_) {
            packet_->startObject();
            return true;
        }
        if (skipDepth_ > 0 || skipNext_) {
            skipNext_ = false;
            ++skipDepth_;
            return true;
        }
        switch (where()) {
        case Top:
            stack_.push_back(Envelope);
            return true;
        case Envelope:
            if (envelopeKey_ == "error") {
                stack_.push_back(ErrorObject);
                return true;
            }
            return wrongEnvelope();
        case ResultArray: {
            const int index = index_;
            ReplyConsumer* consumer = consumer_;
            startPacket(std::make_unique<ConsumerSink>(*consumer_, index_),
                        [consumer, index](const QString& column) { return consumer->keepsColumn(index, column); });
            return true;
        }
        case ArgsArray: {
            const int arg = values_.size() == 1 ? int(values_.back().size()) : -1;
            std::function<bool(const QString&)> keep;
            if (keepsColumn_)
                keep = [f = keepsColumn_, arg](const QString& column) { return f(arg, column); };
            if (consumer_ && std::find(streamedArgs_.begin(), streamedArgs_.end(), arg) != streamedArgs_.end())
                startPacket(std::make_unique<StreamedArgSink>(*consumer_, arg), std::move(keep));
            else
                startPacket(std::make_unique<CollectSink>(budget_ ? &*budget_ : nullptr), std::move(keep));
            return true;
        }
        default:
            return wrongEnvelope();
        }
    }
    bool key(json::string_t& k)
    {
        if (packet_) {
            packet_->key(std::move(k));
            return true;
        }
        if (skipDepth_ > 0)
            return true;
        if (where() == Envelope) {
            envelopeKey_ = k;
            if (k == "result") {
                if (seenResult_)
                    return wrongEnvelope();
                seenResult_ = mode_ == Mode::Result;
                skipNext_ = mode_ != Mode::Result;
            } else if (k == "args") {
                if (seenArgs_)
                    return wrongEnvelope();
                seenArgs_ = mode_ == Mode::Args;
                skipNext_ = mode_ != Mode::Args;
            } else if (k != "error") {
                skipNext_ = true;
            }
            return true;
        }
        if (where() == ErrorObject) {
            errorKey_ = k;
            skipNext_ = k != "message";
            return true;
        }
        return wrongEnvelope();
    }
    bool end_object()
    {
        --depth_;
        if (packet_) {
            packet_->endObject();
            if (packet_->done())
                endPacket();
            return true;
        }
        if (skipDepth_ > 0) {
            --skipDepth_;
            return true;
        }
        if (where() == ErrorObject && !errorMessage_)
            errorMessage_ = QStringLiteral("O servidor de aplicação informou um erro sem descrição.");
        stack_.pop_back();
        return true;
    }
    bool start_array(std::size_t)
    {
        enterLevel();
        if (packet_) {
            if (packet_->expectingRows())
                packet_->prepareRows();
            packet_->startArray();
            return true;
        }
        if (skipDepth_ > 0 || skipNext_) {
            skipNext_ = false;
            ++skipDepth_;
            return true;
        }
        switch (where()) {
        case Envelope:
            if (envelopeKey_ == "result" && mode_ == Mode::Result) {
                stack_.push_back(ResultArray);
                return true;
            }
            if (envelopeKey_ == "args" && mode_ == Mode::Args) {
                stack_.push_back(ArgsArray);
                values_.emplace_back();
                return true;
            }
            return wrongEnvelope();
        case ResultArray:
            throw Error(QStringLiteral("O elemento %1 da resposta do servidor de aplicação não é um pacote de dados.").arg(index_));
        case ArgsArray: {
            // A nested array: its items gather in a new level.
            stack_.push_back(ArgsArray);
            values_.emplace_back();
            return true;
        }
        default:
            return wrongEnvelope();
        }
    }
    bool end_array()
    {
        --depth_;
        if (packet_) {
            packet_->endArray();
            return true;
        }
        if (skipDepth_ > 0) {
            --skipDepth_;
            return true;
        }
        const Frame f = where();
        stack_.pop_back();
        if (f == ArgsArray) {
            std::vector<WireValue> items = std::move(values_.back());
            values_.pop_back();
            if (values_.empty()) {
                args_ = std::move(items);
            } else {
                WireValue v;
                v.kind = WireValue::Array;
                v.items = std::move(items);
                values_.back().push_back(std::move(v));
            }
        }
        return true;
    }
    bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception&)
    {
        errorPosition_ = position;
        return false;
    }

    // Results
    std::optional<QString> errorMessage_;
    bool seenResult_ = false;
    bool seenArgs_ = false;
    std::optional<std::size_t> errorPosition_;
    std::vector<WireValue> args_;
    bool packetInProgress() const { return packet_ != nullptr; }
    int currentIndex() const { return index_; }

private:
    enum Frame { Top, Envelope, ResultArray, ErrorObject, ArgsArray };

    Frame where() const { return stack_.empty() ? Top : stack_.back(); }

    // Refused while reading: a body nested thousands deep would be built into
    // values nested as deep, and freeing those overflows the stack.
    void enterLevel()
    {
        if (++depth_ > kMaxJsonDepth)
            throw Error(mode_ == Mode::Result
                            ? QStringLiteral("A resposta do servidor de aplicação tem mais de %1 níveis aninhados.").arg(kMaxJsonDepth)
                            : QStringLiteral("A requisição tem mais de %1 níveis aninhados.").arg(kMaxJsonDepth));
    }

    bool wrongEnvelope()
    {
        throw Error(mode_ == Mode::Result ? QStringLiteral("A resposta do servidor de aplicação não está no formato esperado.")
                                          : QStringLiteral("A requisição não está no formato esperado."));
    }

    bool scalar(Raw&& raw)
    {
        if (packet_) {
            packet_->scalar(std::move(raw));
            return true;
        }
        if (skipDepth_ > 0)
            return true;
        if (skipNext_) {
            skipNext_ = false;
            return true;
        }
        switch (where()) {
        case Envelope:
            if (envelopeKey_ == "error") {
                errorMessage_ = raw.kind == Raw::String ? readableServerText(raw.s)
                                                        : QStringLiteral("O servidor de aplicação informou um erro sem descrição.");
                return true;
            }
            if (envelopeKey_ == "result")
                throw Error(QStringLiteral("O resultado da resposta do servidor de aplicação não é uma lista."));
            if (envelopeKey_ == "args")
                throw Error(QStringLiteral("Os argumentos da requisição não são uma lista."));
            return wrongEnvelope();
        case ErrorObject:
            errorMessage_ = raw.kind == Raw::String ? readableServerText(raw.s)
                                                    : QStringLiteral("O servidor de aplicação informou um erro sem descrição.");
            return true;
        case ResultArray:
            if (raw.kind != Raw::Null)
                throw Error(QStringLiteral("O elemento %1 da resposta do servidor de aplicação não é um pacote de dados.").arg(index_));
            consumer_->nullElement(index_++);
            return true;
        case ArgsArray:
            // Arguments outside packets are a few dates and codes: a list of millions is no request.
            if (budget_)
                budget_->charge(sizeof(WireValue) + raw.s.size() * 2);
            values_.back().push_back(toWireValue(std::move(raw)));
            return true;
        default:
            return wrongEnvelope();
        }
    }

    static WireValue toWireValue(Raw&& raw)
    {
        WireValue v;
        switch (raw.kind) {
        case Raw::Null:
            break;
        case Raw::Bool:
            v.kind = WireValue::Bool;
            v.boolean = raw.i != 0;
            break;
        case Raw::Int:
            v.kind = WireValue::Integer;
            v.integer = raw.i;
            v.number = double(raw.i);
            break;
        case Raw::Uint:
            if (raw.u <= quint64(std::numeric_limits<qint64>::max())) {
                v.kind = WireValue::Integer;
                v.integer = qint64(raw.u);
            } else {
                v.kind = WireValue::Number;
            }
            v.number = double(raw.u);
            break;
        case Raw::Float:
            v.kind = WireValue::Number;
            v.number = raw.d;
            break;
        case Raw::String:
            v.kind = WireValue::Text;
            v.text = textoExato(raw.s);
            break;
        }
        return v;
    }

    void startPacket(std::unique_ptr<PacketSink> sink, std::function<bool(const QString&)> keep)
    {
        sink_ = std::move(sink);
        packet_ = std::make_unique<PacketDecoder>(*sink_, std::move(keep));
    }

    void endPacket()
    {
        if (mode_ == Mode::Args) {
            WireValue v;
            v.kind = WireValue::PacketValue;
            if (auto* streamed = dynamic_cast<StreamedArgSink*>(sink_.get()))
                v.packet = std::make_shared<Packet>(std::move(streamed->packet));
            else
                v.packet = std::make_shared<Packet>(std::move(static_cast<CollectSink&>(*sink_).packet));
            values_.back().push_back(std::move(v));
        } else {
            ++index_;
        }
        packet_.reset();
        sink_.reset();
    }

    Mode mode_;
    ReplyConsumer* consumer_;
    std::vector<int> streamedArgs_;
    std::function<bool(int, const QString&)> keepsColumn_;
    std::optional<HeldBudget> budget_;
    std::vector<Frame> stack_;
    std::string envelopeKey_;
    std::string errorKey_;
    bool skipNext_ = false;
    int skipDepth_ = 0;
    int depth_ = 0;
    int index_ = 0;
    std::unique_ptr<PacketSink> sink_;
    std::unique_ptr<PacketDecoder> packet_;
    std::vector<std::vector<WireValue>> values_;
};

[[noreturn]] void throwUnreadable(std::string_view body, std::size_t position, bool reply)
{
    const QString what = reply ? QStringLiteral("A resposta do servidor de aplicação") : QStringLiteral("A requisição");
    if (body.find_first_not_of(" \t\r\n") == std::string_view::npos)
        throw Error(QStringLiteral("%1 veio vazia.").arg(what));
    if (position >= body.size())
        throw Error(QStringLiteral("%1 está incompleta.").arg(what));
    throw Error(QStringLiteral("%1 não é um JSON válido (erro na posição %2).").arg(what).arg(position));
}

} // namespace

QString WireValue::describe() const
{
    switch (kind) {
    case Null:
        return QStringLiteral("nulo");
    case Bool:
        return QStringLiteral("um valor lógico");
    case Text:
        return QStringLiteral("um texto");
    case Number:
    case Integer:
        return QStringLiteral("um número");
    case Array:
        return QStringLiteral("uma lista");
    case PacketValue:
        return QStringLiteral("um pacote de dados");
    }
    return {};
}

namespace {

// Runs the parse and turns what went wrong into the reply's own error.
// unreadable: called when the body is not a complete JSON reply.
template <typename Parse, typename Unreadable>
void decodeWith(BodyReader& reader, ReplyConsumer& consumer, Parse parse, Unreadable unreadable)
{
    bool ok = false;
    try {
        ok = parse();
    } catch (...) {
        const bool inPacket = reader.packetInProgress();
        if (inPacket)
            consumer.abortPacket(reader.currentIndex());
        if (reader.errorMessage_)
            throw Error(*reader.errorMessage_);
        try {
            throw;
        } catch (const Error& e) {
            if (!inPacket)
                throw;
            throw Error(QStringLiteral("%1 (elemento %2 da resposta do servidor)").arg(e.text()).arg(reader.currentIndex()));
        }
    }
    if (!ok && reader.packetInProgress())
        consumer.abortPacket(reader.currentIndex());
    if (reader.errorMessage_)
        throw Error(*reader.errorMessage_);
    if (!ok)
        unreadable(reader.errorPosition_.value_or(0));
    if (!reader.seenResult_)
        throw Error(QStringLiteral("A resposta do servidor de aplicação não tem resultado."));
}

} // namespace

void decodeResult(std::string_view body, ReplyConsumer& consumer)
{
    BodyReader reader(BodyReader::Mode::Result, &consumer);
    decodeWith(
        reader, consumer, [&] { return json::sax_parse(body.begin(), body.end(), &reader); },
        [&](std::size_t position) { throwUnreadable(body, position, true); });
}

void decodeResult(std::istream& body, ReplyConsumer& consumer)
{
    BodyReader reader(BodyReader::Mode::Result, &consumer);
    decodeWith(
        reader, consumer, [&] { return json::sax_parse(body, &reader); },
        [&](std::size_t position) {
            // Only what was read is known: the end came too soon, or a byte was wrong.
            if (body.eof() && position <= 1)
                throw Error(QStringLiteral("A resposta do servidor de aplicação veio vazia."));
            if (body.eof())
                throw Error(QStringLiteral("A resposta do servidor de aplicação está incompleta."));
            throw Error(QStringLiteral("A resposta do servidor de aplicação não é um JSON válido (erro na posição %1).").arg(position));
        });
}

std::vector<Packet> decodeResultPackets(std::string_view body)
{
    class Collect final : public ReplyConsumer {
    public:
        void nullElement(int) override { packets.emplace_back(); }
        void beginPacket(int, const std::vector<PacketColumn>& columns) override { packets.emplace_back(columns); }
        void packetRow(int, PacketRow& values) override { packets.back().addCheckedRow(std::move(values)); }
        std::vector<Packet> packets;
    } collect;
    decodeResult(body, collect);
    return std::move(collect.packets);
}

std::vector<WireValue> decodeArgs(std::string_view body) { return decodeArgs(body, ArgsDecoding{}); }

std::vector<WireValue> decodeArgs(std::string_view body, std::vector<int> streamed, ReplyConsumer* consumer)
{
    ArgsDecoding how;
    how.streamed = std::move(streamed);
    how.consumer = consumer;
    return decodeArgs(body, how);
}

std::vector<WireValue> decodeArgs(std::string_view body, const ArgsDecoding& how)
{
    BodyReader reader(BodyReader::Mode::Args, how.consumer);
    reader.setArgs(how);
    const bool ok = json::sax_parse(body.begin(), body.end(), &reader);
    if (!ok)
        throwUnreadable(body, reader.errorPosition_.value_or(0), false);
    if (!reader.seenArgs_)
        throw Error(QStringLiteral("A requisição não tem a lista de argumentos."));
    return std::move(reader.args_);
}

std::vector<WireValue> decodeArgs(std::istream& body, const ArgsDecoding& how)
{
    BodyReader reader(BodyReader::Mode::Args, how.consumer);
    reader.setArgs(how);
    const bool ok = json::sax_parse(body, &reader);
    if (!ok) {
        const std::size_t position = reader.errorPosition_.value_or(0);
        if (body.eof() && position <= 1)
            throw Error(QStringLiteral("A requisição veio vazia."));
        if (body.eof())
            throw Error(QStringLiteral("A requisição está incompleta."));
        throw Error(QStringLiteral("A requisição não é um JSON válido (erro na posição %1).").arg(position));
    }
    if (!reader.seenArgs_)
        throw Error(QStringLiteral("A requisição não tem a lista de argumentos."));
    return std::move(reader.args_);
}

QString errorMessageOf(std::string_view body)
{
    const json doc = json::parse(body.begin(), body.end(), nullptr, false);
    if (!doc.is_object())
        return {};
    const auto e = doc.find("error");
    if (e == doc.end() || !e->is_object())
        return {};
    const auto m = e->find("message");
    if (m == e->end() || !m->is_string())
        return QStringLiteral("O servidor de aplicação informou um erro sem descrição.");
    return readableServerText(m->get<std::string>());
}

// ---------------------------------------------------------------- DataSetReplyLoader

void DataSetReplyLoader::bind(int index, Query& dataset) { targets_.emplace_back(index, &dataset); }

Query* DataSetReplyLoader::target(int index) const
{
    for (const auto& [i, q] : targets_) {
        if (i == index)
            return q;
    }
    return nullptr;
}

void DataSetReplyLoader::nullElement(int index)
{
    if (Query* q = target(index))
        q->close();
}

void DataSetReplyLoader::beginPacket(int index, const std::vector<PacketColumn>& columns)
{
    Query* q = target(index);
    if (!q)
        return;
    std::vector<FieldSpec> specs;
    specs.reserve(columns.size());
    for (const PacketColumn& c : columns)
        specs.push_back({c.name, fieldKindOf(c.type)});
    q->createDataSet(specs);
}

void DataSetReplyLoader::packetRow(int index, PacketRow& values)
{
    if (Query* q = target(index))
        q->appendRaw(std::move(values));
}

void DataSetReplyLoader::endPacket(int index)
{
    if (Query* q = target(index))
        q->first();
}

void DataSetReplyLoader::abortPacket(int index)
{
    if (Query* q = target(index))
        q->close();
}

} // namespace zov
