#include "transfer/tabelas.h"

namespace zov {

const std::vector<SlotInfo>& slotTable()
{
    static const std::vector<SlotInfo> table = {
        {0, "PRECOBASECLI", "DTULTATUPRBC", "cdsPrecoBaseCli", "cdsPrecoBaseCliCache"},
        {1, "ITEMPREBASE", "DTULTATUIPRE", "cdsItemPreBase", "cdsItemPreBaseCache"},
        {2, "PRODUTO", "DTULTATUPROD", "cdsProduto", "cdsProdutoCache"},
        {3, "CLIENTE", "DTULTATUCLIE", "cdsCliente", "cdsClienteCache"},
        {4, "VENDEDOR", "DTULTATUVEND", "cdsVendedor", "cdsVendedorCache"},
        {5, "MODPGTO", "DTULTATUMPGT", "cdsModPgto", "cdsModPgtCache"},
        {6, "ENDECLIE", "DTULTATUECLI", "cdsEndeClie", "cdsEndeClieCache"},
        {7, "PRECOBASE", "DTULTATUPRBA", "cdsPrecoBase", "cdsPrecoBaseCache"},
        {8, "TIPOOPERAC", "DTULTATUTPOP", "cdsTipoOperac", "cdsTipoOperacCache"},
        {9, "FILIAL", "DTULTATUFILI", "cdsFilial", "cdsFilialCache"},
        {10, "FILIOPER", "DTULTATUFOPE", "cdsFiliOper", "cdsFiliOperCache"},
        {12, "PAIS", "DTULTATUPAIS", "cdsPais", "cdsPaisCache"},
        {13, "MUNICIPIO", "DTULTATUMUNI", "cdsMunicipio", "cdsMunicipioCache"},
        {14, "PARAMGERAL", "DTULTATUPGER", "cdsParamGeral", "cdsParamGeralCache"},
        {15, "PRECOUTI", "DTULTATUPRUT", "cdsPreCouti", "cdsPreCoutiCache"},
        {16, "PRODUTOSEG", "DTULTATUPSEG", "cdsProdutoSeg", "cdsProdutoSegCache"},
        {17, "ITDESPREBASE", "DTULTATUDEPR", "cdsItDesPreBase", "cdsItDesPreBaseCache"},
        {18, "ENDEFILI", "DTULTATUEFIL", "cdsEndeFili", "cdsEndeFiliCache"},
        {19, "OPERADOR", "DTULTATUOPER", "cdsOperador", "cdsOperadorCache"},
        {20, "FORMPGTO", "DTULTATUFPGT", "cdsFormPgto", "cdsFormPgtoCache"},
        {21, "ESTADO", "DTULTATUESTA", "cdsEstado", "cdsEstadoCache"},
        {22, "BAIRRO", "DTULTATUBAIR", "cdsBairro", "cdsBairroCache"},
    };
    return table;
}

const SlotInfo* slotOf(const QString& table)
{
    for (const SlotInfo& s : slotTable())
        if (table.compare(QLatin1String(s.table), Qt::CaseInsensitive) == 0)
            return &s;
    return nullptr;
}

std::vector<int> replyElementsRead()
{
    std::vector<int> out;
    for (int e = 0; e < kParamPedidoElement; ++e)
        if (e != 11 && e != 23 && e != 35)
            out.push_back(e);
    out.push_back(kParamPedidoElement);
    return out;
}

const std::vector<LoaderInfo>& loaderTable()
{
    static const std::vector<LoaderInfo> loaders = {
        {"PARAMPEDIDO", "cdsParamPedido", {"CDFILIAL"}, {"CDFILIAL", "IDPERALTPRECO"}, {}},
        {"PRECOBASECLI", "cdsPrecoBaseCli", {"CDCLIENTE", "CDPRECOBASE"}, {}, {}},
        // One local price per list and product, whatever its validity dates.
        {"ITEMPREBASE", "cdsItemPreBase", {"CDPRODUTO", "CDPRECOBASE"}, {}, {}},
        {"PRODUTO", "cdsProduto", {"CDPRODUTO"}, {}, {}},
        {"VENDEDOR", "cdsVendedor", {"CDVENDEDOR"}, {}, {}},
        {"MODPGTO", "cdsModPgto", {"CDMODPGTO"}, {}, {}},
        {"PRECOBASE", "cdsPrecoBase", {"CDPRECOBASE"}, {}, {}},
        {"TIPOOPERAC", "cdsTipoOperac", {"CDTIPOOPER", "IDENTRSAIDOP"}, {}, {}},
        {"FILIAL", "cdsFilial", {"CDFILIAL"}, {}, {}},
        {"FILIOPER", "cdsFiliOper", {"CDFILIAL", "CDOPERADOR"}, {}, {}},
        {"PAIS", "cdsPais", {"CDPAIS"}, {}, {}},
        {"MUNICIPIO", "cdsMunicipio", {"CDPAIS", "SGESTADO", "CDMUNICIPIO"}, {}, {}},
        // The installation's own picture of goods is set once, never overwritten.
        {"PARAMGERAL", "cdsParamGeral", {"CDPARGERAL"}, {}, {"CDPICTBEM"}},
        {"PRECOUTI", "cdsPreCouti", {"NRSEQPREUTI"}, {}, {}},
        {"PRODUTOSEG", "cdsProdutoSeg", {"CDPRODUTO", "CDSEGMER"}, {}, {}},
        {"ITDESPREBASE", "cdsItDesPreBase", {"CDPRECOBASE", "CDPAIS", "SGESTADO", "CDPRODUTO"}, {}, {}},
        {"ENDEFILI", "cdsEndeFili", {"CDFILIAL", "IDTPENDEFILI"}, {}, {}},
        {"OPERADOR", "cdsOperador", {"CDOPERADOR"}, {}, {}},
        {"FORMPGTO", "cdsFormPgto", {"CDFORMPGTO"}, {}, {}},
        {"ESTADO", "cdsEstado", {"CDPAIS", "SGESTADO"}, {}, {}},
        {"BAIRRO", "cdsBairro", {"CDPAIS", "SGESTADO", "CDMUNICIPIO", "CDBAIRRO"}, {}, {}},
        {"CLIENTE", "cdsCliente", {"CDCLIENTE"}, {}, {}},
        {"ENDECLIE", "cdsEndeClie", {"CDCLIENTE", "IDTPENDECLIE"}, {}, {}},
    };
    return loaders;
}

const std::vector<PurgeInfo>& purgeTable()
{
    static const std::vector<PurgeInfo> purge = {
        {"PRECOBASECLI", "cdsPrecoBaseCliCache", {"CDPRECOBASE", "CDCLIENTE"}, "DTULTATUPRBC"},
        {"ITEMPREBASE", "cdsItemPreBaseCache", {"CDPRECOBASE", "DTINIVALIPB", "CDPRODUTO"}, "DTULTATUIPRE"},
        {"PRODUTO", "cdsProdutoCache", {"CDPRODUTO"}, "DTULTATUPROD"},
        {"CLIENTE", "cdsClienteCache", {"CDCLIENTE"}, "DTULTATUCLIE"},
        {"VENDEDOR", "cdsVendedorCache", {"CDVENDEDOR"}, "DTULTATUVEND"},
        {"MODPGTO", "cdsModPgtCache", {"CDMODPGTO"}, "DTULTATUMPGT"},
        {"ENDECLIE", "cdsEndeClieCache", {"IDTPENDECLIE", "CDCLIENTE"}, "DTULTATUECLI"},
        {"PRECOBASE", "cdsPrecoBaseCache", {"CDPRECOBASE"}, "DTULTATUPRBA"},
        {"TIPOOPERAC", "cdsTipoOperacCache", {"IDENTRSAIDOP", "CDTIPOOPER"}, "DTULTATUTPOP"},
        {"FILIAL", "cdsFilialCache", {"CDFILIAL"}, "DTULTATUFILI"},
        {"FILIOPER", "cdsFiliOperCache", {"CDFILIAL", "CDOPERADOR"}, "DTULTATUFOPE"},
        {"PAIS", "cdsPaisCache", {"CDPAIS"}, "DTULTATUPAIS"},
        {"MUNICIPIO", "cdsMunicipioCache", {"CDPAIS", "SGESTADO", "CDMUNICIPIO"}, "DTULTATUMUNI"},
        {"PARAMGERAL", "cdsParamGeralCache", {"CDPARGERAL"}, "DTULTATUPGER"},
        {"PRECOUTI", "cdsPreCoutiCache", {"NRSEQPREUTI"}, "DTULTATUPRUT"},
        {"PRODUTOSEG", "cdsProdutoSegCache", {"CDPRODUTO", "CDSEGMER"}, "DTULTATUPSEG"},
        {"ITDESPREBASE", "cdsItDesPreBaseCache", {"CDPRECOBASE", "CDPAIS", "SGESTADO", "CDPRODUTO"}, "DTULTATUDEPR"},
        {"ENDEFILI", "cdsEndeFiliCache", {"CDFILIAL", "IDTPENDEFILI"}, "DTULTATUEFIL"},
        {"OPERADOR", "cdsOperadorCache", {"CDOPERADOR"}, "DTULTATUOPER"},
        {"FORMPGTO", "cdsFormPgtoCache", {"CDFORMPGTO"}, "DTULTATUFPGT"},
        {"ESTADO", "cdsEstadoCache", {"CDPAIS", "SGESTADO"}, "DTULTATUESTA"},
        {"BAIRRO", "cdsBairroCache", {"CDPAIS", "SGESTADO", "CDMUNICIPIO", "CDBAIRRO"}, "DTULTATUBAIR"},
    };
    return purge;
}

} // namespace zov
