#pragma once
// ZOV00102: the product consultation, TfrmConsultaProd, and ConsultaProdEst.
#include "library/rotigeral_qt.h"
#include "orders/ZOV00102_logic.h"
#include "search/delay_timer.h"

class QComboBox;
class QLineEdit;
class QListWidget;
class QTableView;

namespace zov {

class DatasetModel;

class TfrmConsultaProd : public TfrmRotiGeral {
    Q_OBJECT
public:
    static constexpr const char* kScreenCode = "ZOV00102";
    TfrmConsultaProd(Database& db, const ParametrosConsulta& parametros, QWidget* parent = nullptr);
    ~TfrmConsultaProd() override;

    ConsultaProdLogic& logic() { return logic_; }
    QTableView* dbgProdutos() const { return dbgProdutos_; }
    QListWidget* lstEscolhidos() const { return lstEscolhidos_; }
    QLineEdit* edtProcurar() const { return edtProcurar_; }
    // The search the timer runs, at once (tests).
    void pesquisaAgora();

protected:
    bool formKeyPress(QWidget* target, QKeyEvent* event) override;
    void sbtConfirmaClick() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    ColunaConsulta colunaAtual() const;
    double quantidadePadrao() const;
    void atualiza();
    void aplicaMascara();
    void vaiParaQuantidade();
    // A key that leaves the grid (to the chosen list or the search); true when used.
    bool saiDaGrade(const QKeyEvent& key);

    ConsultaProdLogic logic_;
    DatasetModel* model_ = nullptr;
    QTableView* dbgProdutos_ = nullptr;
    QListWidget* lstEscolhidos_ = nullptr;
    QComboBox* cbbCampo_ = nullptr;
    QLineEdit* edtProcurar_ = nullptr;
    QLineEdit* edtQtde_ = nullptr;
    QLineEdit* edtTotBruto_ = nullptr;
    QLineEdit* edtTotLiquido_ = nullptr;
    QtDelayTimer tmrPesquisa_;
};

// Opens the consultation modally (the hourglass while it is prepared).
void ConsultaProdEst(Database& db, const ParametrosConsulta& parametros, QWidget* parent = nullptr);

} // namespace zov
