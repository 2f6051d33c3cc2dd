// SetPedidos: stores the orders whose customer and products are active here,
// reports the others, and adds the customers and addresses not known yet.
// The whole call is one transaction.
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

// Inserts packet rows into a table: the packet's columns the table knows, the
// others ignored.
class RowInserter {
public:
    RowInserter(Database& db, const QString& table, const Packet& packet) : packet_(packet)
    {
        const QStringList known = tableColumns(db, table);
        QStringList names, marks;
        for (int c = 0; c < packet.columnCount(); ++c) {
            const QString name = packet.columns()[std::size_t(c)].name;
            if (known.contains(name)) {
                columns_.push_back(c);
                names << name;
                marks << QStringLiteral("?");
            }
        }
        st_ = std::make_unique<Statement>(db, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                                   .arg(table, names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))));
    }
    void insert(int row)
    {
        for (std::size_t i = 0; i < columns_.size(); ++i)
            st_->bindAt(int(i) + 1, packet_.value(row, columns_[i]));
        st_->exec();
    }

private:
    const Packet& packet_;
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

[[noreturn]] void missingKey(int argument, int row)
{
    throw RequestError(QStringLiteral("SetPedidos: a linha %1 do pacote de %2 não tem a chave preenchida.")
                           .arg(row + 1)
                           .arg(QString::fromUtf8(kPacketNames[argument])));
}

} // namespace

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
    const QString userName = args[6].text;
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

    db.transaction([&] {
        // Customers and addresses this server does not know yet; its own copy wins.
        if (customers.rowCount() > 0) {
            Statement known(db, QStringLiteral("SELECT 1 FROM CLIENTE WHERE CDCLIENTE = :C"));
            RowInserter insert(db, QStringLiteral("CLIENTE"), customers);
            for (int r = 0; r < customers.rowCount(); ++r) {
                const QString code = text(customers, r, QStringLiteral("CDCLIENTE"));
                if (code.isEmpty())
                    missingKey(3, r);
                known.bind(QStringLiteral("C"), code);
                const bool exists = known.step();
                known.reset();
                if (!exists)
                    insert.insert(r);
            }
        }
        if (addresses.rowCount() > 0) {
            Statement known(db, QStringLiteral("SELECT 1 FROM ENDECLIE WHERE CDCLIENTE = :C AND IDTPENDECLIE = :T"));
            RowInserter insert(db, QStringLiteral("ENDECLIE"), addresses);
            for (int r = 0; r < addresses.rowCount(); ++r) {
                const QString code = text(addresses, r, QStringLiteral("CDCLIENTE"));
                const QString kind = text(addresses, r, QStringLiteral("IDTPENDECLIE"));
                if (code.isEmpty() || kind.isEmpty())
                    missingKey(4, r);
                known.bind(QStringLiteral("C"), code);
                known.bind(QStringLiteral("T"), kind);
                const bool exists = known.step();
                known.reset();
                if (!exists)
                    insert.insert(r);
            }
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
        Statement dropOrder(db, QStringLiteral("DELETE FROM PEDIDO WHERE CDFILIAL = :F AND NRPEDIDO = :N"));
        Statement dropItems(db, QStringLiteral("DELETE FROM ITEMPEDIDO WHERE CDFILIAL = :F AND NRPEDIDO = :N"));
        Statement dropNote(db, QStringLiteral("DELETE FROM OBSPEDIDO WHERE CDFILIAL = :F AND NRPEDIDO = :N"));
        Statement received(db, QStringLiteral("INSERT OR REPLACE INTO PEDIDORECEBIDO (CDFILIAL, NRPEDIDO, CDFILIALENV, NMUSUARIO, DTRECEBIDO) "
                                              "VALUES (:F, :N, :E, :U, strftime('%Y-%m-%d %H:%M:%f','now','localtime'))"));
        RowInserter insertOrder(db, QStringLiteral("PEDIDO"), orders);
        std::unique_ptr<RowInserter> insertItem, insertNote;
        if (items.rowCount() > 0)
            insertItem = std::make_unique<RowInserter>(db, QStringLiteral("ITEMPEDIDO"), items);
        if (notes.rowCount() > 0)
            insertNote = std::make_unique<RowInserter>(db, QStringLiteral("OBSPEDIDO"), notes);

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

            // A resent order replaces the copy stored before.
            for (Statement* drop : {&dropOrder, &dropItems, &dropNote}) {
                drop->bind(QStringLiteral("F"), branch);
                drop->bind(QStringLiteral("N"), number);
                drop->exec();
            }
            insertOrder.insert(r);
            for (int i : itemsOf.value(key))
                insertItem->insert(i);
            for (int n : notesOf.value(key))
                insertNote->insert(n);
            received.bind(QStringLiteral("F"), branch);
            received.bind(QStringLiteral("N"), number);
            received.bind(QStringLiteral("E"), sendingBranch);
            received.bind(QStringLiteral("U"), userName);
            received.exec();
        }
    });

    std::string body;
    ResultWriter result(body);
    result.packet(refusedItems);
    result.packet(refusedOrders);
    result.finish();
    return body;
}

} // namespace zov::server
