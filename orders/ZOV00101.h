#pragma once
// ZOV00101: the order filter dialog TfrmFiltroPedido and CriaFiltroPedido,
// which the order window's filter button calls. The checks, the record
// written back and Desfazer are in ZOV00101_logic.
#include "library/dataset.h"
#include "library/rotigeral_qt.h"
#include "orders/ZOV00101_logic.h"
#include "orders/filtro_pedido.h"

#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QMenu;
class QRadioButton;
class QToolButton;

namespace zov {

class TfrmFiltroPedido final : public TfrmRotiGeral {
    Q_OBJECT
public:
    static constexpr const char* kScreenCode = "ZOV00101";
    // CDTELA of the saved option sets.
    static constexpr const char* kNomeUnit = "ZOV00101";

    // filtro is written only by a Confirmar whose checks pass; reabreLista
    // then reopens the order list with it.
    TfrmFiltroPedido(TFiltro& filtro, std::function<void()> reabreLista, QWidget* parent = nullptr);
    ~TfrmFiltroPedido() override;

    // What the controls hold, list texts included.
    EscolhasFiltro escolhas() const;
    void mostraEscolhas(const EscolhasFiltro& e);

    QMenu* mnuOpcoes() const { return mnuOpcoes_; }
    // BoExecut: the restore button showed its menu and no set was chosen yet.
    bool menuOpcoesMostrado() const { return BoExecut; }

protected:
    bool formKeyPress(QWidget* target, QKeyEvent* event) override;
    void sbtConfirmaClick() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void montaTela();
    void atualizaEstados();
    void sbtLimpaClick();
    void btfSaveOpcClick();
    void btfLoadOpcClick();
    void aplicaConjunto(const QString& nome);
    void saiData(QLineEdit* edit);
    void pesquisaNrPedido();
    void pesquisaCliente();
    void pesquisaMuniciCli();
    void pesquisaTipoOper();
    void pesquisaProduto();

    TFiltro& Filtro;
    std::function<void()> reabreLista_;

    // The list texts being edited.
    QString stNrPedido, stCliente, stProduto, stMuniciCli, stTipoOper;
    bool BoExecut = false;
    bool carregando_ = false;

    Query qryNrPedido, qryCliente, qryProduto, qryPesqTipoOper, qryMuniciCli;

    QRadioButton *rbtNrPedidoTodos, *rbtNrPedidoLista, *rbtNrPedidoIntervalo;
    QLineEdit *medDe, *medAte;
    QLineEdit *dtpPedidoDe, *dtpPedidoAte, *dtpEntregaDe, *dtpEntregaAte;
    QRadioButton *rbtClienteTodos, *rbtClienteLista;
    QRadioButton *rbtTipoOperTodos, *rbtTipoOperLista;
    QRadioButton *rbtMuniciCliTodos, *rbtMuniciCliLista;
    QRadioButton *rbtProdutoTodos, *rbtProdutoLista;
    QCheckBox *chkNormal, *chkAlta, *chkUrgente, *chkPendente, *chkExportado;
    QComboBox* cbxSitEmpresa = nullptr;
    QToolButton *btnNrPedido, *btnCliente, *btnTipoOper, *btnMuniciCli, *btnProduto;
    QToolButton *sbtLimpa, *sbtAjuda, *btfSaveOpc, *btfLoadOpc;
    QMenu* mnuOpcoes_;
};

// Opens the order filter modally over Filtro. True when the user confirmed:
// Filtro holds the new choices and reabreLista has run. False when the
// dialog was closed otherwise: Filtro is as it was.
bool CriaFiltroPedido(TFiltro& Filtro, const std::function<void()>& reabreLista, QWidget* parent = nullptr);

} // namespace zov
