#pragma once
// ZOV00300: the transmission parameters window (the application server's address).
#include "library/janela_manutencao_qt.h"
#include "transfer/param_trans_ped.h"

#include <QWidget>
#include <memory>

class QAction;
class QLineEdit;
class QTableView;

namespace zov {

class ChildWindow;
class DatasetModel;

class TfrmParamTransPed final : public JanelaManutencao, private ParamTransPedView {
    Q_OBJECT
public:
    static constexpr const char* kScreenCode = "ZOV00300";

    explicit TfrmParamTransPed(QWidget* parent = nullptr);
    ~TfrmParamTransPed() override;

    ParamTransPed& logic() { return *logic_; }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // ParamTransPedView
    QString textoEndereco() const override;
    void mostraEndereco(const QString& text) override;
    void focaEndereco() override;
    void habilitaComandos(const ComandosParamTransPed& comandos) override;
    void refreshGrids() override;
    void fecha() override;

    QAction* comando(const QString& name, const QString& text, const QKeySequence& key, void (ParamTransPed::*run)());

    QLineEdit* edtNrIpServApliq = nullptr;
    QTableView* dbgParamTransPed = nullptr;
    // Toolbar buttons and menu entries are separate actions: the include
    // button follows the table, its menu entry (F2) does not.
    QAction* sbtIncluir = nullptr;
    QAction* sbtAlterar = nullptr;
    QAction* sbtAtualizar = nullptr;
    QAction* sbtCancelar = nullptr;
    QAction* sbtConfirmar = nullptr;
    QAction* sbtFechar = nullptr;
    QAction* sbtAjuda = nullptr;
    QAction* mnuIncluir = nullptr;
    QAction* mnuAlterar = nullptr;
    QAction* mnuAtualizar = nullptr;
    QAction* mnuCancelar = nullptr;
    QAction* mnuConfirmar = nullptr;
    QAction* mnuFechar = nullptr;

    std::unique_ptr<ParamTransPed> logic_;
    std::unique_ptr<DatasetModel> model_;
    ChildWindow* child_ = nullptr;
};

// Shows the window, creating it the first time; always opens normal.
TfrmParamTransPed* CriaParamTransPed();

} // namespace zov
