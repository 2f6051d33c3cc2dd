#pragma once
// What child windows and dialogs need of the main window, without depending on
// it: the status bar panels, showing a window as a child, the busy cursor.
// The main window installs itself; without one (tests, headless runs)
// children are shown as top-level windows and the status texts are kept here.
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

namespace zov {

class Shell {
public:
    virtual ~Shell() = default;
    virtual QString statusText(int panel) const = 0;
    virtual void setStatusText(int panel, const QString& text) = 0;
    // Shows the window as a child of the main window, centred in its client
    // area and brought to the front.
    virtual void showChild(QWidget* window, bool maximized) = 0;
    virtual QWidget* mainWidget() = 0;
};

Shell& shell();
void installShell(Shell* s); // null puts the stand-in back

// The main window's own screen code.
inline constexpr const char* kMainScreenCode = "ZOV00000";
// Panel 3 of the status bar shows the screen code of the active window.
constexpr int kScreenCodePanel = 3;

// The hourglass for a scope.
class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

// The creator pattern of every child window: busy cursor, one instance per
// kind (remembered until the window is destroyed), maximised only on a
// 640 x 480 screen when asked, shown as a child and brought to the front.
// Returns the window (a new one or the one already open).
QWidget* criaJanelaFilha(QPointer<QWidget>& instance, const std::function<QWidget*()>& make, bool maximizeOn640);

template <class W>
W* criaJanela(QPointer<W>& instance, bool maximizeOn640, const std::function<W*()>& make)
{
    QPointer<QWidget> base = instance.data();
    QWidget* w = criaJanelaFilha(
        base, [&]() -> QWidget* { return make(); }, maximizeOn640);
    instance = static_cast<W*>(w);
    return instance.data();
}

// True when the primary screen is exactly 640 x 480 pixels.
bool isScreen640x480();

} // namespace zov
