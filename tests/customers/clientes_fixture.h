#pragma once
// Small geography and customers for the customer window's tests.
#include "library/database.h"
#include "tests/support/temp_database.h"

#include <QStringList>

namespace zov::test {

// Valid numbers (check digits verified).
inline const QString kCpfA = QStringLiteral("52998224725");
inline const QString kCpfB = QStringLiteral("11144477735");
inline const QString kCpfC = QStringLiteral("12345678909");
inline const QString kCnpjA = QStringLiteral("11222333000181");
inline const QString kCnpjB = QStringLiteral("11444777000161");

// Brasil with SP (São Paulo 0001 with Centro 0000000001, Campinas 0002) and RJ (Rio 0001).
inline void semeiaGeografia(Database& db)
{
    insertRow(db, QStringLiteral("PAIS"),
              {{QStringLiteral("CDPAIS"), QStringLiteral("0001")}, {QStringLiteral("NMPAIS"), QStringLiteral("BRASIL")}});
    insertRow(db, QStringLiteral("PAIS"),
              {{QStringLiteral("CDPAIS"), QStringLiteral("0002")}, {QStringLiteral("NMPAIS"), QStringLiteral("ARGENTINA")}});
    for (const auto& e : {std::pair{"SP", "SAO PAULO"}, std::pair{"RJ", "RIO DE JANEIRO"}})
        insertRow(db, QStringLiteral("ESTADO"),
                  {{QStringLiteral("CDPAIS"), QStringLiteral("0001")},
                   {QStringLiteral("SGESTADO"), QString::fromLatin1(e.first)},
                   {QStringLiteral("NMESTADO"), QString::fromLatin1(e.second)}});
    auto municipio = [&](const char* uf, const char* cd, const char* nome) {
        insertRow(db, QStringLiteral("MUNICIPIO"),
                  {{QStringLiteral("CDPAIS"), QStringLiteral("0001")},
                   {QStringLiteral("SGESTADO"), QString::fromLatin1(uf)},
                   {QStringLiteral("CDMUNICIPIO"), QString::fromLatin1(cd)},
                   {QStringLiteral("NMMUNICIPIO"), QString::fromLatin1(nome)}});
    };
    municipio("SP", "0001", "SAO PAULO");
    municipio("SP", "0002", "CAMPINAS");
    municipio("RJ", "0001", "RIO DE JANEIRO");
    insertRow(db, QStringLiteral("BAIRRO"),
              {{QStringLiteral("CDPAIS"), QStringLiteral("0001")},
               {QStringLiteral("SGESTADO"), QStringLiteral("SP")},
               {QStringLiteral("CDMUNICIPIO"), QStringLiteral("0001")},
               {QStringLiteral("CDBAIRRO"), QStringLiteral("0000000001")},
               {QStringLiteral("NMBAIRRO"), QStringLiteral("CENTRO")}});
    insertRow(db, QStringLiteral("BAIRRO"),
              {{QStringLiteral("CDPAIS"), QStringLiteral("0001")},
               {QStringLiteral("SGESTADO"), QStringLiteral("SP")},
               {QStringLiteral("CDMUNICIPIO"), QStringLiteral("0002")},
               {QStringLiteral("CDBAIRRO"), QStringLiteral("0000000002")},
               {QStringLiteral("NMBAIRRO"), QStringLiteral("CAMBUI")}});
}

inline void insereCliente(Database& db, const QString& codigo, const QString& kind, const QString& numero, const QString& nome)
{
    insertRow(db, QStringLiteral("CLIENTE"),
              {{QStringLiteral("CDCLIENTE"), codigo},
               {QStringLiteral("IDTPIJURCLIE"), kind},
               {QStringLiteral("NRINSJURCLIE"), numero},
               {QStringLiteral("NMRAZSOCCLIE"), nome},
               {QStringLiteral("NMFANTCLIE"), nome},
               {QStringLiteral("IDCLIEATIV"), QStringLiteral("S")}});
}

inline void insereEndereco(Database& db, const QString& codigo, const QString& tipo, const QString& municipio = QStringLiteral("0001"))
{
    insertRow(db, QStringLiteral("ENDECLIE"),
              {{QStringLiteral("CDCLIENTE"), codigo},
               {QStringLiteral("IDTPENDECLIE"), tipo},
               {QStringLiteral("CDPAIS"), QStringLiteral("0001")},
               {QStringLiteral("SGESTADO"), QStringLiteral("SP")},
               {QStringLiteral("CDMUNICIPIO"), municipio},
               {QStringLiteral("DSENDECLIE"), QStringLiteral("RUA ") + tipo},
               {QStringLiteral("DSCOMPENDCLI"), QStringLiteral("FUNDOS")}});
}

} // namespace zov::test
