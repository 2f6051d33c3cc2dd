#pragma once
// Reference rows an order can be taken with: a branch, an operator's
// salesperson, customers with and without price lists of their own, payment
// methods of each kind, price lists and operation types.
#include "library/database.h"
#include "library/relogio.h"
#include "tests/support/temp_database.h"

namespace zov::test {

// CPF 123.456.789-09: customer "C1", active, default method 00001, no lists of its own.
inline const QString kCpfLoja = QStringLiteral("12345678909");
// CNPJ 11.222.333/0001-81: customer "C2", with lists 02 (main) and 03.
inline const QString kCnpjAtacado = QStringLiteral("11222333000181");
// CPF 529.982.247-25: customer "C3", inactive.
inline const QString kCpfInativo = QStringLiteral("52998224725");

inline void semeiaPedidos(Database& d)
{
    auto row = [&](const char* table, std::initializer_list<std::pair<const char*, QVariant>> values) {
        QVariantMap m;
        for (const auto& [k, v] : values)
            m.insert(QString::fromLatin1(k), v);
        insertRow(d, QString::fromLatin1(table), m);
    };
    row("FILIAL", {{"CDFILIAL", "0001"}, {"NMFILIAL", "MATRIZ"}});
    row("FILIAL", {{"CDFILIAL", "0002"}, {"NMFILIAL", "DEPOSITO SUL"}});
    row("PRECOBASE", {{"CDPRECOBASE", "01"}, {"DSPRECOBASE", "TABELA VAREJO"}});
    row("PRECOBASE", {{"CDPRECOBASE", "02"}, {"DSPRECOBASE", "TABELA ATACADO"}});
    row("PRECOBASE", {{"CDPRECOBASE", "03"}, {"DSPRECOBASE", "TABELA ESPECIAL"}});
    row("VENDEDOR", {{"CDVENDEDOR", "0001"}, {"NMFANVEN", "ANA"}, {"CDOPERADOR", "ANA"}, {"VRPECOMVEN", 2.5}, {"CDPRECOBASE", "01"}});
    row("VENDEDOR", {{"CDVENDEDOR", "0002"}, {"NMFANVEN", "BRUNO"}, {"CDOPERADOR", "BRUNO"}, {"CDPRECOBASE", "03"}});
    row("FORMPGTO", {{"CDFORMPGTO", "01"}, {"NMFORMPGTO", "BOLETO"}});
    row("MODPGTO", {{"CDMODPGTO", "00001"}, {"DSMODPGTO", "A VISTA"}, {"IDTPFORPGTOMOD", "X"}});
    row("MODPGTO",
        {{"CDMODPGTO", "00002"},
         {"DSMODPGTO", "DIA 10 EM 3X"},
         {"IDTPFORPGTOMOD", "F"},
         {"NRDIAPGFIXMOD", 10},
         {"NRPARCPGTOMOD", 3},
         {"IDUTDIAPAGMOD", "E"},
         {"CDFORMPGTO", "01"}});
    row("MODPGTO", {{"CDMODPGTO", "00003"}, {"DSMODPGTO", "PELA FORMA"}, {"IDTPFORPGTOMOD", "V"}});
    row("MODPGTO", {{"CDMODPGTO", "00004"}, {"DSMODPGTO", "DIA 45"}, {"IDTPFORPGTOMOD", "F"}, {"NRDIAPGFIXMOD", 45}, {"NRPARCPGTOMOD", 1}});
    row("PRECOUTI", {{"NRSEQPREUTI", "1"}, {"CDEMPRESA", "01"}, {"CDMODPGTO", "00002"}, {"CDPRECOBASE", "03"}, {"VRPEADPBASE", 2.0}});
    row("PRECOUTI", {{"NRSEQPREUTI", "2"}, {"CDEMPRESA", "01"}, {"CDMODPGTO", "00001"}, {"CDPRECOBASE", "01"}, {"VRPEADPBASE", 0.0}});
    row("TIPOOPERAC", {{"CDTIPOOPER", "01"}, {"NMTIPOOPER", "VENDA"}, {"IDENTRSAIDOP", "S"}, {"IDORIGDESTOP", "C"}});
    row("TIPOOPERAC", {{"CDTIPOOPER", "02"}, {"NMTIPOOPER", "TRANSFERENCIA"}, {"IDENTRSAIDOP", "S"}, {"IDORIGDESTOP", "L"}});
    row("TIPOOPERAC", {{"CDTIPOOPER", "05"}, {"NMTIPOOPER", "DEVOLUCAO"}, {"IDENTRSAIDOP", "E"}});
    row("CLIENTE",
        {{"CDCLIENTE", "C1"},
         {"IDTPIJURCLIE", "F"},
         {"NRINSJURCLIE", kCpfLoja},
         {"NMFANTCLIE", "LOJA DA ESQUINA"},
         {"IDCLIEATIV", "S"},
         {"CDMODPGTO", "00001"},
         {"CDVENDEDOR", "0001"}});
    row("CLIENTE",
        {{"CDCLIENTE", "C2"},
         {"IDTPIJURCLIE", "J"},
         {"NRINSJURCLIE", kCnpjAtacado},
         {"NMFANTCLIE", "ATACADO CENTRAL"},
         {"IDCLIEATIV", "S"},
         {"CDMODPGTO", "00002"}});
    row("CLIENTE",
        {{"CDCLIENTE", "C3"}, {"IDTPIJURCLIE", "F"}, {"NRINSJURCLIE", kCpfInativo}, {"NMFANTCLIE", "FECHADA"}, {"IDCLIEATIV", "N"}});
    row("PAIS", {{"CDPAIS", "0001"}, {"NMPAIS", "BRASIL"}});
    row("MUNICIPIO", {{"CDPAIS", "0001"}, {"SGESTADO", "SP"}, {"CDMUNICIPIO", "0001"}, {"NMMUNICIPIO", "CAMPINAS"}});
    for (const char* c : {"C1", "C2", "C3"})
        row("ENDECLIE",
            {{"CDCLIENTE", c},
             {"IDTPENDECLIE", "P"},
             {"CDPAIS", "0001"},
             {"SGESTADO", "SP"},
             {"CDMUNICIPIO", "0001"},
             {"DSENDECLIE", "RUA DAS FLORES, 10"}});
    row("PRECOBASECLI", {{"CDCLIENTE", "C2"}, {"CDPRECOBASE", "02"}, {"IDPRBASEPRIN", "S"}});
    row("PRECOBASECLI", {{"CDCLIENTE", "C2"}, {"CDPRECOBASE", "03"}, {"IDPRBASEPRIN", "N"}});
    // Products are their own stock products; P9's stock product is missing; P4 is inactive.
    row("PRODUTO",
        {{"CDPRODUTO", "P1"},
         {"CDARVPROD", "0101"},
         {"NMPRODUTO", "CANETA AZUL"},
         {"SGUNIDADE", "UN"},
         {"CDPRODESTO", "P1"},
         {"VRFATOCONV", 1.0},
         {"VRPESOUNID", 0.5},
         {"IDPRODATIVPR", "S"},
         {"CDNVPRODUTO", "0"}});
    row("PRODUTO",
        {{"CDPRODUTO", "P2"},
         {"CDARVPROD", "0102"},
         {"NMPRODUTO", "LAPIS PRETO"},
         {"SGUNIDADE", "CX"},
         {"CDPRODESTO", "P2"},
         {"VRFATOCONV", 12.0},
         {"VRPESOUNID", 0.1},
         {"IDPRODATIVPR", "S"},
         {"CDNVPRODUTO", "0"}});
    row("PRODUTO", {{"CDPRODUTO", "P4"}, {"CDARVPROD", "0104"}, {"NMPRODUTO", "BORRACHA"}, {"CDPRODESTO", "P4"}, {"IDPRODATIVPR", "N"}});
    row("PRODUTO", {{"CDPRODUTO", "P9"}, {"CDARVPROD", "0109"}, {"NMPRODUTO", "SEM ESTOQUE"}, {"CDPRODESTO", "PX"}, {"IDPRODATIVPR", "S"}});
    // Prices: list 01 from 1 March 2026 with no end; list 03 a little dearer.
    row("ITEMPREBASE", {{"CDPRECOBASE", "01"}, {"CDPRODUTO", "P1"}, {"VRITEPREBASE", 20.0}, {"DTINIVALIPB", "2026-03-01"}});
    row("ITEMPREBASE", {{"CDPRECOBASE", "01"}, {"CDPRODUTO", "P2"}, {"VRITEPREBASE", 12.346}, {"DTINIVALIPB", "2026-03-01"}});
    row("ITEMPREBASE", {{"CDPRECOBASE", "03"}, {"CDPRODUTO", "P1"}, {"VRITEPREBASE", 25.0}, {"DTINIVALIPB", "2026-01-01"}});
}

// A stored order of branch 0001 for customer C1, pending unless told.
inline void pedidoGravado(Database& d, const QString& nr, const QString& situacao = QStringLiteral("1"), const QString& data = {})
{
    const QString hoje = data.isEmpty() ? zov::dataDeHoje().toString(Qt::ISODate) : data;
    insertRow(d, QStringLiteral("PEDIDO"),
              {{QStringLiteral("CDFILIAL"), QStringLiteral("0001")},
               {QStringLiteral("NRPEDIDO"), nr},
               {QStringLiteral("CDCLIENTE"), QStringLiteral("C1")},
               {QStringLiteral("CDVENDEDOR"), QStringLiteral("0001")},
               {QStringLiteral("CDMODPGTO"), QStringLiteral("00001")},
               {QStringLiteral("CDPRECOBASE"), QStringLiteral("01")},
               {QStringLiteral("CDTIPOOPER"), QStringLiteral("01")},
               {QStringLiteral("IDENTRSAIDOP"), QStringLiteral("S")},
               {QStringLiteral("IDSITPEDIDO"), situacao},
               {QStringLiteral("IDPRIOPED"), QStringLiteral("3")},
               {QStringLiteral("DTPEDIDO"), hoje},
               {QStringLiteral("DTENTPED"), hoje + QStringLiteral(" 00:00:00")}});
}

inline void itemGravado(Database& d, const QString& nr, const QString& item, const QString& situacao = QStringLiteral("1"),
                        const QString& entrega = {}, double expedido = 0)
{
    insertRow(d, QStringLiteral("ITEMPEDIDO"),
              {{QStringLiteral("CDFILIAL"), QStringLiteral("0001")},
               {QStringLiteral("NRPEDIDO"), nr},
               {QStringLiteral("NRITEMPED"), item},
               {QStringLiteral("CDPRODUTO"), QStringLiteral("P1")},
               {QStringLiteral("QTITEMPED"), 2.0},
               {QStringLiteral("VRPREUNITPED"), 10.0},
               {QStringLiteral("VRDESITPED"), 1.0},
               {QStringLiteral("IDSITITEMPED"), situacao},
               {QStringLiteral("DTENTITPED"), entrega.isEmpty() ? QVariant() : QVariant(entrega)},
               {QStringLiteral("QTEXPITEMPED"), expedido}});
}

} // namespace zov::test
