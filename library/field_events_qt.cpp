#include "library/field_events_qt.h"

#include <QFocusEvent>
#include <QWidget>

namespace zov {

bool saiDoCampo(const QEvent* focusOut, const QWidget* window)
{
    if (focusOut->type() != QEvent::FocusOut || !window->isVisible())
        return false;
    const Qt::FocusReason reason = static_cast<const QFocusEvent*>(focusOut)->reason();
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && reason != Qt::MenuBarFocusReason;
}

} // namespace zov
