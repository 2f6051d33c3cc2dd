#pragma once
// The orders the order windows hold in edit, so that the export leaves them
// alone: what a window is about to store is not what the export would send.
#include <QString>
#include <functional>
#include <optional>
#include <utility>

namespace zov {

// Branch and number of the order a window holds in edit; none when it holds none.
using PedidoEmEdicaoFn = std::function<std::optional<std::pair<QString, QString>>()>;

// Registered for as long as the object lives (a window's logic).
class RegistroPedidoEmEdicao {
public:
    explicit RegistroPedidoEmEdicao(PedidoEmEdicaoFn qual);
    ~RegistroPedidoEmEdicao();
    RegistroPedidoEmEdicao(const RegistroPedidoEmEdicao&) = delete;
    RegistroPedidoEmEdicao& operator=(const RegistroPedidoEmEdicao&) = delete;

private:
    int id_;
};

// Whether an order window holds this order in edit now.
bool PedidoEmEdicao(const QString& filial, const QString& numero);

} // namespace zov
