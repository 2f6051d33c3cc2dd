// A large company for benchmarks: the demo company plus generated bulk,
// coherent enough for the client's queries (tree codes that fit the product
// picture, stock products, prices in force, valid CPF/CNPJ, main addresses).
#include "server/company_rows.h"
#include "server/demo_company.h"
#include "server/documents.h"

#include <QDate>
#include <QDateTime>
#include <cmath>

namespace zov::server {

namespace {

const QVariant null;

const char* const kStates[] = {"AC", "AL", "AP", "AM", "BA", "CE", "DF", "ES", "GO", "MA", "MT", "MS",
                               "PA", "PB", "PR", "PE", "PI", "RN", "RS", "RO", "RR", "SC", "SE", "TO"};
const char* const kFirstNames[] = {"ANA",    "BRUNO",   "CARLOS",  "DANIELA", "EDUARDO",  "FERNANDA", "GABRIEL",
                                   "HELENA", "IGOR",    "JULIANA", "LUCAS",   "MARIANA",  "NELSON",   "OLÍVIA",
                                   "PAULO",  "RAFAELA", "SÉRGIO",  "TATIANA", "VINÍCIUS", "ZÉLIA"};
const char* const kLastNames[] = {"SILVA",   "SANTOS", "OLIVEIRA", "SOUZA",     "RODRIGUES", "FERREIRA", "ALVES",
                                  "PEREIRA", "LIMA",   "GOMES",    "COSTA",     "RIBEIRO",   "MARTINS",  "CARVALHO",
                                  "ALMEIDA", "LOPES",  "SOARES",   "FERNANDES", "VIEIRA",    "BARBOSA"};
const char* const kGoods[] = {"BISCOITO", "MACARRÃO",        "ÓLEO DE SOJA", "CAFÉ",    "LEITE",
                              "SUCO",     "ÁGUA MINERAL",    "SABONETE",     "SHAMPOO", "PAPEL HIGIÊNICO",
                              "FARINHA",  "MOLHO DE TOMATE", "AZEITE",       "VINAGRE", "SAL"};

// A repeatable spread of numbers (no two runs differ).
quint32 mix(quint32 x)
{
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}

double round2(double v) { return std::round(v * 100.0) / 100.0; }

struct Town {
    QString state, code;
};

std::vector<Town> geography(Connection& db, int n)
{
    RowWriter state(db, QStringLiteral("ESTADO"), {"CDPAIS", "SGESTADO", "NMESTADO"});
    RowWriter town(db, QStringLiteral("MUNICIPIO"), {"CDPAIS", "SGESTADO", "CDMUNICIPIO", "NMMUNICIPIO"});
    RowWriter district(db, QStringLiteral("BAIRRO"), {"CDPAIS", "SGESTADO", "CDMUNICIPIO", "CDBAIRRO", "NMBAIRRO"});
    std::vector<Town> towns;
    for (const char* s : kStates) {
        state.write({"0001", s, QStringLiteral("ESTADO %1").arg(QLatin1String(s))});
        for (int t = 1; t <= 10 * n; ++t) {
            const QString c = code(t, 4);
            town.write({"0001", s, c, QStringLiteral("MUNICÍPIO %1 %2").arg(QLatin1String(s)).arg(t)});
            for (int b = 1; b <= 3; ++b)
                district.write({"0001", s, c, code(b, 10), QStringLiteral("BAIRRO %1").arg(b)});
            towns.push_back({QString::fromLatin1(s), c});
        }
    }
    return towns;
}

void products(Connection& db, int n)
{
    putRow(db, "PRECOBASE", {{"CDPRECOBASE", "05"}, {"DSPRECOBASE", "TABELA REGIONAL"}});
    RowWriter product(db, QStringLiteral("PRODUTO"),
                      {"CDPRODUTO", "CDARVPROD", "CDNVPRODUTO", "NMPRODUTO", "SGUNIDADE", "CDPRODESTO", "VRFATOCONV", "VRPESOUNID",
                       "VRPREUNIT", "CDBARPRODUTO", "IDPRODATIVPR"});
    RowWriter price(db, QStringLiteral("ITEMPREBASE"), {"CDPRECOBASE", "DTINIVALIPB", "CDPRODUTO", "VRITEPREBASE", "DTFIMVALIPB"});
    RowWriter segment(db, QStringLiteral("PRODUTOSEG"), {"CDSEGMER", "CDPRODUTO", "IDPROSEGATIV"});

    const QDate today = QDate::currentDate();
    const QDateTime since(QDate(2020, 1, 1), QTime(0, 0));
    const QDateTime expiredFrom(today.addYears(-2), QTime(0, 0));
    const QDateTime expiredTo(today.addYears(-1), QTime(0, 0));
    const QDateTime future(QDate(today.year() + 1, 1, 1), QTime(0, 0));

    const int count = n * 10000;
    int lastLevel1 = -1, lastGroup = -1;
    QString stockCode;
    for (int i = 0; i < count; ++i) {
        // Tree 99.999.9999: level 1 from 10 on, a thousand products per level-2 group.
        const int group = i / 1000;
        const int level1 = 10 + group / 999;
        const int level2 = 1 + group % 999;
        if (level1 != lastLevel1) {
            product.write({code(500000 + level1, 10), code(level1, 2), "1", QStringLiteral("LINHA %1").arg(level1), null, null, null, null,
                           null, null, "S"});
            lastLevel1 = level1;
        }
        if (group != lastGroup) {
            product.write({code(600000 + group, 10), code(level1, 2) + code(level2, 3), "2", QStringLiteral("GRUPO %1").arg(group + 1),
                           null, null, null, null, null, null, "S"});
            lastGroup = group;
        }
        const QString cd = code(1000000 + i, 10);
        const QString tree = code(level1, 2) + code(level2, 3) + code(1 + i % 1000, 4);
        const quint32 r = mix(quint32(i));
        const double base = 1.0 + (r % 50000) / 100.0;
        // Every tenth product is a box of twelve of the one before.
        const bool box = i % 10 == 9;
        if (!box)
            stockCode = cd;
        const QString name = box ? QStringLiteral("%1 %2 CAIXA 12 UN").arg(QString::fromUtf8(kGoods[(i - 1) % 15])).arg(i)
                                 : QStringLiteral("%1 %2").arg(QString::fromUtf8(kGoods[i % 15])).arg(i + 1);
        const double unitPrice = box ? round2(base * 11) : round2(base);
        product.write({cd, tree, "3", name, box ? "CX" : "UN", stockCode, box ? 12.0 : 1.0, box ? null : QVariant(0.5 + (r % 20) / 10.0),
                       unitPrice, QStringLiteral("78%1").arg(10000000000LL + i), i % 200 == 199 ? "N" : "S"});
        price.write({"01", since, cd, unitPrice, null});
        price.write({"02", since, cd, round2(unitPrice * 0.9), null});
        price.write({"03", expiredFrom, cd, round2(unitPrice * 0.8), expiredTo});
        price.write({"04", future, cd, round2(unitPrice * 1.08), null});
        price.write({"05", since, cd, round2(unitPrice * 1.03), null});
        segment.write({"00001", cd, "S"});
    }
}

void customers(Connection& db, int n, const std::vector<Town>& towns)
{
    RowWriter customer(db, QStringLiteral("CLIENTE"),
                       {"CDCLIENTE", "IDTPIJURCLIE", "NRINSJURCLIE", "NMRAZSOCCLIE", "NMFANTCLIE", "CDVENDEDOR", "VRPEMAXDESCL",
                        "CDMODPGTO", "IDCLIEATIV", "DTCADACLIE", "CDFILORIGCLI"});
    RowWriter address(db, QStringLiteral("ENDECLIE"),
                      {"CDCLIENTE", "IDTPENDECLIE", "CDPAIS", "SGESTADO", "CDMUNICIPIO", "CDBAIRRO", "NMBAIRCLIE", "DSENDECLIE",
                       "NRCEPCLIE", "NRDDDTELECLIE", "NRTELECLIE"});
    RowWriter lists(db, QStringLiteral("PRECOBASECLI"), {"CDCLIENTE", "CDPRECOBASE", "IDPRBASEPRIN"});
    const char* const sellers[] = {"0001", "0002", "0003"};
    const char* const methods[] = {"00001", "00002", "00003", "00004"};
    const QDateTime registered(QDate::currentDate().addDays(-200), QTime(0, 0));

    const int count = n * 10000;
    for (int i = 0; i < count; ++i) {
        const quint32 r = mix(quint32(i) + 0x9e3779b9U);
        const bool person = i % 2 == 0;
        const QString number = person ? makeCpf(100000000 + i) : makeCnpj(20000000 + i, 1);
        const QString cd = (person ? QStringLiteral("F") : QStringLiteral("J")) + number;
        const QString first = QString::fromUtf8(kFirstNames[r % 20]);
        const QString last = QString::fromUtf8(kLastNames[(r / 20) % 20]);
        const QString legal = person ? QStringLiteral("%1 %2 %3").arg(first, last, QString::fromUtf8(kLastNames[(r / 400) % 20]))
                                     : QStringLiteral("COMERCIAL %1 %2 LTDA").arg(last).arg(i);
        const QString trade = person ? QStringLiteral("%1 %2").arg(first, last) : QStringLiteral("COMERCIAL %1 %2").arg(last).arg(i);
        customer.write({cd, person ? "F" : "J", number, legal, trade, sellers[r % 3], double(r % 11), methods[(r / 3) % 4],
                        i % 100 == 99 ? "N" : "S", registered, "0001"});
        const Town& t = towns[r % towns.size()];
        address.write({cd, "P", "0001", t.state, t.code, code(1 + r % 3, 10), QStringLiteral("BAIRRO %1").arg(1 + r % 3),
                       QStringLiteral("RUA %1, %2").arg(last).arg(1 + r % 2000), code(10000000 + r % 89999999, 8), "11",
                       code(30000000 + r % 69999999, 8)});
        if (i % 2 == 1) {
            address.write({cd, "T", "0001", t.state, t.code, code(1 + (r / 7) % 3, 10), QStringLiteral("BAIRRO %1").arg(1 + (r / 7) % 3),
                           QStringLiteral("AVENIDA %1, %2").arg(first).arg(1 + r % 900), code(10000000 + (r / 3) % 89999999, 8), null,
                           null});
        }
        if (i % 5 == 0)
            lists.write({cd, "01", "S"});
    }
}

} // namespace

void fillScaleCompany(Connection& db, int n)
{
    // A new file: a crash while filling it loses nothing worth keeping.
    const bool sqlite = db.engine() == Engine::Sqlite;
    if (sqlite)
        db.execScript(QStringLiteral("PRAGMA synchronous=OFF"));
    db.transaction([&] {
        fillDemoCompany(db);
        const std::vector<Town> towns = geography(db, n);
        products(db, n);
        customers(db, n, towns);
    });
    if (sqlite)
        db.execScript(QStringLiteral("PRAGMA synchronous=FULL"));
}

} // namespace zov::server
