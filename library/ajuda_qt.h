#pragma once
// The program's help: one page per window, named by the window's screen code,
// in the resources under :/ajuda (an index, a search over every page), shown
// in a window of its own that works without a network. F1 anywhere opens it
// at the page of the window in front.
#include <QString>

class QWidget;

namespace zov {

// The page of a screen code, or the index when the code has none.
QString paginaDaAjuda(const QString& codigoTela);
// Every page the help has, index first: file names ("ZOV00100.html").
QStringList paginasDaAjuda();
// Opens (or brings to the front) the help window at the code's page.
void MostraAjuda(const QString& codigoTela, QWidget* parent = nullptr);
// The screen code of the window the focus is in: the nearest widget up the
// parents with a "screenCode" property, else the main window's.
QString codigoDaTela(const QWidget* dentro);
// F1 in any window of the program opens the help at that window's page.
void instalaAjudaF1();

} // namespace zov
