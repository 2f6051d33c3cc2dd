#pragma once
// The button row of the transfer windows: pushed with the mouse or their
// letter, never the default of Enter (each window decides what Enter does).
#include <QStyle>

class QHBoxLayout;
class QPushButton;
class QString;
class QWidget;

namespace zov {

QPushButton* addWindowButton(QWidget* window, QHBoxLayout* row, const char* name, const QString& text, QStyle::StandardPixmap icon);
// Ajuda: says that help is not available.
QPushButton* addHelpButton(QWidget* window, QHBoxLayout* row);

} // namespace zov
