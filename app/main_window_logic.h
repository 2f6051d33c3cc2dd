#pragma once
// What the main window decides: its status texts, the exit question, the
// screen code shown while a child window is open.
#include "library/messages.h"

#include <QDate>
#include <QStringList>

namespace zov {

class MainWindowLogic {
public:
    static const TMessages& msgPadrao();
    // Panels 0 to 4: "Proc.:07/12/2026", "Filial 0001", operator name, "ZOV00000", "".
    static QStringList statusPanels(const QDate& today);
    // ON_EXIT; only Yes leaves.
    static bool confirmExit();
};

} // namespace zov
