#pragma once
// The in-house window-change and page-message handlers, installed once after a
// successful login. This program relies on nothing they do; they only record
// that they were installed.
class QCoreApplication;

namespace zov {

void HandleFormChange(QCoreApplication& app);
void HandleMsgPagina();
bool handlersInstalled();

} // namespace zov
