#pragma once
// ZOV00103: "Histórico do Cliente", what a customer bought in the last 12
// months: its orders newest first with the lines of the chosen one, and by
// product the last date, the last price and the quantity. Its confirm button
// repeats the chosen order.
#include "library/rotigeral_qt.h"
#include "orders/historico_cliente.h"
#include "orders/repeticao_pedido.h"

#include <optional>

class QTabWidget;
class QTableWidget;

namespace zov {

class TfrmHistoricoCliente final : public TfrmRotiGeral {
    Q_OBJECT
public:
    static constexpr const char* kScreenCode = "ZOV00103";

    TfrmHistoricoCliente(Database& db, const QString& cdCliente, const QString& cdFilial, const QString& nome, const QString& semPedido,
                         QWidget* parent = nullptr);

    // The order to repeat, when "Repetir Pedido" closed the window.
    const std::optional<PedidoParaRepetir>& paraRepetir() const { return paraRepetir_; }
    QTableWidget* gradePedidos() const { return pedidos_; }
    QTableWidget* gradeLinhas() const { return linhas_; }
    QTableWidget* gradeProdutos() const { return produtos_; }
    QTabWidget* paginas() const { return paginas_; }

protected:
    void sbtConfirmaClick() override;

private:
    void mostraLinhas();
    void atualizaRepetir();
    void trocaPagina();

    Database& db_;
    QString cdCliente_, cdFilial_;
    HistoricoCliente historico_;
    std::optional<PedidoParaRepetir> paraRepetir_;
    QTabWidget* paginas_ = nullptr;
    QTableWidget* pedidos_ = nullptr;
    QTableWidget* linhas_ = nullptr;
    QTableWidget* produtos_ = nullptr;
};

// Opens the history modally (the hourglass while it is read); the order the
// user chose to repeat, if any.
std::optional<PedidoParaRepetir> HistoricoDoCliente(Database& db, const QString& cdCliente, const QString& cdFilial, const QString& nome,
                                                    const QString& semPedido, QWidget* parent);

} // namespace zov
