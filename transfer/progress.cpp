#include "transfer/progress.h"

#include <cmath>
#include <cstdio>

namespace zov {

ProgressState progressState(const ProgressWindow& window, const QStringList& lines, int position, int total, bool boMessage)
{
    ProgressState s;
    position = std::max(position, 1);
    total = std::max(total, 1);
    if (!window.hasProgressArea())
        return s;
    if (boMessage) {
        s.label1Visible = false;
        s.label2Visible = true;
        s.frameVisible = window.isDownloadWindow();
        s.barVisible = false;
        s.label2AtFrameLeft = true;
        s.line2 = lines.value(0);
    } else {
        s.line1 = lines.value(0);
        s.line2 = lines.value(1);
        s.label1Visible = s.label2Visible = s.frameVisible = s.barVisible = true;
    }
    s.barPercent = int(std::lround(100.0 * std::min(position, total) / total));
    return s;
}

void StderrProgress::showProgress(const ProgressState& state)
{
    const QString line = state.label1Visible ? state.line1 + QStringLiteral(": ") + state.line2 : state.line2;
    if (line == last_ || line.trimmed().isEmpty())
        return;
    last_ = line;
    std::fprintf(stderr, "%s\n", qUtf8Printable(line));
}

} // namespace zov
