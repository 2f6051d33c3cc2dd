#pragma once
// The download window's logic: takes the kept server address, tests the
// connection, downloads and applies the reference tables, and says how it went.
#include "library/messages.h"
#include "transfer/progress.h"

namespace zov {

class ImporTabView : public ProgressWindow {
public:
    // The confirm, close and help buttons and the Close entry of the system menu.
    virtual void setCommandsEnabled(bool enabled) = 0;
    virtual void closeWindow() = 0;
    bool isDownloadWindow() const override { return true; }
};

class ImporTab {
public:
    explicit ImporTab(ImporTabView& view) : view_(view) {}
    static const TMessages& msgPadrao();

    // Confirm (also Enter). True when the download and the apply succeeded.
    bool confirmar();
    void fechar() { view_.closeWindow(); }
    bool running() const { return running_; }

private:
    void restore();
    ImporTabView& view_;
    bool running_ = false;
};

} // namespace zov
