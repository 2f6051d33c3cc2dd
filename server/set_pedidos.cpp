// SetPedidos: stores the orders whose customer and products are active here,
// reports the others, and adds the customers and addresses not known yet
// (never one whose deletion was logged). An order is known by branch, number
// and the installation it came from (older clients: the workstation user).
// The request is decoded and checked first; the write is one short transaction.
#include "server/order_checks.h"
#include "server/received_orders.h"
#include "server/remote_methods.h"
#include "server/situacoes.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <istream>
#include <map>
#include <optional>
#include <sstream>

namespace zov::server {

namespace {

const char* const kPacketNames[] = {"pedidos", "itens", "observações", "clientes", "endereços"};

QStringList tableColumns(Connection& db, const QString& table)
{
    QStringList names = db.columnNames(table);
    for (QString& n : names)
        n = n.toUpper();
    return names;
}

const QString kReceivedId = QStringLiteral("IDRECEBIDO");

// Inserts packet rows into a table: the packet's columns the table knows, the
// others ignored. The tables of a received copy also get the copy's id, which
// is the server's own: a packet column of that name is ignored too. Rows are
// written many to a statement (one round trip to PostgreSQL for a hundred
// items, not a hundred): add them, then finish().
class RowInserter {
public:
    enum Copy { Plain, OfReceivedCopy };
    // known: the table's columns, read before the write began.
    RowInserter(Connection& db, const QString& table, const QStringList& known, const Packet& packet, Copy copy = Plain,
                bool skipKnown = false)
        : db_(db), packet_(packet), copy_(copy == OfReceivedCopy)
    {
        QStringList names;
        if (copy_)
            names << kReceivedId;
        for (int c = 0; c < packet.columnCount(); ++c) {
            const QString name = packet.columns()[std::size_t(c)].name;
            if (known.contains(name) && !(copy_ && name == kReceivedId)) {
                columns_.push_back(c);
                names << name;
            }
        }
        head_ = QStringLiteral("INSERT INTO %1 (%2) VALUES ").arg(table, names.join(QStringLiteral(", ")));
        tail_ = skipKnown ? QStringLiteral(" ON CONFLICT DO NOTHING") : QString();
        // Both engines take tens of thousands of parameters to a statement.
        batch_ = std::clamp(int(kMaxParameters / std::max<std::size_t>(1, names.size())), 1, kMaxRows);
    }
    void add(int row, qint64 copyId = 0)
    {
        pending_.emplace_back(row, copyId);
        if (int(pending_.size()) >= batch_)
            finish();
    }
    // Writes the rows added and not yet written.
    void finish()
    {
        if (pending_.empty())
            return;
        Query& st = statementFor(int(pending_.size()));
        int at = 1;
        for (const auto& [row, copyId] : pending_) {
            const PacketRow& values = packet_.row(row);
            if (copy_)
                st.bindAt(at++, copyId);
            for (int c : columns_)
                st.bindAt(at++, values.value(c));
        }
        pending_.clear();
        st.exec();
    }

private:
    static constexpr std::size_t kMaxParameters = 30000;
    static constexpr int kMaxRows = 100;

    Query& statementFor(int rows)
    {
        std::unique_ptr<Query>& st = statements_[rows];
        if (!st) {
            const int width = int(columns_.size()) + (copy_ ? 1 : 0);
            const QString one = QLatin1Char('(') + QStringList(width, QStringLiteral("?")).join(QStringLiteral(", ")) + QLatin1Char(')');
            st = std::make_unique<Query>(db_, head_ + QStringList(rows, one).join(QStringLiteral(", ")) + tail_);
        }
        return *st;
    }

