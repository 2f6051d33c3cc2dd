#include "library/shell.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace zov {

namespace {

// Without a main window: texts are remembered and children are plain windows.
class StandInShell final : public Shell {
public:
    QString statusText(int panel) const override { return texts_[std::clamp(panel, 0, 4)]; }
    void setStatusText(int panel, const QString& text) override { texts_[std::clamp(panel, 0, 4)] = text; }
    void showChild(QWidget* window, bool maximized) override
    {
        // A window opened again comes back from minimised or maximised.
        if (maximized)
            window->showMaximized();
        else
            window->showNormal();
        window->raise();
        window->activateWindow();
    }
    QWidget* mainWidget() override { return nullptr; }

private:
    QString texts_[5];
};

Shell* standIn()
{
    static StandInShell s;
    return &s;
}

Shell*& current()
{
    static Shell* s = standIn();
    return s;
}

} // namespace

Shell& shell() { return *current(); }

void installShell(Shell* s) { current() = s ? s : standIn(); }

BusyCursor::BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }

BusyCursor::~BusyCursor() { QApplication::restoreOverrideCursor(); }

bool isScreen640x480()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen && screen->size() == QSize(640, 480);
}

QWidget* criaJanelaFilha(QPointer<QWidget>& instance, const std::function<QWidget*()>& make, bool maximizeOn640)
{
    BusyCursor busy;
    if (!instance) {
        QWidget* w = make();
        w->setAttribute(Qt::WA_DeleteOnClose);
        instance = w;
    }
    shell().showChild(instance, maximizeOn640 && isScreen640x480());
    return instance;
}

} // namespace zov
