#pragma once
// Wires each menu item of the main window to the creator of its window.
namespace zov {

class TfrmPedidosPrinc;

void registerWindows(TfrmPedidosPrinc& main);

} // namespace zov
