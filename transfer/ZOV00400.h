#pragma once
// ZOV00400: the reference-data download window ("Importar Dados Via Internet").
#include "transfer/impor_tab.h"

#include <QWidget>

class QAction;
class QPushButton;

namespace zov {

class ChildWindow;
class ProgressArea;

class TfrmImporTab final : public QWidget, public ImporTabView {
    Q_OBJECT
public:
    static constexpr const char* kScreenCode = "ZOV00400";
    explicit TfrmImporTab(QWidget* parent = nullptr);

    ImporTab& logic() { return logic_; }

    // ProgressWindow / ImporTabView
    bool hasProgressArea() const override { return true; }
    void showProgress(const ProgressState& state) override;
    void bringToFront() override;
    void setCommandsEnabled(bool enabled) override;
    void closeWindow() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void confirmar();

    ImporTab logic_;
    ChildWindow* child_ = nullptr;
    ProgressArea* progresso_;
    QPushButton* sbtConfirma;
    QPushButton* sbtFechar;
    QPushButton* sbtAjuda;
};

// Shows the window, creating it the first time; it always opens normal.
TfrmImporTab* CriaImportDados();

} // namespace zov
