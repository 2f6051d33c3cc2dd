// SetPedidos: stores the orders whose customer and products are active here,
// reports the others, and adds the customers and addresses not known yet.
// An order is known by branch, number and workstation user. The whole call is
// one transaction.
#include "server/received_orders.h"
#include "server/remote_methods.h"

#include <QHash>

namespace zov::server {

namespace {

const char* const kPacketNames[] = {"pedidos", "itens", "observações", "clientes", "endereços"};

QStringList tableColumns(Database& db, const QString& table)
{
    QStringList names;
    Statement st(db, QStringLiteral("SELECT name FROM pragma_table_info(:T)"));
    st.bind(QStringLiteral("T"), table);
    while (st.step())
        names << st.value(0, FieldKind::Text).toString().toUpper();
    return names;
}

const QString kReceivedId = QStringLiteral("IDRECEBIDO");

// Inserts packet rows into a table: the packet's columns the table knows, the
// others ignored. The tables of a received copy also get the copy's id, which
// is the server's own: a packet column of that name is ignored too.
class RowInserter {
public:
    enum Copy { Plain, OfReceivedCopy };
    RowInserter(Database& db, const QString& table, const Packet& packet, Copy copy = Plain)
        : packet_(packet), copy_(copy == OfReceivedCopy)
    {
        const QStringList known = tableColumns(db, table);
        QStringList names, marks;
        if (copy_) {
            names << kReceivedId;
            marks << QStringLiteral("?");
        }
        for (int c = 0; c < packet.columnCount(); ++c) {
            const QString name = packet.columns()[std::size_t(c)].name;
            if (known.contains(name) && !(copy_ && name == kReceivedId)) {
                columns_.push_back(c);
                names << name;
                marks << QStringLiteral("?");
            }
        }
        st_ = std::make_unique<Statement>(db, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                                   .arg(table, names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))));
    }
    void insert(int row, qint64 copyId = 0) { insertValues(packet_.row(row), copyId); }
    // A row of a packet with these columns (one read while the request is decoded).
    void insertValues(const PacketRow& values, qint64 copyId = 0)
    {
        const int first = copy_ ? 2 : 1;
        if (copy_)
            st_->bindAt(1, copyId);
        for (std::size_t i = 0; i < columns_.size(); ++i)
            st_->bindAt(int(i) + first, values.value(columns_[i]));
        st_->exec();
    }

private:
    const Packet& packet_;
    bool copy_;
    std::vector<int> columns_;
    std::unique_ptr<Statement> st_;
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

QString quotedUser(const QString& user) { return user.isEmpty() ? QStringLiteral("(sem usuário)") : QStringLiteral("\"%1\"").arg(user); }

// "a", "a e b", "a, b e c"
QString spokenList(const QStringList& words)
{
    if (words.size() < 2)
        return words.join(QString());
    return words.mid(0, words.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" e ") + words.last();
}

[[noreturn]] void missingKey(int argument, int row)
{
    throw RequestError(QStringLiteral("SetPedidos: a linha %1 do pacote de %2 não tem a chave preenchida.")
                           .arg(row + 1)
                           .arg(QString::fromUtf8(kPacketNames[argument])));
}

// The customers (argument 4) or their addresses (argument 5) this server does
// not know yet are added; its own copy wins for the ones it knows, so a
// customer made inactive here stays inactive. Row by row, so a hundred
// thousand of them never need to be held.
class NewCustomerRows {
public:
    NewCustomerRows(Database& db, int argument, const Packet& columns)
        : argument_(argument),
          code_(columns.columnIndex(QStringLiteral("CDCLIENTE"))),
          kind_(argument == 4 ? columns.columnIndex(QStringLiteral("IDTPENDECLIE")) : -1),
          known_(db, argument == 3 ? QStringLiteral("SELECT 1 FROM CLIENTE WHERE CDCLIENTE = :C")
                                   : QStringLiteral("SELECT 1 FROM ENDECLIE WHERE CDCLIENTE = :C AND IDTPENDECLIE = :T")),
          insert_(db, argument == 3 ? QStringLiteral("CLIENTE") : QStringLiteral("ENDECLIE"), columns)
    {
    }
    void row(const PacketRow& values)
    {
        if (rows_++ == 0) {
            if (code_ < 0)
                missingColumn("CDCLIENTE");
            if (argument_ == 4 && kind_ < 0)
                missingColumn("IDTPENDECLIE");
        }
        const QString code = values.value(code_).toString().trimmed();
        const QString kind = kind_ >= 0 ? values.value(kind_).toString().trimmed() : QString();
        if (code.isEmpty() || (argument_ == 4 && kind.isEmpty()))
            missingKey(argument_, rows_ - 1);
        known_.bind(QStringLiteral("C"), code);
        if (argument_ == 4)
            known_.bind(QStringLiteral("T"), kind);
        const bool exists = known_.step();
        known_.reset();
        if (!exists)
            insert_.insertValues(values);
    }

private:
    [[noreturn]] void missingColumn(const char* column)
    {
        throw RequestError(QStringLiteral("SetPedidos: o pacote de %1 não tem a coluna %2.")
                               .arg(QString::fromUtf8(kPacketNames[argument_]), QLatin1String(column)));
    }
    int argument_;
    int code_, kind_;
    Statement known_;
    RowInserter insert_;
    int rows_ = 0;
};

// The database failed under the decoder: the server's fault, not the request's.
class WorkFailed : public Error {
public:
    using Error::Error;
};

// Hands the customers and addresses of a request to NewCustomerRows while
// it is decoded.
class StreamedCustomers final : public ReplyConsumer {
public:
    explicit StreamedCustomers(Database& db) : db_(db) {}
    void beginPacket(int index, const std::vector<PacketColumn>& columns) override
    {
        columns_ = std::make_unique<Packet>(columns);
        rows_ = std::make_unique<NewCustomerRows>(db_, index, *columns_);
    }
    void packetRow(int, PacketRow& values) override
    {
        try {
            rows_->row(values);
        } catch (const RequestError&) {
            throw;
        } catch (const Error& e) {
            throw WorkFailed(e.text());
        }
    }
    void endPacket(int) override
    {
        rows_.reset();
        columns_.reset();
    }

private:
    Database& db_;
    std::unique_ptr<Packet> columns_;
    std::unique_ptr<NewCustomerRows> rows_;
};

} // namespace

