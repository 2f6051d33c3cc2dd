#pragma once
// ZOV00200: the order export window ("Exportar Dados Via Internet").
#include "transfer/exporta_dados.h"

#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;

namespace zov {

class ChildWindow;
class DatasetModel;

class TfrmExportaDados final : public QWidget, public ExportaDadosView {
    Q_OBJECT
public:
    static constexpr const char* kScreenCode = "ZOV00200";
    explicit TfrmExportaDados(QWidget* parent = nullptr);
    ~TfrmExportaDados() override;

    ExportaDadosLogic& logic() { return logic_; }

    // ExportaDadosView
    void setConfirmEnabled(bool enabled) override;
    void setCommandsEnabled(bool enabled) override;
    void showProgress(int maximum, int position, const QString& label) override;
    void setPainting(bool on) override;
    void closeWindow() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void confirmar();
    void procurar();

    ExportaDadosLogic logic_;
    ChildWindow* child_ = nullptr;
    DatasetModel* model_ = nullptr;
    QTableView* dbgPedidos;
    QProgressBar* pgbProgresso;
    QLabel* lblProgresso;
    QPushButton* sbtConfirma;
    QPushButton* sbtProcura;
    QPushButton* sbtFechar;
    QPushButton* sbtAjuda;
};

// Shows the window, creating it the first time (busy cursor meanwhile).
TfrmExportaDados* CriaExportaDados();

} // namespace zov
