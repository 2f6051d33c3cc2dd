// Inserts rows into PRODUTO through the dataset layer's apply path and through
// a plain prepared statement, and prints rows per second for both.
#include "db/dbgeralped.h"
#include "library/dataset.h"
#include "library/local_time.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

using namespace zov;

namespace {

const char* kInsert = "INSERT INTO PRODUTO (CDPRODUTO, CDARVPROD, NMPRODUTO, SGUNIDADE, VRPESOUNID, IDPRODATIVPR) "
                      "VALUES (:CDPRODUTO, :CDARVPROD, :NMPRODUTO, :SGUNIDADE, :VRPESOUNID, :IDPRODATIVPR)";

QString code(int prefix, int i) { return QStringLiteral("%1%2").arg(prefix).arg(i, 9, 10, QLatin1Char('0')); }

double viaDataset(Database& db, int rows)
{
    Query q(&db, QStringLiteral("qryProduto"));
    q.setSql(QStringLiteral("SELECT CDPRODUTO, CDARVPROD, NMPRODUTO, SGUNIDADE, VRPESOUNID, IDPRODATIVPR FROM PRODUTO WHERE 1 = 0"));
    q.setUpdateSql(UpdateSql(QString::fromLatin1(kInsert), {}, {}));
    QElapsedTimer t;
    t.start();
    q.open();
    for (int i = 0; i < rows; ++i) {
        q.append();
        q[QStringLiteral("CDPRODUTO")].setValue(code(1, i));
        q[QStringLiteral("CDARVPROD")].setValue(code(1, i));
        q[QStringLiteral("NMPRODUTO")].setValue(QStringLiteral("PRODUTO %1").arg(i));
        q[QStringLiteral("SGUNIDADE")].setValue(QStringLiteral("UN"));
        q[QStringLiteral("VRPESOUNID")].setValue(1.5);
        q[QStringLiteral("IDPRODATIVPR")].setValue(QStringLiteral("S"));
        q.post();
    }
    q.applyUpdates(); // one transaction for the whole cache
    q.commitUpdates();
    return rows / (t.nsecsElapsed() / 1e9);
}

double viaStatement(Database& db, int rows)
{
    QElapsedTimer t;
    t.start();
    db.transaction([&] {
        Statement st(db, QString::fromLatin1(kInsert));
        for (int i = 0; i < rows; ++i) {
            st.bindAt(1, code(2, i));
            st.bindAt(2, code(2, i));
            st.bindAt(3, QStringLiteral("PRODUTO %1").arg(i));
            st.bindAt(4, QStringLiteral("UN"));
            st.bindAt(5, 1.5);
            st.bindAt(6, QStringLiteral("S"));
            st.exec();
        }
    });
    return rows / (t.nsecsElapsed() / 1e9);
}

} // namespace

int main(int argc, char** argv)
{
    zov::readLocalTimeZoneOnce();
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
    QTemporaryDir dir;
    SetDatabasePath(dir.filePath(QStringLiteral("bench.sqlite")));
    Database& db = DataBaseGeralPed();
    const double layer = viaDataset(db, rows);
    const double plain = viaStatement(db, rows);
    std::printf("rows: %d\n", rows);
    std::printf("dataset layer (append/post + applyUpdates): %.0f rows/s\n", layer);
    std::printf("plain prepared statement:                  %.0f rows/s\n", plain);
    std::printf("layer overhead: %.1fx\n", plain / layer);
    std::printf("figure dataset_insert_layer_rows_per_s %.0f rows/s\n", layer);
    std::printf("figure dataset_insert_plain_rows_per_s %.0f rows/s\n", plain);
    std::printf("figure dataset_insert_overhead_ratio %.2f ratio\n", plain / layer);
    FreeDBGeralPed();
    return 0;
}
