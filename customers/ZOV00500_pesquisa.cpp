// The one place where the customer window meets the generic search dialog.
#include "customers/ZOV00500.h"

#include "library/dialogs.h"

namespace zov {

PesquisaFn PesquisaCliente(QWidget* parent)
{
    // TODO(search): call PesquisarZOV(lista, titulo, false, true) once the
    // generic search dialog is in the tree.
    return [](Query&, const QString&) {
        dialogs().info(QStringLiteral("A pesquisa não está disponível."));
        return false;
    };
}

} // namespace zov
