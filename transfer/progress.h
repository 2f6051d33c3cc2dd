#pragma once
// What the transfer steps show while they run, and where.
#include <QString>
#include <QStringList>

namespace zov {

// A window's progress area: the labels lblProgresso1 and lblProgresso2, the
// frame bvlProgresso and the bar shpProgresso. Windows without one still get
// shown and repainted.
struct ProgressState {
    QString line1, line2;
    bool label1Visible = false;
    bool label2Visible = false;
    bool frameVisible = false;
    bool barVisible = false;
    bool label2AtFrameLeft = false; // message mode aligns the message with the frame
    int barPercent = 0;             // of the frame's width, 0..100
};

class ProgressWindow {
public:
    virtual ~ProgressWindow() = default;
    virtual bool hasProgressArea() const = 0;
    // The download window keeps its frame in message mode; others hide it.
    virtual bool isDownloadWindow() const { return false; }
    virtual void showProgress(const ProgressState& state) = 0;
    // Shows the window if hidden, brings it to the front and repaints it.
    virtual void bringToFront() = 0;
};

// Headless runs print each new line to stderr.
class StderrProgress final : public ProgressWindow {
public:
    bool hasProgressArea() const override { return true; }
    void showProgress(const ProgressState& state) override;
    void bringToFront() override {}

private:
    QString last_;
};

// The state a window shows for one UpdateProgress call (positions and totals below 1 count as 1).
ProgressState progressState(const ProgressWindow& window, const QStringList& lines, int position, int total, bool boMessage);

} // namespace zov
