#pragma once
// The demo company: small and coherent, so that every road of the client can
// be walked against it (login in both branches, orders with every payment
// kind, price lists in and out of validity, customers of every kind,
// inactive product and customer). --scale adds a large bulk on top of it.
#include "server/sql_connection.h"

namespace zov::server {

struct DemoOperator {
    const char* code;     // as stored: 12 digits
    const char* typed;    // as typed at the login
    const char* password; // as typed
    const char* name;
};
extern const DemoOperator kDemoOperators[3];

// Fills a database made by createServerDatabase; one transaction.
void fillDemoCompany(Connection& db);
// The demo company plus n × 10 000 products and customers and n × 50 000
// price items; one transaction, prepared statements.
void fillScaleCompany(Connection& db, int n);

} // namespace zov::server
