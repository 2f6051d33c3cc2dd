#pragma once
// What the two search windows share: the keys they leave out (at window
// level and in the search text), the upper-case search text, the grid colour.
class QColor;
class QKeyEvent;
class QObject;
class QString;
class QValidator;

namespace zov {

// The "`" character: never typed into a search.
bool isBacktick(const QKeyEvent* event);
// Key-downs with Shift held, or of the keypad 0 key, that bring no character:
// selecting, pasting with Shift+Insert, cutting with Shift+Delete. A character
// typed with Shift still arrives.
bool isDiscardedKeyDown(const QKeyEvent* event);
// The text a key typed in a grid adds to the search: "\b" for Backspace, the
// character for a printable one, empty for anything else.
QString gridKeyText(const QKeyEvent* event);

// Makes whatever is typed or pasted into a search text upper case.
QValidator* newUpperCaseValidator(QObject* parent);

// The pale yellow background of the grids that list lookups.
QColor infoBackground();

} // namespace zov