std::string setPedidosRequest(Database& db, std::string_view body)
{
    std::string reply;
    db.transaction([&] {
        StreamedCustomers customers(db);
        std::vector<WireValue> args;
        try {
            args = decodeArgs(body, {3, 4}, &customers);
        } catch (const RequestError&) {
            throw;
        } catch (const WorkFailed& e) {
            throw Error(e.text());
        } catch (const Error& e) {
            throw RequestError(e.text()); // a request that does not decode is the client's fault
        }
        reply = setPedidos(db, args);
    });
    return reply;
}

std::string setPedidos(Database& db, const std::vector<WireValue>& args)
{
    if (args.size() != 7)
        throw RequestError(QStringLiteral("SetPedidos espera 7 argumentos e recebeu %1.").arg(args.size()));
    for (int i = 0; i < 5; ++i) {
        if (args[std::size_t(i)].kind != WireValue::PacketValue)
            throw RequestError(QStringLiteral("SetPedidos: o argumento %1 deve ser um pacote de dados e é %2.")
                                   .arg(i + 1)
                                   .arg(args[std::size_t(i)].describe()));
    }
    for (int i = 5; i < 7; ++i) {
        if (!args[std::size_t(i)].isNull() && args[std::size_t(i)].kind != WireValue::Text)
            throw RequestError(QStringLiteral("SetPedidos: o argumento %1 deve ser um texto.").arg(i + 1));
    }
    const Packet& orders = *args[0].packet;
    const Packet& items = *args[1].packet;
    const Packet& notes = *args[2].packet;
    const Packet& customers = *args[3].packet;
    const Packet& addresses = *args[4].packet;
    const QString sendingBranch = args[5].text;
    // The workstation user is part of the order's key: null and blank are both ''.
    const QString userName = args[6].text.trimmed();
    requireColumns(orders, 0, {"CDFILIAL", "NRPEDIDO", "CDCLIENTE"});
    requireColumns(items, 1, {"CDFILIAL", "NRPEDIDO", "NRITEMPED", "CDPRODUTO"});
    requireColumns(notes, 2, {"CDFILIAL", "NRPEDIDO"});
    requireColumns(customers, 3, {"CDCLIENTE"});
    requireColumns(addresses, 4, {"CDCLIENTE", "IDTPENDECLIE"});

    Packet refusedItems({{"NRPEDIDO", ColumnType::Text},
                         {"CDARVPROD", ColumnType::Text},
                         {"NMPRODUTO", ColumnType::Text},
                         {"CDFILIAL", ColumnType::Text}});
    Packet refusedOrders({{"CDCLIENTE", ColumnType::Text},
                          {"IDCLIEATIV", ColumnType::Text},
                          {"NRPEDIDO", ColumnType::Text},
                          {"NRINSJURCLIE", ColumnType::Text},
                          {"NMFANTCLIE", ColumnType::Text}});

    QStringList clashes;
    db.transaction([&] {
        for (int argument : {3, 4}) {
            const Packet& p = *args[std::size_t(argument)].packet;
            if (p.rowCount() == 0)
                continue;
            NewCustomerRows rows(db, argument, p);
            for (int r = 0; r < p.rowCount(); ++r)
                rows.row(p.row(r));
        }
        if (orders.rowCount() == 0)
            return;

        QHash<QString, QVector<int>> itemsOf, notesOf;
        for (int r = 0; r < items.rowCount(); ++r) {
            const QString order = text(items, r, QStringLiteral("NRPEDIDO"));
            if (order.isEmpty() || text(items, r, QStringLiteral("CDFILIAL")).isEmpty())
                missingKey(1, r);
            itemsOf[orderKey(text(items, r, QStringLiteral("CDFILIAL")), order)] << r;
        }
        for (int r = 0; r < notes.rowCount(); ++r) {
            const QString order = text(notes, r, QStringLiteral("NRPEDIDO"));
            if (order.isEmpty() || text(notes, r, QStringLiteral("CDFILIAL")).isEmpty())
                missingKey(2, r);
            notesOf[orderKey(text(notes, r, QStringLiteral("CDFILIAL")), order)] << r;
        }

        Statement customer(db, QStringLiteral("SELECT IDCLIEATIV, NRINSJURCLIE, NMFANTCLIE FROM CLIENTE WHERE CDCLIENTE = :C"));
        Statement product(db, QStringLiteral("SELECT CDARVPROD, NMPRODUTO, IDPRODATIVPR FROM PRODUTO WHERE CDPRODUTO = :P"));
        const QString stamp = QStringLiteral("strftime('%Y-%m-%d %H:%M:%f','now','localtime')");
        Statement findCopy(db, QStringLiteral("SELECT IDRECEBIDO FROM PEDIDORECEBIDO WHERE CDFILIAL = :F AND NRPEDIDO = :N AND NMUSUARIO = ifnull(:U, '')"));
        Statement otherUsers(db, QStringLiteral("SELECT NMUSUARIO FROM PEDIDORECEBIDO WHERE CDFILIAL = :F AND NRPEDIDO = :N "
                                                "AND NMUSUARIO <> ifnull(:U, '') ORDER BY NMUSUARIO"));
        Statement addCopy(db, QStringLiteral("INSERT INTO PEDIDORECEBIDO (CDFILIAL, NRPEDIDO, NMUSUARIO, CDFILIALENV, DTRECEBIDO) "
                                             "VALUES (:F, :N, ifnull(:U, ''), :E, %1)")
                                  .arg(stamp));
        Statement renewCopy(db, QStringLiteral("UPDATE PEDIDORECEBIDO SET CDFILIALENV = :E, DTRECEBIDO = %1 WHERE IDRECEBIDO = :I").arg(stamp));
        Statement dropOrder(db, QStringLiteral("DELETE FROM PEDIDOREC WHERE IDRECEBIDO = :I"));
        Statement dropItems(db, QStringLiteral("DELETE FROM ITEMPEDIDOREC WHERE IDRECEBIDO = :I"));
        Statement dropNote(db, QStringLiteral("DELETE FROM OBSPEDIDOREC WHERE IDRECEBIDO = :I"));
        RowInserter insertOrder(db, QStringLiteral("PEDIDOREC"), orders, RowInserter::OfReceivedCopy);
        std::unique_ptr<RowInserter> insertItem, insertNote;
        if (items.rowCount() > 0)
            insertItem = std::make_unique<RowInserter>(db, QStringLiteral("ITEMPEDIDOREC"), items, RowInserter::OfReceivedCopy);
        if (notes.rowCount() > 0)
            insertNote = std::make_unique<RowInserter>(db, QStringLiteral("OBSPEDIDOREC"), notes, RowInserter::OfReceivedCopy);

        for (int r = 0; r < orders.rowCount(); ++r) {
            const QString branch = text(orders, r, QStringLiteral("CDFILIAL"));
            const QString number = text(orders, r, QStringLiteral("NRPEDIDO"));
            if (branch.isEmpty() || number.isEmpty())
                missingKey(0, r);
            const QString key = orderKey(branch, number);
            bool refused = false;

            for (int i : itemsOf.value(key)) {
                const QString code = text(items, i, QStringLiteral("CDPRODUTO"));
                product.bind(QStringLiteral("P"), code);
                if (!product.step()) {
                    refusedItems.addRow({number, QVariant(), QStringLiteral("Produto %1 não cadastrado no servidor").arg(code), branch});
                    refused = true;
                } else if (product.value(2, FieldKind::Text).toString() != QLatin1String("S")) {
                    refusedItems.addRow({number, product.value(0, FieldKind::Text), product.value(1, FieldKind::Text), branch});
                    refused = true;
                }
                product.reset();
            }

            const QString client = text(orders, r, QStringLiteral("CDCLIENTE"));
            customer.bind(QStringLiteral("C"), client);
            if (!customer.step()) {
                refusedOrders.addRow({client, QVariant(), number, QVariant(), QStringLiteral("Cliente não cadastrado no servidor")});
                refused = true;
            } else if (customer.value(0, FieldKind::Text).toString() != QLatin1String("S")) {
                refusedOrders.addRow({client, customer.value(0, FieldKind::Text), number, customer.value(1, FieldKind::Text),
                                      customer.value(2, FieldKind::Text)});
                refused = true;
            }
            customer.reset();
            if (refused)
                continue;

            // The copy this user sent before is replaced, rows and all, so an
            // item or observation removed since is gone too.
            for (Statement* st : {&findCopy, &otherUsers, &addCopy}) {
                st->bind(QStringLiteral("F"), branch);
                st->bind(QStringLiteral("N"), number);
                st->bind(QStringLiteral("U"), userName);
            }
            qint64 copy = 0;
            const bool resent = findCopy.step();
            if (resent)
                copy = findCopy.value(0, FieldKind::Integer).toLongLong();
            findCopy.reset();
            if (resent) {
                for (Statement* drop : {&dropOrder, &dropItems, &dropNote}) {
                    drop->bind(QStringLiteral("I"), copy);
                    drop->exec();
                }
                renewCopy.bind(QStringLiteral("E"), sendingBranch);
                renewCopy.bind(QStringLiteral("I"), copy);
                renewCopy.exec();
            } else {
                // Another user's order of the same number is someone else's
                // order: never replaced, but the clash must be seen.
                QStringList others;
                while (otherUsers.step())
                    others << quotedUser(otherUsers.value(0, FieldKind::Text).toString());
                otherUsers.reset();
                if (!others.isEmpty())
                    clashes << QStringLiteral("conflito de números: o pedido %1 da filial %2 chegou de %3 e já existe de %4; %5.")
                                   .arg(number, branch, quotedUser(userName), spokenList(others),
                                        others.size() == 1 ? QStringLiteral("guardados os dois") : QStringLiteral("guardados todos"));
                addCopy.bind(QStringLiteral("E"), sendingBranch);
                addCopy.exec();
                copy = db.scalar(QStringLiteral("SELECT last_insert_rowid()")).toLongLong();
            }
            insertOrder.insert(r, copy);
            for (int i : itemsOf.value(key))
                insertItem->insert(i, copy);
            for (int n : notesOf.value(key))
                insertNote->insert(n, copy);
        }
    });

    // Told once the orders are kept: a call that failed kept neither.
    for (const QString& clash : clashes)
        writeLog(clash);

    std::string body;
    ResultWriter result(body);
    result.packet(refusedItems);
    result.packet(refusedOrders);
    result.finish();
    return body;
}

} // namespace zov::server
