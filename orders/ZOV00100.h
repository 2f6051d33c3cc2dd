#pragma once
// ZOV00100: the order window, with the order list, the header, the payment
// terms and price list, the items and the observation of the current order.
#include "library/janela_manutencao_qt.h"
#include "orders/lanc_pedido.h"

#include <QHash>

#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

class QAction;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenuBar;
class QRadioButton;
class QTabWidget;
class QTableView;
class QTextEdit;
class QToolBar;
class QToolButton;

namespace zov {

class ChildWindow;
class DatasetModel;

class TfrmLanPedido final : public JanelaManutencao, private PedidoView {
    Q_OBJECT
public:
    static constexpr const char* kScreenCode = "ZOV00100";

    explicit TfrmLanPedido(QWidget* parent = nullptr);
    ~TfrmLanPedido() override;

    LancPedido& logic() { return *logic_; }
    QWidget* controle(ControlePedido c) const { return controles_.value(int(c)); }
    // The order filter the window opens (the real dialog unless replaced).
    using FiltroFn = std::function<bool(TFiltro&, const std::function<void()>& reabre)>;
    void setFiltro(FiltroFn filtro) { filtro_ = std::move(filtro); }
    // Runs f through the guard once the first activation (branch, filter, list)
    // is done; at once when it is. Another window's order repeated here waits for it.
    void quandoPronta(std::function<void()> f);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    // PedidoView
    PaginaPedido paginaAtual() const override;
    void mostraPagina(PaginaPedido pagina) override;
    ControlePedido controleComFoco() const override;
    void foca(ControlePedido controle) override;
    void habilitaComandos(const ComandosPedido& comandos) override;
    void atualizaTela() override;
    void procura(Query& dataset) override;
    ColunaItem colunaItem() const override;
    void focaColunaItem(ColunaItem coluna) override;
    bool gradeItensAtiva() const override;
    void precoEditavel(bool editavel) override;
    bool teclaGradeItens(const QKeyEvent* key);
    bool filtra(TFiltro& filtro, const std::function<void()>& reabre) override;
    void fecha() override;

    struct Handlers {
        std::function<void()> entra;
        std::function<void()> sai;
        std::function<void()> f9;
        std::function<void()> enter;
    };
    void montaMenus(QMenuBar* menuBar, QToolBar* toolBar);
    QWidget* montaFilial();
    QWidget* montaLista();
    QWidget* montaDadosGerais();
    QWidget* montaModalidade();
    QWidget* montaItens();
    QWidget* montaObservacao();
    QLineEdit* edit(const QString& name, ControlePedido c = ControlePedido::Nenhum, bool readOnly = false);
    QToolButton* botaoPesquisa(const QString& name, std::function<void()> run);
    void liga(QLineEdit* e, QString TelaPedido::*campo, std::function<void()> mudou, bool digitos = false);
    // A command acts on what the open cell editor holds, never on the row without it.
    bool antesDoComando() override;
    void poeTexto(QLineEdit* e, const QString& text);
    void paginaTrocada(int index);
    // The current page's natural control takes the focus, unless the focus is already in the window.
    void focaPaginaAtual();
    // Ctrl+Tab, Ctrl+PgDn (+1) and Ctrl+Shift+Tab, Ctrl+PgUp (-1).
    void mudaPaginaPorTecla(int passo);
    void mostraObservacao();

    std::unique_ptr<LancPedido> logic_;
    std::unique_ptr<DatasetModel> modelPedido_;
    std::unique_ptr<DatasetModel> modelItens_;
    QTabWidget* pgcPedido = nullptr;
    QTableView* dbgPedido = nullptr;
    QTableView* dbgItens = nullptr;
    QGroupBox* grpFilial = nullptr;
    QLabel* lblDsPedido = nullptr;
    QLabel* lblPeriodo = nullptr;
    QLineEdit* edtNmFilial = nullptr;
    QLineEdit* edtNrPedido = nullptr;
    QLineEdit* edtNmCliente = nullptr;
    QLineEdit* edtNmVendedor = nullptr;
    QLineEdit* edtNmTipoOper = nullptr;
    QLabel* lblSitEmpresa = nullptr;
    QLabel* lblCredito = nullptr;
    QLineEdit* edtDsModPgto = nullptr;
    QLineEdit* edtDsPrcBase = nullptr;
    QLineEdit* edtParcelas = nullptr;
    QLineEdit* edtCdFormPgto = nullptr;
    QLineEdit* edtNmFormPgto = nullptr;
    QLineEdit* edtTotBruto = nullptr;
    QLineEdit* edtTotLiq = nullptr;
    QLineEdit* edtDescMed = nullptr;
    QLineEdit* edtDescTotal = nullptr;
    QCheckBox* chkProxMes = nullptr;
    QLabel* lblCom = nullptr;
    QLabel* lblParcelas = nullptr;
    QLabel* lblAbre = nullptr;
    QList<QRadioButton*> rdgFormaPgto_;
    QHash<int, QRadioButton*> prioridades_;
    QTextEdit* dbrObservacao = nullptr;
    QList<QAction*> obsBotoes_;
    QList<QWidget*> obsArea_;   // the formatting bar and the file buttons
    QList<QWidget*> cabecalho_; // disabled for an exported order
    QList<QToolButton*> navegador_;
    QHash<int, QWidget*> controles_;
    QHash<QObject*, Handlers> handlers_;
    QHash<QLineEdit*, QString TelaPedido::*> campos_;

    QList<QAction*> paginas_;
    QAction* sbtIncluir = nullptr;
    QAction* sbtAlterar = nullptr;
    QAction* sbtExcluir = nullptr;
    QAction* sbtProcurar = nullptr;
    QAction* sbtAtualizar = nullptr;
    QAction* sbtCancelar = nullptr;
    QAction* sbtConfirmar = nullptr;
    QAction* sbtFiltrar = nullptr;
    QAction* sbtConsultaProd = nullptr;
    QAction* sbtImprimir = nullptr;
    QAction* mnuConfImpressora = nullptr;
    QAction* mnuEmail = nullptr;
    QAction* mnuHistorico = nullptr;
    QAction* mnuRepetir = nullptr;
    QAction* mnuFechar = nullptr;
    QList<QAction*> movimentos_;
    FiltroFn filtro_;
    bool trocandoPagina_ = false;
    bool trocandoColuna_ = false;
    bool iniciada_ = false;
    bool pronta_ = false;
    std::vector<std::function<void()>> aoFicarPronta_;
    ChildWindow* child_ = nullptr;
};

// Shows the order window, creating it the first time; maximised on a 640 x 480 screen.
TfrmLanPedido* CriaLanctoPedido();

// The generic search dialog for the window's lookups, and the order filter
// (ZOV00100_pesquisa.cpp: the one place the window meets search/).
PesquisaFn PesquisaPedido(QWidget* parent);
bool FiltraPedidos(TFiltro& filtro, const std::function<void()>& reabre, QWidget* parent);
void ConsultaProdutos(LancPedido& pedido, QWidget* parent);
// The preview of an order's mirror, where it is printed or saved as a PDF
// (ZOV00100_impressao.cpp).
void ImprimePedido(Database& db, const QString& cdFilial, const QString& nrPedido, QWidget* parent);

} // namespace zov
