#pragma once
// A zov-appserver running in-process on 127.0.0.1 with an ephemeral port,
// over a fresh server database, reached through the client's own connection.
#include "tests/support/running_server.h"
#include "transfer/netconnection.h"

#include <gtest/gtest.h>
#include <memory>

namespace zov::test {

class ServerFixture : public ::testing::Test {
protected:
    // true: the demo company; false: empty tables.
    explicit ServerFixture(bool demo = false) : demo_(demo) {}
    void SetUp() override;
    void TearDown() override;

    // A connection of the test's own to the server database.
    server::Connection& db() { return server_->db(); }
    const QString& path() const { return server_->path(); }
    int port() const { return server_->port(); }

    // getTabelas with per-slot watermarks (slots 11 and 23 are always sent null).
    std::vector<Packet> getTabelas(const QVariantList& lastUpdate, const QVariantList& inserted);
    // SetPedidos with the five packets, branch 0001 and a workstation user.
    std::vector<Packet> setPedidos(const Packet& orders, const Packet& items, const Packet& notes, const Packet& customers,
                                   const Packet& addresses);
    int count(const QString& table, const QString& where = {});

    TNetConnection expDados{QStringLiteral("PAD.rdmExpDados")};
    TNetConnection impPedidos{QStringLiteral("PAD.rdmImpPedidos")};

private:
    bool demo_;
    std::unique_ptr<RunningServer> server_;
};

// 24 watermarks, all the same value (slots 11 and 23 null).
QVariantList sameForAll(const QVariant& value);
// Text of the error a call raises, or "<no error>".
QString errorOf(const std::function<void()>& f);

} // namespace zov::test
