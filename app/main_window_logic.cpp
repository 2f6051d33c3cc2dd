#include "app/main_window_logic.h"

#include "library/formats.h"
#include "library/shell.h"
#include "session/GeralZOV.h"

namespace zov {

const TMessages& MainWindowLogic::msgPadrao()
{
    static const TMessages table{"ON_EXIT|Deseja sair do sistema ?", "PROC|Proc.:", "FILIAL|Filial"};
    return table;
}

QStringList MainWindowLogic::statusPanels(const QDate& today)
{
    return {msgPadrao().Msg(QStringLiteral("PROC")) + formatDate(today),
            msgPadrao().Msg(QStringLiteral("FILIAL")) + QLatin1Char(' ') + Filial(), NmOperador(), QString::fromLatin1(kMainScreenCode),
            QString()};
}

bool MainWindowLogic::confirmExit() { return msgPadrao().ShowMsg(QStringLiteral("ON_EXIT")); }

} // namespace zov
