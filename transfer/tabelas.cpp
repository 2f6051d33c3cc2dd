#include "transfer/tabelas.h"

namespace zov {

namespace {

struct SlotDatasets {
    int slot;
    const char* rows;
    const char* deletions;
};

const SlotDatasets kDatasets[] = {
    {0, "cdsPrecoBaseCli", "cdsPrecoBaseCliCache"},
    {1, "cdsItemPreBase", "cdsItemPreBaseCache"},
    {2, "cdsProduto", "cdsProdutoCache"},
    {3, "cdsCliente", "cdsClienteCache"},
    {4, "cdsVendedor", "cdsVendedorCache"},
    {5, "cdsModPgto", "cdsModPgtCache"},
    {6, "cdsEndeClie", "cdsEndeClieCache"},
    {7, "cdsPrecoBase", "cdsPrecoBaseCache"},
    {8, "cdsTipoOperac", "cdsTipoOperacCache"},
    {9, "cdsFilial", "cdsFilialCache"},
    {10, "cdsFiliOper", "cdsFiliOperCache"},
    {12, "cdsPais", "cdsPaisCache"},
    {13, "cdsMunicipio", "cdsMunicipioCache"},
    {14, "cdsParamGeral", "cdsParamGeralCache"},
    {15, "cdsPreCouti", "cdsPreCoutiCache"},
    {16, "cdsProdutoSeg", "cdsProdutoSegCache"},
    {17, "cdsItDesPreBase", "cdsItDesPreBaseCache"},
    {18, "cdsEndeFili", "cdsEndeFiliCache"},
    {19, "cdsOperador", "cdsOperadorCache"},
    {20, "cdsFormPgto", "cdsFormPgtoCache"},
    {21, "cdsEstado", "cdsEstadoCache"},
    {22, "cdsBairro", "cdsBairroCache"},
};

const SlotDatasets& datasetsOf(const SyncSlot& slot)
{
    for (const SlotDatasets& d : kDatasets)
        if (d.slot == slot.slot)
            return d;
    return kDatasets[0]; // every used slot is listed above
}

} // namespace

QString rowsDatasetOf(const SyncSlot& slot) { return QString::fromLatin1(datasetsOf(slot).rows); }

QString deletionsDatasetOf(const SyncSlot& slot) { return QString::fromLatin1(datasetsOf(slot).deletions); }

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

} // namespace zov
