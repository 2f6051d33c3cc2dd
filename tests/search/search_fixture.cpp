#include "tests/search/search_fixture.h"

namespace zov::test {

void seedGeography(Database& db)
{
    const QList<QPair<QString, QString>> paises{{"0055", "BRASIL"}, {"0054", "ARGENTINA"}, {"0595", "PARAGUAI"}, {"0598", "URUGUAI"}};
    for (const auto& [cd, nm] : paises)
        insertRow(db, "PAIS", {{"CDPAIS", cd}, {"NMPAIS", nm}});
    insertRow(db, "ESTADO", {{"CDPAIS", "0055"}, {"SGESTADO", "SP"}, {"NMESTADO", "SÃO PAULO"}});
    insertRow(db, "ESTADO", {{"CDPAIS", "0055"}, {"SGESTADO", "RJ"}, {"NMESTADO", "RIO DE JANEIRO"}});
    const QList<QStringList> municipios{
        {"SP", "0001", "SÃO PAULO"}, {"SP", "0002", "CAMPINAS"}, {"RJ", "0001", "RIO DE JANEIRO"}, {"RJ", "0002", "NITERÓI"}};
    for (const QStringList& m : municipios)
        insertRow(db, "MUNICIPIO", {{"CDPAIS", "0055"}, {"SGESTADO", m[0]}, {"CDMUNICIPIO", m[1]}, {"NMMUNICIPIO", m[2]}});
}

void seedCustomers(Database& db)
{
    const QList<QStringList> clientes{{"000000000000000000001", "JOÃO DA SILVA", "SP", "0001"},
                                      {"000000000000000000002", "MARIA APARECIDA", "SP", "0002"},
                                      {"000000000000000000003", "JOSÉ CONCEIÇÃO", "RJ", "0001"},
                                      {"000000000000000000004", "ANA LÚCIA", "RJ", "0002"},
                                      {"000000000000000000005", "PEDRO ÁLVARES", "SP", "0001"}};
    for (const QStringList& c : clientes) {
        insertRow(db, "CLIENTE", {{"CDCLIENTE", c[0]}, {"NMFANTCLIE", c[1]}, {"NMRAZSOCCLIE", c[1] + " LTDA"}});
        insertRow(db, "ENDECLIE",
                  {{"CDCLIENTE", c[0]}, {"IDTPENDECLIE", "P"}, {"CDPAIS", "0055"}, {"SGESTADO", c[2]}, {"CDMUNICIPIO", c[3]}});
    }
}

void openLookup(Query& q, const QString& sql, const QString& keyField)
{
    q.setSql(sql);
    q.setParam("P_" + keyField, QString());
    q.setParam("P_T" + keyField, "T");
    q.open();
}

} // namespace zov::test
