#pragma once
// ZOV00500: the customer window, with the grid and form pages, the two
// addresses, the navigator and the commands of the registry.
#include "customers/cadastro_cliente.h"
#include "library/janela_manutencao_qt.h"

#include <QHash>
#include <QWidget>
#include <functional>
#include <memory>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenuBar;
class QToolBar;
class QTabWidget;
class QTableView;
class QToolButton;

namespace zov {

class ChildWindow;
class DatasetModel;
class DbEdit;

// "Histórico do Cliente" of the current customer is the order folder's
// window: the program sets it (customers know nothing of orders).
using MostraHistoricoFn = std::function<void(const QString& cdCliente, const QString& nome, QWidget* parent)>;
void SetMostraHistorico(MostraHistoricoFn f);
MostraHistoricoFn& mostraHistorico();

class TfrmCliente final : public JanelaManutencao, private ClienteView {
    Q_OBJECT
public:
    static constexpr const char* kScreenCode = "ZOV00500";

    explicit TfrmCliente(QWidget* parent = nullptr);
    ~TfrmCliente() override;

    CadastroCliente& logic() { return *logic_; }
    QLineEdit* edit(ControleCliente controle) const { return edits_.value(int(controle)); }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // ClienteView
    PaginaCliente paginaAtual() const override;
    void mostraPagina(PaginaCliente pagina) override;
    bool temFoco(ControleCliente controle) const override;
    bool podeFocar(ControleCliente controle) const override;
    void foca(ControleCliente controle) override;
    void habilitaComandos(const ComandosCliente& comandos) override;
    void habilitaCodigo(bool habilitado) override;
    void habilitaRazaoSocial(bool habilitado) override;
    void atualizaControles() override;
    void procura(Query& dataset) override;
    void fecha() override;

    struct Handlers {
        std::function<void()> entra;
        std::function<void()> sai;
        std::function<void()> f9;
        std::function<bool(QChar)> tecla; // false drops the key
    };
    void montaMenus(QMenuBar* menuBar, QToolBar* toolBar);
    QWidget* montaGrade();
    QWidget* montaFormulario();
    QGroupBox* montaIdentificacao();
    QGroupBox* montaEndereco(EnderecoCliente& endereco, const QString& titulo, const QString& sufixo);
    QLineEdit* dbEdit(Query& q, const char* field, const QString& name, int maxLength = 0);
    void paginaTrocada(int index);
    void proximoGrupo();

    std::unique_ptr<CadastroCliente> logic_;
    std::unique_ptr<DatasetModel> model_;
    QTabWidget* pgcPadrao = nullptr;
    QTableView* dbgPadrao = nullptr;
    QLineEdit* dbtNmFantClie = nullptr;
    QLabel* lblInscricao = nullptr;
    QLabel* lblNmRazaoSoc = nullptr;
    QLabel* lblTipo = nullptr;
    QList<QGroupBox*> grupos_;
    QList<QToolButton*> pesquisas_;
    QList<QToolButton*> navegador_;
    QList<DbEdit*> dbEdits_;
    QHash<int, QLineEdit*> edits_;
    QHash<QObject*, Handlers> handlers_;

    QAction* mnuGrade = nullptr;
    QAction* mnuFormulario = nullptr;
    QAction* mnuFechar = nullptr;
    QAction* mnuHistorico = nullptr;
    QAction* sbtIncluir = nullptr;
    QAction* sbtAlterar = nullptr;
    QAction* sbtExcluir = nullptr;
    QAction* sbtProcurar = nullptr;
    QAction* sbtVerificar = nullptr;
    QAction* sbtCancelar = nullptr;
    QAction* sbtConfirmar = nullptr;
    QList<QAction*> movimentos_;
    int paginaAnterior_ = 0;
    bool trocandoPagina_ = false;
    ChildWindow* child_ = nullptr;
};

// Shows the customer window, creating it the first time; maximised on a 640 x 480 screen.
TfrmCliente* CriaCliente();

// The generic search dialog for the address lookups (ZOV00500_pesquisa.cpp).
PesquisaFn PesquisaCliente(QWidget* parent);

} // namespace zov
