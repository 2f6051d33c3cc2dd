#pragma once
// The order filter dialog (ZOV00101) without widgets: what its controls
// hold, loaded from the filter record, checked on Confirmar and written back,
// and reset by Desfazer.
#include "library/messages.h"
#include "library/relogio.h"
#include "orders/filtro_pedido.h"

#include <QDate>
#include <QMap>
#include <QString>
#include <optional>

namespace zov {

enum class EscolhaNrPedido { Todos, Lista, Intervalo };

// The dialog's controls. Dates are the texts of the date edits (dd/MM/yyyy,
// blank when empty).
struct EscolhasFiltro {
    EscolhaNrPedido nrPedido = EscolhaNrPedido::Todos;
    QString stDe, stAte;
    QString emissaoDe, emissaoAte, entregaDe, entregaAte;
    bool normal = true, alta = true, urgente = true;
    bool pendente = true, exportado = true;
    bool clienteLista = false, produtoLista = false, municiCliLista = false, tipoOperLista = false;
    QString stNrPedido, stCliente, stProduto, stMuniciCli, stTipoOper;
    QString sitEmpresa; // as TFiltro::SitEmpresa
};

// A failed check: the message key, its text as shown, and the control that
// takes the focus (the names of the dialog's controls).
struct FalhaFiltro {
    QString key;
    QString texto;
    QString foco;
};

const TMessages& msgFiltroPedido();

// The controls as the record sets them on activation; the operation-type
// choice is not taken from the record (it keeps `atual`'s).
EscolhasFiltro escolhasDoFiltro(const TFiltro& filtro, const EscolhasFiltro& atual = {});

// Desfazer: lists emptied, everything "Todos" and checked, the order dates
// the current month, no delivery dates.
EscolhasFiltro escolhasDesfeitas(const QDate& today = zov::dataDeHoje());

// Confirmar's checks, in their order (the interval edits are normalised to
// ten characters first, in place). focoNaEntrega: the focus is in a
// delivery-date edit, whose checks then run first.
std::optional<FalhaFiltro> confereFiltro(EscolhasFiltro& escolhas, bool focoNaEntrega = false);

// The dialog's lookups. qryMuniciCli: the municipalities of the customers'
// addresses, of the chosen customers only unless P_TCDCLIENTE is "T";
// customers match by whole key in the list text.
QString qryNrPedidoSql();
QString qryClienteFiltroSql();
QString qryProdutoFiltroSql();
QString qryPesqTipoOperSql();
QString qryMuniciCliSql();

// The record written from checked controls; the branch is kept.
TFiltro filtroDasEscolhas(const EscolhasFiltro& escolhas, const TFiltro& atual);

// What the dialog shows when it opens: the record, the operation-type choice
// included. The dialog is new at every opening, so "keeping its current
// state" would show "Todos" and a Confirmar would drop the record's list.
EscolhasFiltro escolhasAoAbrir(const TFiltro& filtro);

// Leaving a date edit: a text that is given must be a date (DATA_INV).
std::optional<FalhaFiltro> confereDataDigitada(const QString& texto, const QString& foco);

// The five list texts under the names the saved option sets use
// (stCliente, stMuniciCli, stNrPedido, stProduto, stTipoOper), and back.
// A name the variables lack leaves that list as it is.
QMap<QString, QString> variaveisDasListas(const EscolhasFiltro& escolhas);
void listasDasVariaveis(const QMap<QString, QString>& variaveis, EscolhasFiltro& escolhas);

} // namespace zov
