#pragma once
// ZOV00600: TfrmProdInativo, the list of what the order export could not send
// (orders with inactive products, orders of inactive customers, or orders
// with a value the server does not take).
#include <QDialog>

class QLabel;
class QTableView;

namespace zov {

class DatasetModel;
class Query;

// What the list holds.
enum class ModoInativo { Produtos, Clientes, Valores };

class TfrmProdInativo final : public QDialog {
    Q_OBJECT
public:
    TfrmProdInativo(Query& dataset, bool& pboOpcao, ModoInativo modo, QWidget* parent = nullptr);

    static QString textoProdutos();
    static QString textoClientes();
    static QString textoValores();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ok();
    bool& pboOpcao_;
    QLabel* lblMensagem;
    QTableView* dbgDados;
};

// Shows the dialog modally over dataset; OK sets pboOpcao to true.
void CriaProdInativo(Query& dataset, bool& pboOpcao, ModoInativo modo);

} // namespace zov
