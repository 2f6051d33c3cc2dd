#include "app/windows.h"

#include "app/ZOV00000.h"
#include "customers/ZOV00500.h"
#include "db/dbgeralped.h"
#include "orders/ZOV00100.h"
#include "orders/ZOV00103.h"
#include "orders/ZOV00600.h"
#include "session/GeralZOV.h"
#include "transfer/ZOV00200.h"
#include "transfer/ZOV00300.h"
#include "transfer/ZOV00400.h"
#include "transfer/exporta.h"

namespace zov {

void registerWindows(TfrmPedidosPrinc& main)
{
    using Item = TfrmPedidosPrinc::Item;
    main.setCreator(Item::ParamTransPed, [] { return CriaParamTransPed(); });
    main.setCreator(Item::ImportaDados, [] { return CriaImportDados(); });
    main.setCreator(Item::ExportaDados, [] { return CriaExportaDados(); });
    // The export (transfer) lists its refusals in the order folder's dialog.
    SetMostraInativos([](Query& dataset, TipoRecusa tipo) {
        bool ok = false;
        CriaProdInativo(dataset, ok,
                        tipo == TipoRecusa::Produtos       ? ModoInativo::Produtos
                            : tipo == TipoRecusa::Clientes ? ModoInativo::Clientes
                                                           : ModoInativo::Valores);
    });
    main.setCreator(Item::Cliente, [] { return CriaCliente(); });
    // The customer window's history; an order repeated from it opens in the order window.
    SetMostraHistorico([](const QString& cdCliente, const QString& nome, QWidget* parent) {
        if (auto repetir = HistoricoDoCliente(DataBaseGeralPed(), cdCliente, Filial(), nome, {}, parent)) {
            TfrmLanPedido* pedidos = CriaLanctoPedido();
            pedidos->quandoPronta([pedidos, r = std::move(*repetir)] { repetePedido(pedidos->logic(), r); });
        }
    });
    main.setCreator(Item::LanctoPedido, [] { return CriaLanctoPedido(); });
}

} // namespace zov