    Connection& db_;
    const Packet& packet_;
    bool copy_;
    std::vector<int> columns_;
    QString head_, tail_;
    int batch_ = 1;
    std::vector<std::pair<int, qint64>> pending_;
    std::map<int, std::unique_ptr<Query>> statements_;
};

QString text(const Packet& p, int row, const QString& column) { return p.value(row, column).toString().trimmed(); }

QString orderKey(const QString& branch, const QString& order) { return branch + QLatin1Char('|') + order; }

void requireColumns(const Packet& p, int argument, std::initializer_list<const char*> columns)
{
    if (p.rowCount() == 0)
        return;
    for (const char* c : columns) {
        if (p.columnIndex(QLatin1String(c)) < 0)
            throw RequestError(QStringLiteral("SetPedidos: o pacote de %1 não tem a coluna %2.")
                                   .arg(QString::fromUtf8(kPacketNames[argument]), QLatin1String(c)));
    }
}

// "a", "a e b", "a, b e c"
QString spokenList(const QStringList& words)
{
    if (words.size() < 2)
        return words.join(QString());
    return words.mid(0, words.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" e ") + words.last();
}

// Where a copy came from, as the log and the listing say it.
QString origin(const QString& installation, const QString& user)
{
    const QString who = user.isEmpty() ? QStringLiteral("(sem usuário)") : QStringLiteral("\"%1\"").arg(user);
    return installation.isEmpty() ? who : QStringLiteral("a instalação %1 (usuário %2)").arg(installation.left(8), who);
}

[[noreturn]] void missingKey(int argument, int row)
{
    throw RequestError(QStringLiteral("SetPedidos: a linha %1 do pacote de %2 não tem a chave preenchida.")
                           .arg(row + 1)
                           .arg(QString::fromUtf8(kPacketNames[argument])));
}

// The customers (argument 4) and addresses (argument 5) of a request this
// server does not know: found while the request is decoded, with reads only,
// and written in the call's transaction. Its own copy wins for the ones it
// knows, so a customer made inactive here stays inactive; one whose deletion
// it logged is never made again. A request carries every active customer of
// the laptop, so the known ones are never held.
class NewCustomers {
public:
    // What the customers and addresses to add may take: a new server taking
    // a laptop's whole file holds them all, but never an unbounded amount.
    static constexpr std::size_t kMaxHeld = std::size_t(96) << 20;

