// getTabelas: per slot, the rows changed at or after the insert watermark
// and the deletions after the last-update watermark.
#include "protocol/protocol_slots.h"
#include "server/remote_methods.h"

#include <functional>

namespace zov::server {

QString watermarkArgument(const WireValue& value, int argument, int index)
{
    if (value.isNull())
        return {};
    QDateTime dt;
    if (value.kind != WireValue::Text || !dateTimeFromWire(value.text.toStdString(), dt))
        throw RequestError(QStringLiteral("getTabelas: o elemento %1 do argumento %2 não é uma data-hora.").arg(index).arg(argument));
    // Stamps always carry milliseconds, so the texts compare as the instants do.
    return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

namespace {

// What of an element is held before it goes out: forty downloads at once
// held a whole table each (1,3 GB in one process).
constexpr std::size_t kElementChunk = 256 * 1024;

// Straight from the database into the reply: one value at a time, never a
// dataset of the whole table. rowEnded runs after each row: out may be sent
// and cleared there.
void writeCursorPacket(Cursor& st, std::string& out, const QString& table, const std::function<void()>& rowEnded)
{
    // Run first: an engine may tell the columns only once the statement ran.
    bool more = st.step();
    const int n = st.columnCount();
    std::vector<PacketColumn> columns;
    for (int i = 0; i < n; ++i)
        columns.push_back({st.columnName(i), columnTypeOf(st.columnKind(i))});
    PacketWriter w(out);
    w.begin(columns);
    for (; more; more = st.step()) {
        w.beginRow();
        for (int i = 0; i < n; ++i) {
            if (st.isNull(i)) {
                w.null();
                continue;
            }
            switch (columns[std::size_t(i)].type) {
            case ColumnType::Text: w.text(st.utf8(i)); break;
            case ColumnType::Integer: w.integer(st.int64(i)); break;
            case ColumnType::Number: w.number(st.real(i)); break;
            case ColumnType::DateTime: try { w.dateTimeStored(st.utf8(i));
                } catch (const Error& e) {
                    throw Error(QStringLiteral("Tabela %1, coluna %2: %3").arg(table, columns[std::size_t(i)].name, e.text()));
                }
                break;
            case ColumnType::Bytes: {
                const QByteArray b = st.bytes(i);
                w.bytes(b.constData(), std::size_t(b.size()));
                break;
            }
            }
        }
        w.endRow();
        rowEnded();
    }
    w.end();
}

QStringList watermarks(const std::vector<WireValue>& args, int argument)
{
    const WireValue& v = args[std::size_t(argument - 1)];
    if (v.kind != WireValue::Array || v.items.size() != std::size_t(kSlotCount))
        throw RequestError(QStringLiteral("getTabelas: o argumento %1 deve ser uma lista de %2 datas.").arg(argument).arg(kSlotCount));
    QStringList out;
    for (int i = 0; i < kSlotCount; ++i)
        out << watermarkArgument(v.items[std::size_t(i)], argument, i);
    return out;
}

} // namespace

TabelasRequest parseTabelas(const std::vector<WireValue>& args)
{
    if (args.size() != 3)
        throw RequestError(QStringLiteral("getTabelas espera 3 argumentos e recebeu %1.").arg(args.size()));
    if (!args[0].isNull() && args[0].kind != WireValue::Text)
        throw RequestError(QStringLiteral("getTabelas: o argumento 1 (filial) deve ser um texto."));
    return {watermarks(args, 2), watermarks(args, 3)};
}

void writeTabelas(Connection& db, const TabelasRequest& request, const std::function<void(std::string&)>& deliver)
{
    const QStringList& lastUpdate = request.lastUpdate;
    const QStringList& inserted = request.inserted;
    // An element goes out in parts once it is large: the reply is never held
    // whole, nor a table. A small element that fails is replaced by the
    // error, after the elements already sent; a large one already partly
    // sent can only be cut.
    std::string body;
    body.reserve(kElementChunk + (64 << 10));
    ResultWriter result(body);
    auto element = [&](Query& st, const QString& table) {
        const std::size_t before = body.size();
        bool partSent = false;
        try {
            result.beginElement();
            writeCursorPacket(st.cursor(), body, table, [&] {
                if (body.size() < kElementChunk)
                    return;
                deliver(body);
                body.clear();
                partSent = true;
            });
        } catch (const std::exception& e) {
            if (partSent) {
                const auto* known = dynamic_cast<const Error*>(&e);
                throw ReplyCut(known ? known->text() : QString::fromLocal8Bit(e.what()));
            }
            body.resize(before);
            throw;
        }
        deliver(body);
        body.clear();
    };
    // One read transaction: every table from the same snapshot.
    db.beginSnapshot();
    try {
        std::vector<const SyncSlot*> bySlot(kSlotCount, nullptr);
        for (const SyncSlot& s : syncSlots())
            bySlot[std::size_t(s.slot)] = &s;

        for (int i = 0; i < kSlotCount; ++i) {
            const SyncSlot* s = bySlot[std::size_t(i)];
            if (!s) {
                result.null();
                continue;
            }
            const QString from = inserted[i];
            Query st(db,
                     from.isEmpty() ? QStringLiteral("SELECT * FROM %1 ORDER BY %2").arg(s->table, s->dateColumn)
                                    : QStringLiteral("SELECT * FROM %1 WHERE %2 >= :W ORDER BY %2").arg(s->table, s->dateColumn));
            if (!from.isEmpty())
                st.bind(QStringLiteral("W"), from);
            element(st, s->table);
        }
        // Slot 23 has no deletion element: element 47 is PARAMPEDIDO.
        for (int i = 0; i < kParamPedidoElement - kDeletionOffset; ++i) {
            const SyncSlot* s = bySlot[std::size_t(i)];
            if (!s) {
                result.null();
                continue;
            }
            const QString after = lastUpdate[i];
            Query st(db,
                     QStringLiteral("SELECT DSKEYCACHE, DTULTATUCACH FROM LOGDELECAO WHERE NMTABELA = :T%1 ORDER BY DTULTATUCACH")
                         .arg(after.isEmpty() ? QString() : QStringLiteral(" AND DTULTATUCACH >= :W")));
            st.bind(QStringLiteral("T"), s->table);
            if (!after.isEmpty())
                st.bind(QStringLiteral("W"), after);
            element(st, QStringLiteral("LOGDELECAO"));
        }
        Query params(db, QStringLiteral("SELECT CDFILIAL, IDPERALTPRECO FROM PARAMPEDIDO ORDER BY CDFILIAL"));
        element(params, QStringLiteral("PARAMPEDIDO"));
        result.finish();
    } catch (...) {
        db.rollback();
        throw;
    }
    db.commit();
    deliver(body);
}

std::string getTabelas(Connection& db, const std::vector<WireValue>& args)
{
    std::string whole;
    writeTabelas(db, parseTabelas(args), [&](std::string& part) { whole += part; });
    return whole;
}

} // namespace zov::server
