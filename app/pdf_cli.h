#pragma once
// zov-pedidos --pdf: one order's mirror written as a PDF file, without any
// window, for scripts and tests. Needs a QGuiApplication (fonts); main()
// makes one on the offscreen platform.
#include <QString>

namespace zov {

struct PdfOptions {
    QString database;
    QString pedido; // the number; a short one is zero-filled to 10
    QString filial; // zero-filled to 4
    QString output;
};

// Exit code: 0 when the file was written, 1 when the order does not exist or
// the file cannot be written (the reason on stderr), 2 for wrong options.
int runPdf(const PdfOptions& options);

} // namespace zov
