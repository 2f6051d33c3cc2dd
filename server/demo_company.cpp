#include "server/demo_company.h"

#include "library/criptografa.h"
#include "server/company_rows.h"
#include "server/documents.h"

#include <QDate>
#include <QDateTime>
#include <cmath>

namespace zov::server {

const DemoOperator kDemoOperators[3] = {
    {"000000000001", "1", "ana123", "ANA SOUZA"},
    {"000000000002", "2", "bruno123", "BRUNO LIMA"},
    {"000000000003", "3", "carla123", "CARLA MENDES"},
};

namespace {

const QVariant null;

QDateTime day(const QDate& d) { return QDateTime(d, QTime(0, 0)); }

void company(Connection& db)
{
    putRow(db, "PARAMGERAL",
           {{"CDPARGERAL", "0001"},
            {"NMEMPGER", "DISTRIBUIDORA MODELO"},
            {"NMRSOCEMP", "DISTRIBUIDORA MODELO LTDA"},
            {"NRCGCEMP", makeCnpj(12345678, 1)},
            {"NRTELEMP", "1133334444"},
            {"DSENDEMP", "AV. PAULISTA, 1000"},
            {"NMBAIREMP", "BELA VISTA"},
            {"NRCEPEMP", "01310100"},
            {"CDPAIS", "0001"},
            {"SGESTADO", "SP"},
            {"CDMUNICIPIO", "0001"},
            {"CDFILIAL", "0001"},
            {"CDPICTPROD", "99.999.9999"},
            {"QTDIAATIVOS", 30}});

    putRow(db, "FILIAL",
           {{"CDFILIAL", "0001"},
            {"NMFILIAL", "MATRIZ SÃO PAULO"},
            {"CDEMPRESA", "01"},
            {"IDTPIJURFILI", "J"},
            {"NRINSJURFILI", makeCnpj(12345678, 1)},
            {"NMRAZSOCFILI", "DISTRIBUIDORA MODELO LTDA"}});
    // The second branch sells by market segment and lists no operators: anyone may use it.
    putRow(db, "FILIAL",
           {{"CDFILIAL", "0002"},
            {"NMFILIAL", "FILIAL CAMPINAS"},
            {"CDEMPRESA", "01"},
            {"CDSEGMER", "00001"},
            {"IDTPIJURFILI", "J"},
            {"NRINSJURFILI", makeCnpj(12345678, 2)},
            {"NMRAZSOCFILI", "DISTRIBUIDORA MODELO LTDA - CAMPINAS"}});
    putRow(db, "ENDEFILI",
           {{"CDFILIAL", "0001"},
            {"IDTPENDEFILI", "P"},
            {"CDPAIS", "0001"},
            {"SGESTADO", "SP"},
            {"CDMUNICIPIO", "0001"},
            {"DSENDEFILI", "AV. PAULISTA, 1000"},
            {"NMBAIRFILI", "BELA VISTA"},
            {"CDBAIRRO", "0000000002"},
            {"NRCEPFILI", "01310100"}});
    putRow(db, "ENDEFILI",
           {{"CDFILIAL", "0002"},
            {"IDTPENDEFILI", "P"},
            {"CDPAIS", "0001"},
            {"SGESTADO", "SP"},
            {"CDMUNICIPIO", "0002"},
            {"DSENDEFILI", "RUA BARÃO DE JAGUARA, 500"},
            {"NMBAIRFILI", "CENTRO"},
            {"CDBAIRRO", "0000000001"},
            {"NRCEPFILI", "13015001"}});

    putRow(db, "PARAMPEDIDO", {{"CDFILIAL", "0001"}, {"IDPERALTPRECO", "S"}});
    putRow(db, "PARAMPEDIDO", {{"CDFILIAL", "0002"}, {"IDPERALTPRECO", "N"}});
}

void people(Connection& db)
{
    // Each password is hashed once (argon2 takes a while by design).
    for (const DemoOperator& o : kDemoOperators) {
        putRow(db, "OPERADOR",
               {{"CDOPERADOR", o.code},
                {"NMOPERADOR", o.name},
                {"NMACESSO", QString::fromUtf8(o.name).section(QLatin1Char(' '), 0, 0).toLower()},
                {"CDSENHOPER", CriptografaSenha(QString::fromLatin1(o.password))},
                {"CDFUNC", code(QString::fromLatin1(o.code).toLongLong(), 10)},
                {"IDSENHVARDIA", "N"},
                {"IDOPERATIVO", "S"},
                {"CDEMPRESA", "01"}});
    }
    // Branch 0001 admits Ana and Bruno only; Carla is refused there.
    putRow(db, "FILIOPER", {{"CDFILIAL", "0001"}, {"CDOPERADOR", "000000000001"}, {"IDEXIBAVISO", "N"}});
    putRow(db, "FILIOPER", {{"CDFILIAL", "0001"}, {"CDOPERADOR", "000000000002"}, {"IDEXIBAVISO", "N"}});

    struct Seller {
        const char* code;
        const char* name;
        const char* shortName;
        double commission, maxDiscount;
        const char* op;
        const char* list;
        qint64 cpf;
    };
    const Seller sellers[] = {
        {"0001", "ANA SOUZA", "ANA", 3.0, 10.0, "000000000001", "01", 111444777},
        {"0002", "BRUNO LIMA", "BRUNO", 2.5, 5.0, "000000000002", "02", 222555888},
        {"0003", "CARLA MENDES", "CARLA", 4.0, 15.0, "000000000003", "01", 333666999},
    };
    for (const Seller& s : sellers) {
        putRow(db, "VENDEDOR",
               {{"CDVENDEDOR", s.code},
                {"IDTPIJURVEN", "F"},
                {"NRINSJURVEN", makeCpf(s.cpf)},
                {"NMRAZSOCVEN", s.name},
                {"NMFANVEN", s.shortName},
                {"DTNASCVEN", day(QDate(1985, 5, 20))},
                {"VRPECOMVEN", s.commission},
                {"VRPEMAXDESVE", s.maxDiscount},
                {"CDOPERADOR", s.op},
                {"CDPRECOBASE", s.list},
                {"CDFILIAL", "0001"}});
    }
}

void geography(Connection& db)
{
    putRow(db, "PAIS", {{"CDPAIS", "0001"}, {"NMPAIS", "BRASIL"}, {"SGPAIS", "BR"}, {"CDDDIPAIS", "55"}, {"CDPAISBACEN", "1058"}});
    putRow(db, "PAIS", {{"CDPAIS", "0002"}, {"NMPAIS", "ARGENTINA"}, {"SGPAIS", "AR"}, {"CDDDIPAIS", "54"}, {"CDPAISBACEN", "0639"}});
    const char* states[][3] = {
        {"0001", "SP", "SÃO PAULO"}, {"0001", "MG", "MINAS GERAIS"}, {"0001", "RJ", "RIO DE JANEIRO"}, {"0002", "BA", "BUENOS AIRES"}};
    for (const auto& s : states)
        putRow(db, "ESTADO", {{"CDPAIS", s[0]}, {"SGESTADO", s[1]}, {"NMESTADO", s[2]}});
    const char* towns[][4] = {{"0001", "SP", "0001", "SÃO PAULO"},
                              {"0001", "SP", "0002", "CAMPINAS"},
                              {"0001", "MG", "0001", "BELO HORIZONTE"},
                              {"0001", "RJ", "0001", "RIO DE JANEIRO"},
                              {"0002", "BA", "0001", "BUENOS AIRES"}};
    for (const auto& t : towns)
        putRow(db, "MUNICIPIO", {{"CDPAIS", t[0]}, {"SGESTADO", t[1]}, {"CDMUNICIPIO", t[2]}, {"NMMUNICIPIO", t[3]}});
    const char* districts[][5] = {{"0001", "SP", "0001", "0000000001", "CENTRO"},     {"0001", "SP", "0001", "0000000002", "BELA VISTA"},
                                  {"0001", "SP", "0001", "0000000003", "MOOCA"},      {"0001", "SP", "0002", "0000000001", "CENTRO"},
                                  {"0001", "SP", "0002", "0000000002", "CAMBUÍ"},     {"0001", "MG", "0001", "0000000001", "SAVASSI"},
                                  {"0001", "RJ", "0001", "0000000001", "COPACABANA"}, {"0002", "BA", "0001", "0000000001", "PALERMO"}};
    for (const auto& b : districts)
        putRow(db, "BAIRRO", {{"CDPAIS", b[0]}, {"SGESTADO", b[1]}, {"CDMUNICIPIO", b[2]}, {"CDBAIRRO", b[3]}, {"NMBAIRRO", b[4]}});
}

void payment(Connection& db)
{
    putRow(db, "FORMPGTO", {{"CDFORMPGTO", "01"}, {"NMFORMPGTO", "BOLETO BANCÁRIO"}});
    putRow(db, "FORMPGTO", {{"CDFORMPGTO", "02"}, {"NMFORMPGTO", "DUPLICATA"}});
    putRow(db, "FORMPGTO", {{"CDFORMPGTO", "03"}, {"NMFORMPGTO", "CHEQUE"}});

    // Kinds: X cash, F fixed day, V by payment form.
    putRow(db, "MODPGTO",
           {{"CDMODPGTO", "00001"},
            {"DSMODPGTO", "À VISTA"},
            {"IDTPFORPGTOMOD", "X"},
            {"IDUTDIAPAGMOD", "I"},
            {"VRPEDESMODPG", 3.0},
            {"IDLANCPEDMOD", "S"}});
    putRow(db, "MODPGTO",
           {{"CDMODPGTO", "00002"},
            {"DSMODPGTO", "DIA 10 - 1 PARCELA"},
            {"CDFORMPGTO", "01"},
            {"IDTPFORPGTOMOD", "F"},
            {"NRDIAPGFIXMOD", 10},
            {"NRPARCPGTOMOD", 1},
            {"IDUTDIAPAGMOD", "E"},
            {"VRPEDESMODPG", 0.0},
            {"IDLANCPEDMOD", "S"}});
    putRow(db, "MODPGTO",
           {{"CDMODPGTO", "00003"},
            {"DSMODPGTO", "DIA 15 - 3 PARCELAS"},
            {"CDFORMPGTO", "01"},
            {"IDTPFORPGTOMOD", "F"},
            {"NRDIAPGFIXMOD", 15},
            {"NRPARCPGTOMOD", 3},
            {"IDUTDIAPAGMOD", "I"},
            {"VRPEDESMODPG", 0.0},
            {"IDLANCPEDMOD", "S"}});
    putRow(db, "MODPGTO",
           {{"CDMODPGTO", "00004"},
            {"DSMODPGTO", "PELA FORMA DE PAGAMENTO - DUPLICATA"},
            {"CDFORMPGTO", "02"},
            {"IDTPFORPGTOMOD", "V"},
            {"IDUTDIAPAGMOD", "I"},
            {"VRPEDESMODPG", 1.5},
            {"IDLANCPEDMOD", "S"}});

    // Outgoing types to customers (C) and to branches (L); one incoming.
    putRow(db, "TIPOOPERAC", {{"CDTIPOOPER", "01"}, {"IDENTRSAIDOP", "S"}, {"NMTIPOOPER", "VENDA"}, {"IDORIGDESTOP", "C"}});
    putRow(db, "TIPOOPERAC",
           {{"CDTIPOOPER", "02"}, {"IDENTRSAIDOP", "S"}, {"NMTIPOOPER", "TRANSFERÊNCIA ENTRE FILIAIS"}, {"IDORIGDESTOP", "L"}});
    putRow(db, "TIPOOPERAC", {{"CDTIPOOPER", "03"}, {"IDENTRSAIDOP", "S"}, {"NMTIPOOPER", "BONIFICAÇÃO"}});
    putRow(db, "TIPOOPERAC", {{"CDTIPOOPER", "01"}, {"IDENTRSAIDOP", "E"}, {"NMTIPOOPER", "COMPRA"}, {"IDORIGDESTOP", "C"}});
}

struct DemoProduct {
    const char* code;  // CDPRODUTO
    const char* tree;  // CDARVPROD, without separators
    const char* level; // CDNVPRODUTO
    const char* name;
    const char* unit;
    const char* stock; // CDPRODESTO (null for groups)
    double factor;
    double weight;
    double price; // list 01; 0 for groups
    bool active;
};

const DemoProduct kProducts[] = {
    {"0000000001", "01", "1", "ALIMENTOS", "", nullptr, 0, 0, 0, true},
    {"0000000002", "01001", "2", "GRÃOS", "", nullptr, 0, 0, 0, true},
    {"0000000003", "02", "1", "BEBIDAS", "", nullptr, 0, 0, 0, true},
    {"0000000004", "02001", "2", "REFRIGERANTES", "", nullptr, 0, 0, 0, true},
    {"0000000005", "03", "1", "LIMPEZA", "", nullptr, 0, 0, 0, true},
    {"0000000006", "03001", "2", "DETERGENTES E SABÕES", "", nullptr, 0, 0, 0, true},
    {"0000000101", "010010001", "3", "ARROZ TIPO 1 5KG", "PCT", "0000000101", 1, 5.0, 24.90, true},
    {"0000000102", "010010002", "3", "FEIJÃO CARIOCA 1KG", "PCT", "0000000102", 1, 1.0, 8.49, true},
    {"0000000103", "010010003", "3", "ARROZ TIPO 1 5KG FARDO 6 UN", "FD", "0000000101", 6, 0, 145.00, true},
    {"0000000104", "010010004", "3", "AÇÚCAR CRISTAL 2KG", "PCT", "0000000104", 1, 2.0, 9.99, true},
    {"0000000201", "020010001", "3", "REFRIGERANTE COLA 2L", "UN", "0000000201", 1, 2.1, 8.99, true},
    {"0000000202", "020010002", "3", "REFRIGERANTE COLA 2L PACK 6 UN", "PK", "0000000201", 6, 0, 49.90, true},
    {"0000000301", "030010001", "3", "DETERGENTE NEUTRO 500ML", "UN", "0000000301", 1, 0.5, 2.79, true},
    {"0000000302", "030010002", "3", "SABÃO EM PÓ 1KG", "CX", "0000000302", 1, 1.0, 12.50, false},
};

double round2(double v) { return std::round(v * 100.0) / 100.0; }

void products(Connection& db)
{
    const QDate today = QDate::currentDate();
    putRow(db, "PRECOBASE", {{"CDPRECOBASE", "01"}, {"DSPRECOBASE", "TABELA PADRÃO"}});
    putRow(db, "PRECOBASE", {{"CDPRECOBASE", "02"}, {"DSPRECOBASE", "TABELA ATACADO"}});
    putRow(db, "PRECOBASE", {{"CDPRECOBASE", "03"}, {"DSPRECOBASE", "PROMOÇÃO ENCERRADA"}});
    putRow(db, "PRECOBASE", {{"CDPRECOBASE", "04"}, {"DSPRECOBASE", "TABELA DO PRÓXIMO ANO"}});

    const QDateTime since = day(QDate(2020, 1, 1));
    const QDateTime expiredFrom = day(today.addYears(-2));
    const QDateTime expiredTo = day(today.addYears(-1));
    const QDateTime future = day(QDate(today.year() + 1, 1, 1));

    RowWriter product(db, QStringLiteral("PRODUTO"),
                      {"CDPRODUTO", "CDARVPROD", "CDNVPRODUTO", "NMPRODUTO", "SGUNIDADE", "CDPRODESTO", "VRFATOCONV", "VRPESOUNID",
                       "VRPESOBRUTPR", "VRPESOLIQUPR", "VRPREUNIT", "CDBARPRODUTO", "IDPRODATIVPR"});
    RowWriter price(db, QStringLiteral("ITEMPREBASE"),
                    {"CDPRECOBASE", "DTINIVALIPB", "CDPRODUTO", "VRITEPREBASE", "DTFIMVALIPB", "DTHRATZIPB", "CDOPERATZIPB"});
    RowWriter segment(db, QStringLiteral("PRODUTOSEG"), {"CDSEGMER", "CDPRODUTO", "IDPROSEGATIV"});
    int barcode = 0;
    for (const DemoProduct& p : kProducts) {
        const bool leaf = p.stock != nullptr;
        product.write(
            {p.code, p.tree, p.level, p.name, leaf ? QVariant(p.unit) : null, leaf ? QVariant(p.stock) : null,
             leaf ? QVariant(p.factor) : null, p.weight > 0 ? QVariant(p.weight) : null, p.weight > 0 ? QVariant(p.weight * 1.02) : null,
             p.weight > 0 ? QVariant(p.weight) : null, leaf ? QVariant(p.price) : null,
             leaf ? QVariant(QStringLiteral("789100000%1").arg(++barcode, 4, 10, QLatin1Char('0'))) : null, p.active ? "S" : "N"});
        if (!leaf)
            continue;
        const QDateTime changed = QDateTime::currentDateTime();
        price.write({"01", since, p.code, p.price, null, changed, "000000000001"});
        // Sugar has no wholesale price: ordering it from list 02 is refused.
        if (QLatin1String(p.code) != QLatin1String("0000000104"))
            price.write({"02", since, p.code, round2(p.price * 0.9), null, changed, "000000000001"});
        price.write({"03", expiredFrom, p.code, round2(p.price * 0.8), expiredTo, changed, "000000000001"});
        price.write({"04", future, p.code, round2(p.price * 1.08), null, changed, "000000000001"});
        // Branch 0002 sells by segment; beans are out of its segment.
        segment.write({"00001", p.code, QLatin1String(p.code) == QLatin1String("0000000102") ? "N" : "S"});
    }

    // Maximum discounts per state for some products.
    putRow(db, "ITDESPREBASE",
           {{"CDPRECOBASE", "01"}, {"CDPAIS", "0001"}, {"SGESTADO", "SP"}, {"CDPRODUTO", "0000000101"}, {"VRPEMAXDESPR", 8.0}});
    putRow(db, "ITDESPREBASE",
           {{"CDPRECOBASE", "01"}, {"CDPAIS", "0001"}, {"SGESTADO", "SP"}, {"CDPRODUTO", "0000000201"}, {"VRPEMAXDESPR", 12.0}});
    putRow(db, "ITDESPREBASE",
           {{"CDPRECOBASE", "02"}, {"CDPAIS", "0001"}, {"SGESTADO", "MG"}, {"CDPRODUTO", "0000000301"}, {"VRPEMAXDESPR", 6.0}});

    // Adjustments of a list by payment method (company 01); the price-book row is not for orders.
    struct Adjustment {
        const char* seq;
        const char* list;
        const char* method;
        double percent;
        const char* branch;
        const char* book;
    };
    const Adjustment adjustments[] = {
        {"0001", "01", "00002", 2.5, nullptr, nullptr}, {"0002", "01", "00003", 5.0, nullptr, nullptr},
        {"0003", "02", "00002", 1.5, "0001", nullptr},  {"0004", "01", "00004", 3.0, nullptr, nullptr},
        {"0005", "01", "00003", 9.0, nullptr, "001"},
    };
    for (const Adjustment& a : adjustments) {
        putRow(db, "PRECOUTI",
               {{"NRSEQPREUTI", a.seq},
                {"CDEMPRESA", "01"},
                {"CDMODPGTO", a.method},
                {"CDPRECOBASE", a.list},
                {"VRPEADPBASE", a.percent},
                {"CDFILIAL", a.branch ? QVariant(a.branch) : null},
                {"CDLIVROPRECO", a.book ? QVariant(a.book) : null}});
    }
}

struct DemoAddress {
    const char* kind;
    const char* country;
    const char* state;
    const char* town;
    const char* district;
    const char* districtName;
    const char* street;
    const char* cep;
};

void customer(Connection& db, const QString& code, const char* kind, const QString& number, const char* legalName, const char* tradeName,
              const char* seller, double maxDiscount, const char* method, bool active, std::initializer_list<DemoAddress> addresses)
{
    putRow(db, "CLIENTE",
           {{"CDCLIENTE", code},
            {"IDTPIJURCLIE", kind},
            {"NRINSJURCLIE", number},
            {"NMRAZSOCCLIE", legalName},
            {"NMFANTCLIE", tradeName},
            {"CDVENDEDOR", seller},
            {"VRPEMAXDESCL", maxDiscount},
            {"CDMODPGTO", method},
            {"IDCLIEATIV", active ? "S" : "N"},
            {"DTCADACLIE", day(QDate::currentDate().addDays(-400))},
            {"CDFILORIGCLI", "0001"}});
    for (const DemoAddress& a : addresses) {
        putRow(db, "ENDECLIE",
               {{"CDCLIENTE", code},
                {"IDTPENDECLIE", a.kind},
                {"CDPAIS", a.country},
                {"SGESTADO", a.state},
                {"CDMUNICIPIO", a.town},
                {"CDBAIRRO", a.district},
                {"NMBAIRCLIE", a.districtName},
                {"DSENDECLIE", a.street},
                {"NRCEPCLIE", a.cep},
                {"NRDDDTELECLIE", QLatin1String(a.country) == QLatin1String("0001") ? QVariant("11") : null},
                {"NRTELECLIE", "40041234"},
                {"DSEMAILCLIE", "contato@exemplo.com.br"}});
    }
}

void customers(Connection& db)
{
    const QString cpf1 = makeCpf(529982247);     // 52998224725
    const QString cnpj1 = makeCnpj(11222333, 1); // 11222333000181
    const QString cnpj2 = makeCnpj(45997418, 1);
    const QString cpf2 = makeCpf(123456789);
    // "I": another kind of registration (12 digits, as a CEI), with no check digits.
    const QString cei = QStringLiteral("123456789012");
    const QString cpf3 = makeCpf(987654321);
    // A company founded after July 2026: its CNPJ has letters (12ABC34501DE35, the official example).
    const QString cnpjAlfa = makeCnpjAlfanumerico(QStringLiteral("12ABC34501DE"));

    customer(db, "F" + cpf1, "F", cpf1, "MARIA APARECIDA OLIVEIRA", "MARIA OLIVEIRA", "0001", 5.0, "00001", true,
             {{"P", "0001", "SP", "0001", "0000000003", "MOOCA", "RUA DA MOOCA, 120", "03104002"},
              {"T", "0001", "SP", "0001", "0000000001", "CENTRO", "RUA DIREITA, 45", "01002000"}});
    customer(db, "J" + cnpj1, "J", cnpj1, "MERCADO BOM PREÇO LTDA", "MERCADO BOM PREÇO", "0001", 7.0, "00002", true,
             {{"P", "0001", "SP", "0002", "0000000001", "CENTRO", "RUA TREZE DE MAIO, 800", "13015100"},
              {"T", "0001", "SP", "0002", "0000000002", "CAMBUÍ", "RUA CORONEL QUIRINO, 1500", "13025002"}});
    customer(db, "J" + cnpj2, "J", cnpj2, "SUPERMERCADO ESTRELA LTDA", "ESTRELA", "0002", 4.0, "00004", true,
             {{"P", "0001", "MG", "0001", "0000000001", "SAVASSI", "RUA PERNAMBUCO, 1000", "30130151"}});
    customer(db, "F" + cpf2, "F", cpf2, "JOSÉ CARLOS PEREIRA", "JOSÉ PEREIRA", "0003", 0.0, "00003", true,
             {{"P", "0001", "RJ", "0001", "0000000001", "COPACABANA", "AV. ATLÂNTICA, 2000", "22021001"}});
    // "O": a local number for a customer without CPF or CNPJ (here, abroad).
    customer(db, "O00001", "O", "00001", "IMPORTADORA DEL PLATA S.A.", "DEL PLATA", "0001", 0.0, "00001", true,
             {{"P", "0002", "BA", "0001", "0000000001", "PALERMO", "AV. SANTA FE, 3200", "C1425BGH"}});
    customer(db, "I" + cei, "I", cei, "COOPERATIVA AGRÍCOLA VALE VERDE", "VALE VERDE", "0002", 2.0, "00002", true,
             {{"P", "0001", "SP", "0002", "0000000001", "CENTRO", "RUA BARRETO LEME, 300", "13010200"}});
    customer(db, "J" + cnpjAlfa, "J", cnpjAlfa, "EMPÓRIO AURORA COMÉRCIO DE ALIMENTOS LTDA", "EMPÓRIO AURORA", "0001", 5.0, "00001", true,
             {{"P", "0001", "SP", "0001", "0000000001", "CENTRO", "RUA LÍBERO BADARÓ, 300", "01009000"}});
    customer(db, "F" + cpf3, "F", cpf3, "ANTÔNIO INATIVO DA SILVA", "ANTÔNIO (INATIVO)", "0001", 0.0, "00001", false,
             {{"P", "0001", "SP", "0001", "0000000001", "CENTRO", "RUA XV DE NOVEMBRO, 10", "01013001"}});

    // Price lists allowed per customer: Maria and the market have their own.
    putRow(db, "PRECOBASECLI", {{"CDCLIENTE", "F" + cpf1}, {"CDPRECOBASE", "01"}, {"IDPRBASEPRIN", "S"}});
    putRow(db, "PRECOBASECLI", {{"CDCLIENTE", "J" + cnpj1}, {"CDPRECOBASE", "01"}, {"IDPRBASEPRIN", "N"}});
    putRow(db, "PRECOBASECLI", {{"CDCLIENTE", "J" + cnpj1}, {"CDPRECOBASE", "02"}, {"IDPRBASEPRIN", "S"}});
}

// A year of the company's sales to three customers, a few orders a month,
// prices that rose over the year; Maria owes bills past due and the market
// is near its credit limit.
void history(Connection& db)
{
    struct Compra {
        const char* produto;
        double preco, quantidade;
    };
    const struct {
        QString cliente;
        std::vector<Compra> compras;
    } clientes[] = {
        {QStringLiteral("F") + makeCpf(529982247), {{"0000000101", 22.90, 2}, {"0000000102", 7.49, 5}}},
        {QStringLiteral("J") + makeCnpj(11222333, 1), {{"0000000103", 129.00, 4}, {"0000000202", 44.90, 10}, {"0000000102", 7.20, 24}}},
        {QStringLiteral("F") + makeCpf(123456789), {{"0000000201", 7.99, 6}}},
    };
    const QDate hoje = QDate::currentDate();
    RowWriter linhas(db, QStringLiteral("HISTCLIENTE"),
                     {QStringLiteral("CDCLIENTE"), QStringLiteral("CDFILIAL"), QStringLiteral("NRPEDIDO"), QStringLiteral("NRITEMPED"),
                      QStringLiteral("IDORIGEM"), QStringLiteral("DTPEDIDO"), QStringLiteral("CDPRODUTO"), QStringLiteral("QTITEMPED"),
                      QStringLiteral("VRPRECO"), QStringLiteral("VRDESCONTO"), QStringLiteral("VRLIQUIDO"),
                      QStringLiteral("IDSITEMPRESA")});
    int numero = 0;
    for (const auto& c : clientes) {
        for (int mes = 11; mes >= 0; --mes) {
            const QString nota = QStringLiteral("NF%1").arg(++numero + 5000, 6, 10, QLatin1Char('0'));
            const QString data = hoje.addMonths(-mes).addDays(-3).toString(Qt::ISODate) + QStringLiteral(" 10:00:00");
            int item = 0;
            for (const Compra& compra : c.compras) {
                // About 1 % a month dearer, to the cent.
                const double preco = std::round(compra.preco * (1.0 + 0.01 * (11 - mes)) * 100) / 100;
                const double liquido = std::round(preco * compra.quantidade * 100) / 100;
                linhas.write({c.cliente, QStringLiteral("0001"), nota, code(++item, 10), QStringLiteral("E"), data,
                              QString::fromLatin1(compra.produto), compra.quantidade, preco, 0.0, liquido,
                              mes == 0 ? QStringLiteral("A") : QStringLiteral("F")});
            }
        }
    }
    putRow(db, "TITULOCLIENTE", {{"CDCLIENTE", QStringLiteral("F") + makeCpf(529982247)}, {"VRABERTO", 820.0}, {"VRVENCIDO", 350.0}});
    putRow(db, "TITULOCLIENTE", {{"CDCLIENTE", QStringLiteral("J") + makeCnpj(11222333, 1)}, {"VRABERTO", 4200.0}, {"VRVENCIDO", 0.0}});
    db.exec(QStringLiteral("UPDATE CLIENTE SET VRLIMCREDCLI = 5000 WHERE CDCLIENTE = :C"),
            {{QStringLiteral("C"), QStringLiteral("J") + makeCnpj(11222333, 1)}});
    db.exec(QStringLiteral("UPDATE CLIENTE SET VRLIMCREDCLI = 3000 WHERE CDCLIENTE = :C"),
            {{QStringLiteral("C"), QStringLiteral("F") + makeCpf(529982247)}});
}

} // namespace

void fillDemoCompany(Connection& db)
{
    db.transaction([&] {
        company(db);
        people(db);
        geography(db);
        payment(db);
        products(db);
        customers(db);
        history(db);
    });
}

} // namespace zov::server
