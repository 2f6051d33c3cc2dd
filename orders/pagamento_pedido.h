#pragma once
// The payment terms of the order: the payment method, its kind of terms,
// fixed day and instalments, the payment form, and the base price list.
#include "library/decimal.h"
#include "orders/contexto_pedido.h"

#include <optional>

namespace zov {

// A proposed base price list (qryVerPrcBase's first row): its code,
// description and the rank of its group ("1" to "7").
struct PropostaPrcBase {
    QString cdPrecoBase, dsPrecoBase, idPesq;
};
struct ParametrosPrcBase {
    QString cdCliente, cdVendedor, cdModPgto, cdVendeAux, modPgtoAux;
};
QString qryVerPrcBaseSql();
std::optional<PropostaPrcBase> propostaPrcBase(Database& db, const ParametrosPrcBase& p);
// qryPesqPrcBase narrowed to one rank: the customer's own lists ("1") or every list ("2").
QString qryPesqPrcBaseSql();
// Whether the customer has rows of its own in PRECOBASECLI.
bool temListasProprias(Database& db, const QString& cdCliente);
// "1" when the customer has lists of its own, else "2".
QString rankPrcBaseCliente(Database& db, const QString& cdCliente);

class PagamentoPedido {
public:
    explicit PagamentoPedido(ContextoPedido& ctx);
    PagamentoPedido(const PagamentoPedido&) = delete;
    PagamentoPedido& operator=(const PagamentoPedido&) = delete;

    void Vd_CdModPgto(bool boTestaVazio);
    void cdModPgtoMudou();
    void saiCdModPgto();
    void pesquisaModPgto();
    void formaPgtoClicada();
    void FormPgto();
    void AtualizaFormaPgto();
    void Vd_DiaFixo(bool boTestaVazio);
    void diaFixoMudou();
    void saiDiaFixo();

    // The base price list field (preco_base.cpp).
    void Vd_PrcBase(bool boTestaVazio);
    void prcBaseMudou();
    void saiPrcBase();
    void pesquisaPrcBase();

    // The current order's payment method, kept open.
    void abreModPgto(const QString& cdModPgto);
    void fechaModPgto() { qryPesqMod.close(); }
    // The method's discount (VRPEDESMODPG) of the order's method, 0 without one.
    Decimal descontoModPgto();

    // The method the stored order had when put into edit; a change to another
    // asks MOD_SIT once, and Confirm then re-sets the items' situation.
    void lembraModPgto();
    void esqueceModPgto();
    bool modalidadeMudou() const { return modalidadeMudou_; }
    // The terms of the open method into the order: kind, fixed day, instalments, form.
    void aplicaModPgto();

private:
    void propoePrcBasePorModPgto();

    ContextoPedido& ctx_;
    Query qryPesqMod;
    QString stModPgto;
    bool modalidadeMudou_ = false;
};

} // namespace zov
