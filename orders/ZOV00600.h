#pragma once
// ZOV00600: TfrmProdInativo, the list of what the order export could not send
// (orders with inactive products, or orders of inactive customers).
#include <QDialog>

class QLabel;
class QTableView;

namespace zov {

class DatasetModel;
class Query;

class TfrmProdInativo final : public QDialog {
    Q_OBJECT
public:
    TfrmProdInativo(Query& dataset, bool& pboOpcao, bool produtos, QWidget* parent = nullptr);

    static QString textoProdutos();
    static QString textoClientes();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ok();
    bool& pboOpcao_;
    QLabel* lblMensagem;
    QTableView* dbgDados;
};

// Shows the dialog modally over dataset; OK sets pboOpcao to true.
void CriaProdInativo(Query& dataset, bool& pboOpcao, bool produtos);

} // namespace zov
