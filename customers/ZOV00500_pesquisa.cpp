// The one place where the customer window meets the generic search dialog.
#include "customers/ZOV00500.h"

#include "search/pesquisaZOV.h"

namespace zov {

PesquisaFn PesquisaCliente(QWidget*)
{
    // Every lookup opens the full list and the search converts to upper case.
    return [](Query& lista, const QString& titulo) { return PesquisarZOV(lista, titulo, false, true); };
}

} // namespace zov