    explicit NewCustomers(Connection& db)
        : knownCustomer_(db, QStringLiteral("SELECT 1 FROM CLIENTE WHERE CDCLIENTE = :C")),
          knownAddress_(db, QStringLiteral("SELECT 1 FROM ENDECLIE WHERE CDCLIENTE = :C AND IDTPENDECLIE = :T")),
          deleted_(db, QStringLiteral("SELECT 1 FROM LOGDELECAO WHERE NMTABELA = :N AND DSKEYCACHE = :K")),
          customerRules_(columnRules(db, QStringLiteral("CLIENTE"))),
          addressRules_(columnRules(db, QStringLiteral("ENDECLIE"))),
          customerColumns_(tableColumns(db, QStringLiteral("CLIENTE"))),
          addressColumns_(tableColumns(db, QStringLiteral("ENDECLIE")))
    {}
    void begin(int argument, const std::vector<PacketColumn>& columns)
    {
        Packet& p = argument == 3 ? customers_ : addresses_;
        p = Packet(columns);
        code_ = p.columnIndex(QStringLiteral("CDCLIENTE"));
        kind_ = argument == 4 ? p.columnIndex(QStringLiteral("IDTPENDECLIE")) : -1;
        rows_ = 0;
        const QHash<QString, ColumnRule>& rules = argument == 3 ? customerRules_ : addressRules_;
        columnRules_.clear();
        for (const PacketColumn& c : columns)
            columnRules_.push_back(rules.value(c.name.toUpper()));
    }
    void row(int argument, const PacketRow& values)
    {
        if (rows_++ == 0) {
            if (code_ < 0)
                missingColumn(argument, "CDCLIENTE");
            if (argument == 4 && kind_ < 0)
                missingColumn(argument, "IDTPENDECLIE");
        }
        const QString code = values.value(code_).toString().trimmed();
        const QString kind = kind_ >= 0 ? values.value(kind_).toString().trimmed() : QString();
        if (code.isEmpty() || (argument == 4 && kind.isEmpty()))
            missingKey(argument, rows_ - 1);
        Query& known = argument == 3 ? knownCustomer_ : knownAddress_;
        known.bind(QStringLiteral("C"), code);
        if (argument == 4)
            known.bind(QStringLiteral("T"), kind);
        const bool exists = known.step();
        known.reset();
        if (exists)
            return;
        const bool customerDeleted = wasDeleted(QStringLiteral("CLIENTE"), QStringLiteral("CDCLIENTE=%1;").arg(code));
        if (customerDeleted)
            deletedCustomers_.insert(code);
        if (customerDeleted
            || (argument == 4 && wasDeleted(QStringLiteral("ENDECLIE"), QStringLiteral("CDCLIENTE=%1;IDTPENDECLIE=%2;").arg(code, kind))))
            return;
        const std::vector<PacketColumn>& columns = (argument == 3 ? customers_ : addresses_).columns();
        for (std::size_t c = 0; c < columnRules_.size(); ++c) {
            const QString fault = valueFault(columns[c], values.value(int(c)), columnRules_[c]);
            if (!fault.isEmpty())
                throw RequestError(QStringLiteral("SetPedidos: a linha %1 do pacote de %2 (cliente %3): %4")
                                       .arg(rows_)
                                       .arg(QString::fromUtf8(kPacketNames[argument]), code.left(20), fault));
        }
        held_ += heldBytes(values);
        if (held_ > kMaxHeld)
            throw RequestError(QStringLiteral("SetPedidos: os clientes e endereços novos passam de 96 MiB; envie-os em partes."));
        (argument == 3 ? customers_ : addresses_).addCheckedRow(values);
    }
    // Inside the call's transaction; another call may have added some meanwhile.
    void write(Connection& db)
    {
        for (Packet* p : {&customers_, &addresses_}) {
            if (p->rowCount() == 0)
                continue;
            const bool customers = p == &customers_;
            RowInserter insert(db, customers ? QStringLiteral("CLIENTE") : QStringLiteral("ENDECLIE"),
                               customers ? customerColumns_ : addressColumns_, *p, RowInserter::Plain, true);
            for (int r = 0; r < p->rowCount(); ++r)
                insert.add(r);
            insert.finish();
        }
    }
    // A customer the request does not carry: deleted here?
    bool wasDeletedCustomer(const QString& customer)
    {
        return deletedCustomers_.contains(customer) || wasDeleted(QStringLiteral("CLIENTE"), QStringLiteral("CDCLIENTE=%1;").arg(customer));
    }

private:
    bool wasDeleted(const QString& table, const QString& key)
    {
        deleted_.bind(QStringLiteral("N"), table);
        deleted_.bind(QStringLiteral("K"), key);
        const bool found = deleted_.step();
        deleted_.reset();
        return found;
    }
    [[noreturn]] static void missingColumn(int argument, const char* column)
    {
        throw RequestError(QStringLiteral("SetPedidos: o pacote de %1 não tem a coluna %2.")
                               .arg(QString::fromUtf8(kPacketNames[argument]), QLatin1String(column)));
    }
    Query knownCustomer_, knownAddress_, deleted_;
    QHash<QString, ColumnRule> customerRules_, addressRules_;
    QStringList customerColumns_, addressColumns_;
    std::vector<ColumnRule> columnRules_;
    std::size_t held_ = 0;
    Packet customers_, addresses_;
    QSet<QString> deletedCustomers_;
    int code_ = -1, kind_ = -1, rows_ = 0;
};

// The database failed under the decoder: the server's fault, not the request's.
class WorkFailed : public Error {
public:
    using Error::Error;
};

// Hands the customers and addresses of a request to NewCustomers while it is decoded.
class StreamedCustomers final : public ReplyConsumer {
public:
    explicit StreamedCustomers(NewCustomers& rows) : rows_(rows) {}
    void beginPacket(int index, const std::vector<PacketColumn>& columns) override { rows_.begin(index, columns); }
    void packetRow(int index, PacketRow& values) override
    {
        try {
            rows_.row(index, values);
        } catch (const RequestError&) {
            throw;
        } catch (const Error& e) {
            throw WorkFailed(e.text());
        }
    }

private:
    NewCustomers& rows_;
};

// A checked call: its packets and who sent it.
struct Call {
    const Packet* orders = nullptr;
    const Packet* items = nullptr;
    const Packet* notes = nullptr;
    QString branch, user, installation, operador;
    // The orders that break a rule, refused by themselves (element 2).
    QHash<QString, OrderFault> faults;
};

Call checkedCall(Connection& db, const std::vector<WireValue>& args, const Chamador& who)
{
    if (args.size() != 7 && args.size() != 8)
        throw RequestError(QStringLiteral("SetPedidos espera 8 argumentos e recebeu %1.").arg(args.size()));
    for (int i = 0; i < 5; ++i) {
        if (args[std::size_t(i)].kind != WireValue::PacketValue)
            throw RequestError(QStringLiteral("SetPedidos: o argumento %1 deve ser um pacote de dados e é %2.")
                                   .arg(i + 1)
                                   .arg(args[std::size_t(i)].describe()));
    }
    for (std::size_t i = 5; i < args.size(); ++i) {
        if (!args[i].isNull() && args[i].kind != WireValue::Text)
            throw RequestError(QStringLiteral("SetPedidos: o argumento %1 deve ser um texto.").arg(i + 1));
    }
    if (!who.filial.isEmpty())
        requireSessionBranch(args[5], who);
    Call c{args[0].packet.get(),   args[1].packet.get(),
           args[2].packet.get(),   args[5].text.trimmed(),
           args[6].text.trimmed(), {},
           who.operador,           {}};
    if (args.size() == 8) {
        c.installation = args[7].text.trimmed().toLower();
        if (c.installation.isEmpty() || c.installation.size() > 64)
            throw RequestError(
                QStringLiteral("SetPedidos: o argumento 8 (a identidade da instalação) deve ser um texto de até 64 caracteres."));
    }
    requireColumns(*c.orders, 0, {"CDFILIAL", "NRPEDIDO", "CDCLIENTE"});
    requireColumns(*c.items, 1, {"CDFILIAL", "NRPEDIDO", "NRITEMPED", "CDPRODUTO"});
    requireColumns(*c.notes, 2, {"CDFILIAL", "NRPEDIDO"});
    c.faults = checkReceivedOrders(db, c.branch, *c.orders, *c.items, *c.notes);
    return c;
}

const QString kCopyRemoved = QStringLiteral("A cópia recebida antes foi retirada do servidor.");

// The orders of a checked call, inside its transaction; clashes of numbers
// are handed back to be logged once the call is kept.
// What the server knows of each product of a call: read before the write
// begins, since requests never change products, so the write (one at a
// time) does not wait for a query per item.
struct ProductInfo {
    QVariant tree, name;
    bool active = false;
};
using Products = QHash<QString, std::optional<ProductInfo>>;

// The same for the customers the call's orders name (the row of a customer
// the call itself adds is read in the write), and the columns of the tables
// a received order is written to.
struct CustomerInfo {
    QVariant active, registration, name;
};
struct BeforeWrite {
    Products products;
    QHash<QString, CustomerInfo> customers;
    QStringList orderColumns, itemColumns, noteColumns;
};

Products productsOf(Connection& db, const Packet& items)
{
    Products known;
    Query product(db, QStringLiteral("SELECT CDARVPROD, NMPRODUTO, IDPRODATIVPR FROM PRODUTO WHERE CDPRODUTO = :P"));
    for (int i = 0; i < items.rowCount(); ++i) {
        const QString code = text(items, i, QStringLiteral("CDPRODUTO"));
        if (known.contains(code))
            continue;
        product.bind(QStringLiteral("P"), code);
        std::optional<ProductInfo>& info = known[code];
        if (product.step())
            info = ProductInfo{product.value(0, FieldKind::Text), product.value(1, FieldKind::Text),
                               product.value(2, FieldKind::Text).toString() == QLatin1String("S")};
        product.reset();
    }
    return known;
}

BeforeWrite readBeforeWrite(Connection& db, const Call& call)
{
    BeforeWrite known;
    known.products = productsOf(db, *call.items);
    Query customer(db, QStringLiteral("SELECT IDCLIEATIV, NRINSJURCLIE, NMFANTCLIE FROM CLIENTE WHERE CDCLIENTE = :C"));
    for (int r = 0; r < call.orders->rowCount(); ++r) {
        const QString code = text(*call.orders, r, QStringLiteral("CDCLIENTE"));
        if (known.customers.contains(code))
            continue;
        customer.bind(QStringLiteral("C"), code);
        if (customer.step())
            known.customers.insert(
                code, {customer.value(0, FieldKind::Text), customer.value(1, FieldKind::Text), customer.value(2, FieldKind::Text)});
        customer.reset();
    }
    known.orderColumns = tableColumns(db, QStringLiteral("PEDIDOREC"));
    known.itemColumns = tableColumns(db, QStringLiteral("ITEMPEDIDOREC"));
    known.noteColumns = tableColumns(db, QStringLiteral("OBSPEDIDOREC"));
    return known;
}

std::string storeOrders(Connection& db, const Call& call, const BeforeWrite& known, NewCustomers& newCustomers, QStringList& clashes)
{
    const Products& products = known.products;
    const Packet& orders = *call.orders;
    const Packet& items = *call.items;
    const Packet& notes = *call.notes;
    Packet refusedItems({{"NRPEDIDO", ColumnType::Text},
                         {"CDARVPROD", ColumnType::Text},
                         {"NMPRODUTO", ColumnType::Text},
                         {"CDFILIAL", ColumnType::Text},
                         {"DSSITUACAO", ColumnType::Text}});
    Packet refusedOrders({{"CDCLIENTE", ColumnType::Text},
                          {"IDCLIEATIV", ColumnType::Text},
                          {"NRPEDIDO", ColumnType::Text},
                          {"NRINSJURCLIE", ColumnType::Text},
                          {"NMFANTCLIE", ColumnType::Text},
                          {"DSSITUACAO", ColumnType::Text}});
    Packet brokenRules({{"NRPEDIDO", ColumnType::Text},
                        {"NRITEMPED", ColumnType::Text},
                        {"NMCAMPO", ColumnType::Text},
                        {"DSMOTIVO", ColumnType::Text},
                        {"DSSITUACAO", ColumnType::Text}});
    if (orders.rowCount() > 0) {
        QHash<QString, QVector<int>> itemsOf, notesOf;
        for (int r = 0; r < items.rowCount(); ++r)
            itemsOf[orderKey(text(items, r, QStringLiteral("CDFILIAL")), text(items, r, QStringLiteral("NRPEDIDO")))] << r;
        for (int r = 0; r < notes.rowCount(); ++r)
            notesOf[orderKey(text(notes, r, QStringLiteral("CDFILIAL")), text(notes, r, QStringLiteral("NRPEDIDO")))] << r;

        Query customer(db, QStringLiteral("SELECT IDCLIEATIV, NRINSJURCLIE, NMFANTCLIE FROM CLIENTE WHERE CDCLIENTE = :C"));
        const QString stamp = db.nowSql();
        // Its own copy: by installation; an older client's by its user, in any case.
        Query findCopy(
            db,
            call.installation.isEmpty()
                ? QStringLiteral("SELECT IDRECEBIDO FROM PEDIDORECEBIDO WHERE CDFILIAL = :F AND NRPEDIDO = :N "
                                 "AND IDINSTALACAO = '' AND lower(NMUSUARIO) = lower(COALESCE(:U, '')) ORDER BY IDRECEBIDO LIMIT 1")
                : QStringLiteral("SELECT IDRECEBIDO FROM PEDIDORECEBIDO WHERE CDFILIAL = :F AND NRPEDIDO = :N "
                                 "AND IDINSTALACAO = :I ORDER BY IDRECEBIDO LIMIT 1"));
        Query others(db,
                     QStringLiteral("SELECT IDINSTALACAO, NMUSUARIO FROM PEDIDORECEBIDO WHERE CDFILIAL = :F AND NRPEDIDO = :N "
                                    "AND IDRECEBIDO <> :R ORDER BY IDRECEBIDO"));
        Query addCopy(
            db,
            QStringLiteral("INSERT INTO PEDIDORECEBIDO (CDFILIAL, NRPEDIDO, NMUSUARIO, IDINSTALACAO, CDFILIALENV, CDOPERADOR, DTRECEBIDO) "
                           "VALUES (:F, :N, COALESCE(:U, ''), COALESCE(:I, ''), :E, COALESCE(:O, ''), %1) RETURNING IDRECEBIDO")
                .arg(stamp));
        Query renewCopy(
            db,
            QStringLiteral("UPDATE PEDIDORECEBIDO SET CDFILIALENV = :E, NMUSUARIO = COALESCE(:U, ''), CDOPERADOR = COALESCE(:O, ''), "
                           "DTRECEBIDO = %1 WHERE IDRECEBIDO = :R")
                .arg(stamp));
        Query dropHeader(db, QStringLiteral("DELETE FROM PEDIDORECEBIDO WHERE IDRECEBIDO = :R"));
        Query dropOrder(db, QStringLiteral("DELETE FROM PEDIDOREC WHERE IDRECEBIDO = :R"));
        Query dropItems(db, QStringLiteral("DELETE FROM ITEMPEDIDOREC WHERE IDRECEBIDO = :R"));
        Query dropNote(db, QStringLiteral("DELETE FROM OBSPEDIDOREC WHERE IDRECEBIDO = :R"));
        RowInserter insertOrder(db, QStringLiteral("PEDIDOREC"), known.orderColumns, orders, RowInserter::OfReceivedCopy);
        std::unique_ptr<RowInserter> insertItem, insertNote;
        if (items.rowCount() > 0)
            insertItem =
                std::make_unique<RowInserter>(db, QStringLiteral("ITEMPEDIDOREC"), known.itemColumns, items, RowInserter::OfReceivedCopy);
        if (notes.rowCount() > 0)
            insertNote =
                std::make_unique<RowInserter>(db, QStringLiteral("OBSPEDIDOREC"), known.noteColumns, notes, RowInserter::OfReceivedCopy);
        auto dropRows = [&](qint64 copy, bool header) {
            for (Query* drop : {&dropOrder, &dropItems, &dropNote, &dropHeader}) {
                if (drop == &dropHeader && !header)
                    continue;
                drop->bind(QStringLiteral("R"), copy);
                drop->exec();
            }
        };

        for (int r = 0; r < orders.rowCount(); ++r) {
            const QString branch = text(orders, r, QStringLiteral("CDFILIAL"));
            const QString number = text(orders, r, QStringLiteral("NRPEDIDO"));
            const QString key = orderKey(branch, number);
            findCopy.bind(QStringLiteral("F"), branch);
            findCopy.bind(QStringLiteral("N"), number);
            findCopy.bind(QStringLiteral("U"), call.user);
            findCopy.bind(QStringLiteral("I"), call.installation);
            qint64 copy = 0;
            if (findCopy.step())
                copy = findCopy.value(0, FieldKind::Integer).toLongLong();
            findCopy.reset();

            // A refused order of which a copy is held: the copy goes, and the refusal says so.
            const QVariant note = copy != 0 ? QVariant(kCopyRemoved) : QVariant();
            const int firstRefusedItem = refusedItems.rowCount();
            const int firstRefusedOrder = refusedOrders.rowCount();
            const int firstBroken = brokenRules.rowCount();
            if (const auto fault = call.faults.constFind(number); fault != call.faults.constEnd())
                brokenRules.addRow({number, fault->item.isEmpty() ? QVariant() : QVariant(fault->item),
                                    fault->field.isEmpty() ? QVariant() : QVariant(fault->field), fault->reason, note});
            for (int i : itemsOf.value(key)) {
                const QString code = text(items, i, QStringLiteral("CDPRODUTO"));
                const std::optional<ProductInfo> info = products.value(code);
                if (!info)
                    refusedItems.addRow(
                        {number, QVariant(), QStringLiteral("Produto %1 não cadastrado no servidor").arg(code), branch, note});
                else if (!info->active)
                    refusedItems.addRow({number, info->tree, info->name, branch, note});
            }
            const QString client = text(orders, r, QStringLiteral("CDCLIENTE"));
            std::optional<CustomerInfo> info;
            if (const auto it = known.customers.constFind(client); it != known.customers.constEnd()) {
                info = *it;
            } else {
                // Not there before the write: one this call adds, or none.
                customer.bind(QStringLiteral("C"), client);
                if (customer.step())
                    info = CustomerInfo{customer.value(0, FieldKind::Text), customer.value(1, FieldKind::Text),
                                        customer.value(2, FieldKind::Text)};
                customer.reset();
            }
            if (!info) {
                const bool gone = newCustomers.wasDeletedCustomer(client);
                refusedOrders.addRow(
                    {client, QVariant(), number, QVariant(),
                     gone ? QStringLiteral("Cliente excluído no servidor") : QStringLiteral("Cliente não cadastrado no servidor"), note});
            } else if (info->active.toString() != QLatin1String("S")) {
                refusedOrders.addRow({client, info->active, number, info->registration, info->name, note});
            }
            if (refusedItems.rowCount() > firstRefusedItem || refusedOrders.rowCount() > firstRefusedOrder
                || brokenRules.rowCount() > firstBroken) {
                // The company must not deliver a copy of an order the laptop still holds as refused.
                if (copy != 0) {
                    dropRows(copy, true);
                    apagaSituacao(db, branch, number, call.installation);
                }
                continue;
            }

            if (copy != 0) {
                // A re-send replaces its copy, rows and all: an item or observation removed since is gone too.
                dropRows(copy, false);
                renewCopy.bind(QStringLiteral("E"), call.branch);
                renewCopy.bind(QStringLiteral("U"), call.user);
                renewCopy.bind(QStringLiteral("O"), call.operador);
                renewCopy.bind(QStringLiteral("R"), copy);
                renewCopy.exec();
            } else {
                addCopy.bind(QStringLiteral("F"), branch);
                addCopy.bind(QStringLiteral("N"), number);
                addCopy.bind(QStringLiteral("U"), call.user);
                addCopy.bind(QStringLiteral("O"), call.operador);
                addCopy.bind(QStringLiteral("I"), call.installation);
                addCopy.bind(QStringLiteral("E"), call.branch);
                if (!addCopy.step())
                    throw Error(QStringLiteral("O pedido %1 da filial %2 não foi guardado.").arg(number, branch));
                copy = addCopy.value(0, FieldKind::Integer).toLongLong();
                addCopy.reset();
                // Another installation's order of the same number is someone
                // else's order: never replaced, but the clash must be seen.
                others.bind(QStringLiteral("F"), branch);
                others.bind(QStringLiteral("N"), number);
                others.bind(QStringLiteral("R"), copy);
                QStringList from;
                while (others.step())
                    from << origin(others.value(0, FieldKind::Text).toString(), others.value(1, FieldKind::Text).toString());
                others.reset();
                if (!from.isEmpty())
                    clashes << QStringLiteral("conflito de números: o pedido %1 da filial %2 chegou de %3 e já existe de %4; %5.")
                                   .arg(number, branch, origin(call.installation, call.user), spokenList(from),
                                        from.size() == 1 ? QStringLiteral("guardados os dois") : QStringLiteral("guardados todos"));
            }
            marcaRecebido(db, branch, number, call.installation);
            std::vector<LinhaHistorico> linhas;
            for (int i : itemsOf.value(key))
                linhas.push_back({text(items, i, QStringLiteral("NRITEMPED")), text(items, i, QStringLiteral("CDPRODUTO")),
                                  items.value(i, QStringLiteral("QTITEMPED")).toDouble(),
                                  items.value(i, QStringLiteral("VRPREUNITPED")).toDouble(),
                                  items.value(i, QStringLiteral("VRDESITPED")).toDouble()});
            historicoDoPedido(db, branch, number, client, orders.value(r, QStringLiteral("DTPEDIDO")), linhas);
            insertOrder.add(r, copy);
            for (int i : itemsOf.value(key))
                insertItem->add(i, copy);
            for (int n : notesOf.value(key))
                insertNote->add(n, copy);
        }
        // Nothing below reads the rows added: they go in a few statements.
        insertOrder.finish();
        for (RowInserter* rest : {insertItem.get(), insertNote.get()})
            if (rest)
                rest->finish();
    }
    std::string body;
    ResultWriter result(body);
    result.packet(refusedItems);
    result.packet(refusedOrders);
    result.packet(brokenRules);
    result.finish();
    return body;
}

// The write of a checked call: one short transaction; the clashes are logged
// once it is kept (a call that failed kept neither).
std::string writeCall(Connection& db, const Call& call, NewCustomers& newCustomers)
{
    std::string reply;
    QStringList clashes;
    const BeforeWrite known = readBeforeWrite(db, call);
    db.transaction([&] {
        // One call writes at a time, as SQLite's single writer has it: a
        // re-send racing its first call would otherwise find no copy in
        // either and clash on the key.
        if (db.engine() == Engine::Postgres)
            db.execScript(QStringLiteral("SELECT pg_advisory_xact_lock(1515148884)"));
        newCustomers.write(db);
        reply = storeOrders(db, call, known, newCustomers, clashes);
    });
    for (const QString& clash : clashes)
        writeLog(clash);
    return reply;
}

} // namespace

std::string setPedidosRequest(Connection& db, std::istream& body, const Chamador& who, const std::function<void()>& whole)
{
    // Decoded and checked before the write begins: other calls keep writing meanwhile.
    NewCustomers newCustomers(db);
    std::vector<WireValue> args;
    {
        StreamedCustomers customers(newCustomers);
        // Columns no table has are read past, never held.
        const QStringList tables[5] = {tableColumns(db, QStringLiteral("PEDIDO")), tableColumns(db, QStringLiteral("ITEMPEDIDO")),
                                       tableColumns(db, QStringLiteral("OBSPEDIDO")), tableColumns(db, QStringLiteral("CLIENTE")),
                                       tableColumns(db, QStringLiteral("ENDECLIE"))};
        ArgsDecoding how;
        how.streamed = {3, 4};
        how.consumer = &customers;
        how.keepsColumn = [&tables](int argument, const QString& column) {
            return argument < 0 || argument > 4 || tables[argument].contains(column, Qt::CaseInsensitive);
        };
        try {
            args = decodeArgs(body, how);
        } catch (const RequestError&) {
            throw;
        } catch (const WorkFailed& e) {
            throw Error(e.text());
        } catch (const Error& e) {
            throw RequestError(e.text()); // a request that does not decode is the client's fault
        }
    }
    if (whole)
        whole();
    const Call call = checkedCall(db, args, who);
    return writeCall(db, call, newCustomers);
}

std::string setPedidosRequest(Connection& db, std::string_view body, const Chamador& who)
{
    std::istringstream in{std::string(body)};
    return setPedidosRequest(db, in, who);
}

std::string setPedidos(Connection& db, const std::vector<WireValue>& args, const Chamador& who)
{
    const Call call = checkedCall(db, args, who);
    NewCustomers newCustomers(db);
    for (int argument : {3, 4}) {
        const Packet& p = *args[std::size_t(argument)].packet;
        newCustomers.begin(argument, p.columns());
        for (int r = 0; r < p.rowCount(); ++r)
            newCustomers.row(argument, p.row(r));
    }
    return writeCall(db, call, newCustomers);
}

void requireSessionBranch(const WireValue& branch, const Chamador& who)
{
    if (branch.kind != WireValue::Text || branch.text.trimmed() != who.filial.trimmed())
        throw ForbiddenError(
            QStringLiteral("A sessão é da filial %1 e não pode chamar o servidor de aplicação por outra filial.").arg(who.filial));
}

} // namespace zov::server
