#pragma once
// What the windows' field events have in common.
class QEvent;
class QWidget;

namespace zov {

// A focus-out event that is the user leaving the field: not another window,
// a pop-up or the menu bar taking the focus, nor the window going away.
bool saiDoCampo(const QEvent* focusOut, const QWidget* window);

} // namespace zov
