// Reading the largest observation a file may bring (5 MB) into the editor's
// document, in the shapes that cost most: nothing but paragraph ends, short
// formatted runs, a table, alternating alignment, list items (Word's and
// the editor's bullets), plain text lines. Prints
// each reading's milliseconds (median of 3) at 5 MB and at 0,5 MB, and their
// ratio (about 10 when reading is linear), and Qt's own for as many blocks.
//
//   bench_rtf
#include "library/rtf.h"
#include "bench/bench_util.h"

#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
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
    const qsizetype mb = 1024 * 1024;
    const std::pair<const char*, QByteArray> casos[] = {
        {"par", "\\par"},
        {"runs", "{\\b negrito}{\\i it\\'e1lico} texto \\par"},
        {"table", "\\trowd\\cellx1000\\cellx2000\\pard\\intbl Arroz\\cell 10\\cell\\row"},
        {"align", "\\qc centro\\par\\ql esquerda\\par"},
        {"listtext", "{\\listtext 1.\\tab}\\ls1 x\\par\\pard "},
        {"bullets", "{\\pntext\\f0\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf0\\pnindent0{\\pntxtb\\'b7}}\\fi-360\\li720 x\\par\\pard "},
    };
    for (const auto& [nome, corpo] : casos) {
        double ms[2] = {0, 0};
        for (int i = 0; i < 2; ++i) {
            const QByteArray rtf = repete(corpo, i == 0 ? mb / 2 : 5 * mb);
            ms[i] = bench::medianMs(3, [&] {
                QTextDocument doc;
                lerRtf(rtf, doc);
            });
        }
        std::printf("figure rtf_5mb_%s_ms %.0f ms\nfigure rtf_05mb_%s_ms %.0f ms\nfigure rtf_%s_ratio %.1f x\n", nome, ms[1], nome, ms[0],
                    nome, ms[1] / std::max(ms[0], 0.001));
    }
    // Qt's own cost for as many blocks as the alternating alignment makes:
    // its document is a balanced tree, each block costs log n, so a ratio
    // above 10 here is Qt's, and the reader's ratio is to be read against it.
    {
        double ms[2] = {0, 0};
        for (int i = 0; i < 2; ++i) {
            const QByteArray rtf = repete("\\qc centro\\par\\ql esquerda\\par", i == 0 ? mb / 2 : 5 * mb);
            QTextDocument lido;
            lerRtf(rtf, lido);
            const int blocos = lido.blockCount();
            ms[i] = bench::medianMs(3, [&] {
                QTextDocument doc;
                QTextCursor c(&doc);
                QTextBlockFormat centro, esquerda;
                centro.setAlignment(Qt::AlignHCenter);
                for (int b = 0; b < blocos; ++b) {
                    c.insertBlock(b % 2 ? esquerda : centro, QTextCharFormat());
                    c.insertText(b % 2 ? QStringLiteral("esquerda") : QStringLiteral("centro"));
                }
            });
        }
        std::printf("figure qt_5mb_align_ms %.0f ms\nfigure qt_05mb_align_ms %.0f ms\nfigure qt_align_ratio %.1f x\n", ms[1], ms[0],
                    ms[1] / std::max(ms[0], 0.001));
    }
    // A text file of blank lines (CRLF): Qt makes a block a line unless lines share them.
    double ms[2] = {0, 0};
    for (int i = 0; i < 2; ++i) {
        QByteArray linhas;
        while (linhas.size() < (i == 0 ? mb / 2 : 5 * mb))
            linhas += "\r\n";
        ms[i] = bench::medianMs(3, [&] {
            QTextDocument doc;
            lerTexto(linhas, doc);
        });
    }
    std::printf("figure texto_5mb_linhas_ms %.0f ms\nfigure texto_05mb_linhas_ms %.0f ms\nfigure texto_linhas_ratio %.1f x\n", ms[1], ms[0],
                ms[1] / std::max(ms[0], 0.001));
    return 0;
}
