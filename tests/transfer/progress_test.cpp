// What UpdateProgress shows, and which window it keeps.
#include "transfer/atu_tab.h"
#include "transfer/dtm_atu_tab.h"
#include "transfer/progress.h"

#include <gtest/gtest.h>

using namespace zov;

namespace {

class RecordingWindow final : public ProgressWindow {
public:
    explicit RecordingWindow(bool area, bool download = false) : area_(area), download_(download) {}
    bool hasProgressArea() const override { return area_; }
    bool isDownloadWindow() const override { return download_; }
    void showProgress(const ProgressState& s) override { shown.push_back(s); }
    void bringToFront() override { ++fronted; }
    std::vector<ProgressState> shown;
    int fronted = 0;

private:
    bool area_, download_;
};

TEST(Progress, ProgressModeShowsBothLinesAndTheBar)
{
    RecordingWindow w(true);
    const ProgressState s =
        progressState(w, {QStringLiteral("Atualizando tabela local"), QStringLiteral("CLIENTE - 12 de 340")}, 12, 340, false);
    EXPECT_TRUE(s.label1Visible && s.label2Visible && s.frameVisible && s.barVisible);
    EXPECT_EQ(s.line1, QStringLiteral("Atualizando tabela local"));
    EXPECT_EQ(s.line2, QStringLiteral("CLIENTE - 12 de 340"));
    EXPECT_EQ(s.barPercent, 4);
}

TEST(Progress, MessageModeShowsOneLineAndKeepsTheFrameOnlyInTheDownloadWindow)
{
    RecordingWindow login(true), download(true, true);
    const ProgressState a = progressState(login, {QStringLiteral("Conectando ao servidor...")}, 0, 1, true);
    EXPECT_FALSE(a.label1Visible);
    EXPECT_TRUE(a.label2Visible);
    EXPECT_EQ(a.line2, QStringLiteral("Conectando ao servidor..."));
    EXPECT_FALSE(a.frameVisible);
    EXPECT_FALSE(a.barVisible);
    EXPECT_TRUE(a.label2AtFrameLeft);
    EXPECT_TRUE(progressState(download, {QStringLiteral("x")}, 0, 1, true).frameVisible);
}

TEST(Progress, TotalsAndPositionsBelowOneCountAsOne)
{
    RecordingWindow w(true);
    EXPECT_EQ(progressState(w, {QStringLiteral("a"), QStringLiteral("b")}, 0, 0, false).barPercent, 100);
    EXPECT_EQ(progressState(w, {QStringLiteral("a"), QStringLiteral("b")}, -5, -1, false).barPercent, 100);
    EXPECT_EQ(progressState(w, {QStringLiteral("a"), QStringLiteral("b")}, 1, 3, false).barPercent, 33);
    RecordingWindow bare(false);
    const ProgressState none = progressState(bare, {QStringLiteral("a")}, 1, 1, true);
    EXPECT_FALSE(none.label1Visible || none.label2Visible || none.frameVisible);
}

TEST(Progress, TheFirstWindowHandedOverIsKeptUntilTheDataModuleGoes)
{
    DestroiDataModulo();
    RecordingWindow first(true), second(true);
    UpdateProgress(&first, {QStringLiteral("um")}, 0, 1, true);
    UpdateProgress(&second, {QStringLiteral("dois")}, 0, 1, true);
    ASSERT_NE(dtmAtuTab(), nullptr);
    EXPECT_EQ(dtmAtuTab()->progressWindow, &first);
    EXPECT_EQ(first.fronted, 1);
    ASSERT_EQ(second.shown.size(), 1u) << "each call still shows in the window it was given";
    EXPECT_EQ(second.shown[0].line2, QStringLiteral("dois"));
    DestroiDataModulo();
    UpdateProgress(&second, {QStringLiteral("três")}, 0, 1, true);
    EXPECT_EQ(dtmAtuTab()->progressWindow, &second);
    DestroiDataModulo();
}

} // namespace
