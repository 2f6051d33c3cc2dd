#include "tests/server/server_fixture.h"

#include "library/errors.h"
#include "protocol/protocol_slots.h"
#include "session/GeralZOV.h"

namespace zov::test {

void ServerFixture::SetUp()
{
    server_ = std::make_unique<RunningServer>(demo_);
    SetIPAcesso(QStringLiteral("127.0.0.1"));
    SetPorta(server_->port());
    expDados.setTimeouts({5000, 30000});
    impPedidos.setTimeouts({5000, 30000});
}

void ServerFixture::TearDown()
{
    server_.reset();
    ClearSession();
}

std::vector<Packet> ServerFixture::getTabelas(const QVariantList& lastUpdate, const QVariantList& inserted)
{
    RemoteArgs args;
    args.add(QStringLiteral("0001")).add(lastUpdate).add(inserted);
    return CheckResultServ(expDados.AppServer(QStringLiteral("getTabelas"), args));
}

std::vector<Packet> ServerFixture::setPedidos(const Packet& orders, const Packet& items, const Packet& notes, const Packet& customers,
                                              const Packet& addresses)
{
    RemoteArgs args;
    args.add(orders).add(items).add(notes).add(customers).add(addresses).add(QStringLiteral("0001")).add(QStringLiteral("maria.pc"));
    return CheckResultServ(impPedidos.AppServer(QStringLiteral("SetPedidos"), args));
}

int ServerFixture::count(const QString& table, const QString& where)
{
    return db()
        .scalar(QStringLiteral("SELECT COUNT(*) FROM %1%2").arg(table, where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where))
        .toInt();
}

QVariantList sameForAll(const QVariant& value)
{
    QVariantList list;
    for (int i = 0; i < kSlotCount; ++i)
        list << (i == 11 || i == 23 ? QVariant() : value);
    return list;
}

QString errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const Error& e) {
        return e.text();
    }
    return QStringLiteral("<no error>");
}

} // namespace zov::test
