#pragma once
// The application server's wire format: request and reply bodies in JSON.
//
//   request  {"args": [arg1, arg2, ...]}
//   success  {"result": <value>}
//   failure  {"error": {"message": "<text>"}}
//
// A packet is {"columns": [{"name": .., "type": ..}, ...], "rows": [[...], ...]}.
// Date-times travel as "YYYY-MM-DDTHH:MM:SS" with an optional ".fff", bytes as
// base64. Decoding is strict: a malformed packet is refused whole with an
// Error whose text says what is wrong, in Portuguese.
//
// Replies can be large (a whole company's reference tables), so they are
// decoded element by element into a ReplyConsumer, never held as a document.
#include "protocol/packet.h"

#include <QDateTime>
#include <QVariant>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zov {

class Query;
class Statement;

// Limits of both sides: a body larger than this once decompressed, or JSON
// nested deeper, is refused with a readable error.
inline constexpr std::size_t kMaxBodyBytes = std::size_t(1) << 30;
inline constexpr int kMaxJsonDepth = 64;
// One string value longer than this once decoded is refused while it is read.
inline constexpr std::size_t kMaxStringBytes = std::size_t(64) << 20;

// ---------------------------------------------------------------- values

// "YYYY-MM-DDTHH:MM:SS", with ".fff" when the value has milliseconds.
QString dateTimeToWire(const QDateTime& value);
// The wire forms only; invalid (false) for anything else, impossible dates included.
bool dateTimeFromWire(std::string_view text, QDateTime& value);

// ---------------------------------------------------------------- requests

// The arguments of a remote call, encoded as they are added.
class RemoteArgs {
public:
    RemoteArgs();
    // null, text, number, integer, date-time, bytes; a QVariantList is an array of these.
    RemoteArgs& add(const QVariant& value);
    RemoteArgs& add(const Packet& packet);
    // The dataset's rows as a packet, without copying them into one first.
    RemoteArgs& add(const Query& dataset);
    // The rows a statement returns (stepping it to its end), straight from
    // the database: large tables never become datasets. table names errors.
    RemoteArgs& add(Statement& st, const QString& table, const std::function<void(int rows)>& everyRows = {});
    int count() const { return count_; }
    // {"args": [...]}
    std::string body() const;
    // The same in parts, moved out (the arguments are left empty): the body
    // of an export of every customer is never copied or grown whole.
    std::vector<std::string> takeParts();

private:
    void separate();
    // Moves what was written into a part of its own once it is large.
    void spill();
    std::vector<std::string> done_;
    std::string out_;
    int count_ = 0;
};

// A decoded argument of a request (the server's side).
struct WireValue {
    enum Kind { Null, Bool, Text, Number, Integer, Array, PacketValue };
    Kind kind = Null;
    bool boolean = false;
    QString text;
    double number = 0;
    qint64 integer = 0;
    std::vector<WireValue> items;
    std::shared_ptr<Packet> packet;

    bool isNull() const { return kind == Null; }
    // What kind of value this is, in words, for error messages ("um texto").
    QString describe() const;
};

// What a request may hold decoded at once outside the packets handed to a
// consumer (the server refuses a request past it).
inline constexpr std::size_t kMaxHeldBytes = std::size_t(160) << 20;

class ReplyConsumer;
// How a request's arguments are read.
struct ArgsDecoding {
    // The packets of these top-level arguments (0-based) go to consumer row by
    // row while they are read, instead of being kept: their WireValue is a
    // packet with the columns and no rows. An error thrown by the consumer ends
    // the decoding.
    std::vector<int> streamed;
    ReplyConsumer* consumer = nullptr;
    // The columns of an argument's packet that are wanted; the others are read
    // past and never held. Empty: every column.
    std::function<bool(int argument, const QString& column)> keepsColumn;
    // What the kept packets and plain values may take (estimated); past it the
    // request is refused.
    std::size_t maxHeldBytes = kMaxHeldBytes;
};

