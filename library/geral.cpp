#include "library/geral.h"

namespace zov {

namespace {
bool formChange = false;
bool msgPagina = false;
} // namespace

void HandleFormChange(QCoreApplication&) { formChange = true; }
void HandleMsgPagina() { msgPagina = true; }
bool handlersInstalled() { return formChange && msgPagina; }

} // namespace zov
