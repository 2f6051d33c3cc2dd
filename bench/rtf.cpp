// Reading the largest observation a file may bring (5 MB) into the editor's
// document, in the shapes that cost most: nothing but paragraph ends, short
// formatted runs, a table. Prints each reading's milliseconds (median of 3).
//
//   bench_rtf
#include "bench/bench_util.h"
#include "library/rtf.h"

#include <QGuiApplication>
#include <QTextDocument>
#include <cstdio>

using namespace zov;

namespace {

QByteArray repete(const QByteArray& corpo, qsizetype ate)
{
    QByteArray rtf = "{\\rtf1\\ansi ";
    while (rtf.size() + corpo.size() < ate)
        rtf += corpo;
    return rtf + "}";
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const qsizetype limite = 5 * 1024 * 1024;
    const std::pair<const char*, QByteArray> casos[] = {
        {"rtf_5mb_par_ms", repete("\\par", limite)},
        {"rtf_5mb_runs_ms", repete("{\\b negrito}{\\i it\\'e1lico} texto \\par", limite)},
        {"rtf_5mb_table_ms", repete("\\trowd\\cellx1000\\cellx2000\\pard\\intbl Arroz\\cell 10\\cell\\row", limite)},
    };
    for (const auto& [nome, rtf] : casos) {
        const double ms = bench::medianMs(3, [&] {
            QTextDocument doc;
            lerRtf(rtf, doc);
        });
        std::printf("figure %s %.0f ms\n", nome, ms);
    }
    return 0;
}