// Decodes {"args": [...]}. Throws Error on anything else.
std::vector<WireValue> decodeArgs(std::string_view body);
std::vector<WireValue> decodeArgs(std::string_view body, std::vector<int> streamed, ReplyConsumer* consumer);
std::vector<WireValue> decodeArgs(std::string_view body, const ArgsDecoding& how);
// The same, read from a stream as it arrives (the body is never held whole).
std::vector<WireValue> decodeArgs(std::istream& body, const ArgsDecoding& how);

// ---------------------------------------------------------------- replies

// Receives the elements of a {"result": [...]} reply as they are decoded.
// A packet's rows are final only at endPacket: when decoding fails inside a
// packet, abortPacket is called for it before the Error is thrown.
class ReplyConsumer {
public:
    virtual ~ReplyConsumer() = default;
    virtual void nullElement(int /*index*/) {}
    // Whether a column of an element is wanted; the others are read past and
    // never held (beginPacket gets only the wanted ones).
    virtual bool keepsColumn(int /*index*/, const QString& /*column*/) { return true; }
    virtual void beginPacket(int index, const std::vector<PacketColumn>& columns) = 0;
    // values have the columns' types and may be moved from.
    virtual void packetRow(int index, PacketRow& values) = 0;
    virtual void endPacket(int /*index*/) {}
    virtual void abortPacket(int /*index*/) {}
    // From the calling thread when it gives the reply up (a time-out): a
    // consumer that makes the decoder wait must let it go on, to its end.
    virtual void cancel() {}
};

// Decodes a reply body whose result is an array of packets or nulls. An error
// body throws Error with the server's message as written; a body that is not
// this JSON, or a malformed packet, throws Error saying so.
void decodeResult(std::string_view body, ReplyConsumer& consumer);
// The same, read from a stream as it arrives (the body is never held whole).
void decodeResult(std::istream& body, ReplyConsumer& consumer);
// The same, keeping every element (null elements as null packets).
std::vector<Packet> decodeResultPackets(std::string_view body);
// The message of an error body, or empty when the body is not one.
QString errorMessageOf(std::string_view body);

// Loads chosen reply elements straight into memory datasets. A dataset whose
// element is null, or whose packet failed to decode, is left closed.
class DataSetReplyLoader final : public ReplyConsumer {
public:
    void bind(int index, Query& dataset);
    void nullElement(int index) override;
    void beginPacket(int index, const std::vector<PacketColumn>& columns) override;
    void packetRow(int index, PacketRow& values) override;
    void endPacket(int index) override;
    void abortPacket(int index) override;

private:
    Query* target(int index) const;
    std::vector<std::pair<int, Query*>> targets_;
};

// ---------------------------------------------------------------- server side

// {"error": {"message": "..."}}
std::string errorBody(const QString& message);

// Writes {"result": [...]} element by element.
class ResultWriter {
public:
    explicit ResultWriter(std::string& out);
    void null();
    void packet(const Packet& packet);
    // For a packet written with PacketWriter: call before it.
    void beginElement();
    void finish();

private:
    std::string& out_;
    int count_ = 0;
    bool finished_ = false;
};

// The rows a statement returns as one packet, written into out; column types
// from the declared types. A stored date-time that is not one throws Error
// naming table and column.
// everyRows, when given, runs after each thousand rows (a caller's window repaints).
void writeStatementPacket(Statement& st, std::string& out, const QString& table, const std::function<void(int rows)>& everyRows = {});

// Writes one packet straight into a body, value by value (large tables are
// encoded from the database without building a Packet).
class PacketWriter {
public:
    explicit PacketWriter(std::string& out);
    void begin(const std::vector<PacketColumn>& columns);
    void beginRow();
    void null();
    void text(std::string_view utf8);
    void text(const QString& value);
    void number(double value);
    void integer(qint64 value);
    void dateTime(const QDateTime& value);
    // A date-time as the databases store it ("YYYY-MM-DD HH:MM:SS[.fff]" or a
    // date); throws Error when it is not one.
    void dateTimeStored(std::string_view stored);
    void bytes(const char* data, std::size_t size);
    // Any value, converted to the column's type.
    void value(const QVariant& value);
    void endRow();
    void end();

private:
    void separate();
    void checkColumn();
    std::string& out_;
    std::vector<PacketColumn> columns_;
    int column_ = 0;
    int rows_ = 0;
};

} // namespace zov
