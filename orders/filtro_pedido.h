#pragma once
// TFiltro: the order window's filter record, edited by the order filter
// dialog (ZOV00101) and read by the order list query, whose parameters it
// gives. The order window owns the instance.
#include "library/relogio.h"
#include <QDate>
#include <QString>
#include <QVariantMap>

namespace zov {

struct TNrPedido {
    bool boIntervalo = false;
    bool boTodos = true;
    QString stDe, stAte; // 10 characters once normalised
    QString stNrPedido;  // list text "_K1_K2_"
};
struct TPrio {
    bool boNormal = true, boAlta = true, boUrgente = true;
};
struct TStatPed {
    bool boPendente = true, boExportado = true;
};
struct TProduto {
    bool boTodos = true;
    QString stProduto; // CDARVPROD list text
};
struct TCliente {
    bool boTodos = true;
    QString stCliente;
};
struct TEntrega {
    bool boTodos = true;
    QDate dtDe, dtAte; // null: none
};
struct TEmissao {
    bool boTodos = false;
    QDate dtDe, dtAte;
};
struct TMuniciCli {
    bool boTodos = true;
    QString stMuniciCli; // country + state + municipality codes, list text
};
struct TTipoOper {
    bool boTodos = true;
    QString stTipoOper;
};

struct TFiltro {
    TNrPedido NrPedido;
    TPrio Prioridade;
    TStatPed StatusPedido;
    TProduto Produto;
    TCliente Cliente;
    TEntrega Entrega;
    TEmissao Emissao;
    TMuniciCli MuniciCli;
    TTipoOper TipoOper;
    // The company's situation: empty for any, "-" for none yet, else its letter.
    QString SitEmpresa;
    QString Filial;
};

// The values the order window starts with: both situations, every
// priority, orders of the last ten days up to today, nothing else restricted.
TFiltro filtroInicial(const QDate& today = zov::dataDeHoje());

// The order list query's parameters (P_CDFILIAL, P_TCLIENTE...), each "all"
// parameter "T" or empty.
QVariantMap parametrosPedido(const TFiltro& filtro);

} // namespace zov
