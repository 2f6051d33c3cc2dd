// Reading request and reply bodies with a SAX parser: element by element,
// never a whole document in memory.
#include "library/dataset.h"
#include "library/errors.h"
#include "protocol/packet_decoder.h"
#include "protocol/protocol.h"
#include "protocol/protocol_text.h"

#include <QSet>
#include <algorithm>
#include <functional>
#include <istream>
#include <limits>
#include <nlohmann/json.hpp>
#include <optional>

namespace zov {

namespace {

using json = nlohmann::json;
using namespace packet_decoding;

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

    BodyReader(Mode mode, ReplyConsumer* consumer) : mode_(mode), consumer_(consumer), budget_(kMaxHeldBytes, mode == Mode::Result) {}
    // Args mode: how the arguments are read.
    void setArgs(const ArgsDecoding& how)
    {
        streamedArgs_ = how.streamed;
        keepsColumn_ = how.keepsColumn;
        budget_ = HeldBudget(how.maxHeldBytes, false);
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
        case Top: stack_.push_back(Envelope); return true;
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
                startPacket(std::make_unique<CollectSink>(&budget_), std::move(keep));
            return true;
        }
        default: return wrongEnvelope();
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
            // A nested array: its items gather in a new level, and it is held like any value.
            budget_.charge(sizeof(WireValue));
            stack_.push_back(ArgsArray);
            values_.emplace_back();
            return true;
        }
        default: return wrongEnvelope();
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
            budget_.charge(sizeof(WireValue) + raw.s.size() * 2);
            values_.back().push_back(toWireValue(std::move(raw)));
            return true;
        default: return wrongEnvelope();
        }
    }

    static WireValue toWireValue(Raw&& raw)
    {
        WireValue v;
        switch (raw.kind) {
        case Raw::Null: break;
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
        packet_ = std::make_unique<PacketDecoder>(*sink_, std::move(keep), budget_);
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
    HeldBudget budget_;
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
    case Null: return QStringLiteral("nulo");
    case Bool: return QStringLiteral("um valor lógico");
    case Text: return QStringLiteral("um texto");
    case Number:
    case Integer: return QStringLiteral("um número");
    case Array: return QStringLiteral("uma lista");
    case PacketValue: return QStringLiteral("um pacote de dados");
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
