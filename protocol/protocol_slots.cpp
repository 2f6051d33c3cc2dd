#include "protocol/protocol_slots.h"

namespace zov {

const std::vector<SyncSlot>& syncSlots()
{
    static const std::vector<SyncSlot> table = {
        {0, "PRECOBASECLI", "DTULTATUPRBC", {"CDPRECOBASE", "CDCLIENTE"}},
        {1, "ITEMPREBASE", "DTULTATUIPRE", {"CDPRECOBASE", "DTINIVALIPB", "CDPRODUTO"}},
        {2, "PRODUTO", "DTULTATUPROD", {"CDPRODUTO"}},
        {3, "CLIENTE", "DTULTATUCLIE", {"CDCLIENTE"}},
        {4, "VENDEDOR", "DTULTATUVEND", {"CDVENDEDOR"}},
        {5, "MODPGTO", "DTULTATUMPGT", {"CDMODPGTO"}},
        {6, "ENDECLIE", "DTULTATUECLI", {"IDTPENDECLIE", "CDCLIENTE"}},
        {7, "PRECOBASE", "DTULTATUPRBA", {"CDPRECOBASE"}},
        {8, "TIPOOPERAC", "DTULTATUTPOP", {"IDENTRSAIDOP", "CDTIPOOPER"}},
        {9, "FILIAL", "DTULTATUFILI", {"CDFILIAL"}},
        {10, "FILIOPER", "DTULTATUFOPE", {"CDFILIAL", "CDOPERADOR"}},
        {12, "PAIS", "DTULTATUPAIS", {"CDPAIS"}},
        {13, "MUNICIPIO", "DTULTATUMUNI", {"CDPAIS", "SGESTADO", "CDMUNICIPIO"}},
        {14, "PARAMGERAL", "DTULTATUPGER", {"CDPARGERAL"}},
        {15, "PRECOUTI", "DTULTATUPRUT", {"NRSEQPREUTI"}},
        {16, "PRODUTOSEG", "DTULTATUPSEG", {"CDPRODUTO", "CDSEGMER"}},
        {17, "ITDESPREBASE", "DTULTATUDEPR", {"CDPRECOBASE", "CDPAIS", "SGESTADO", "CDPRODUTO"}},
        {18, "ENDEFILI", "DTULTATUEFIL", {"CDFILIAL", "IDTPENDEFILI"}},
        {19, "OPERADOR", "DTULTATUOPER", {"CDOPERADOR"}},
        {20, "FORMPGTO", "DTULTATUFPGT", {"CDFORMPGTO"}},
        {21, "ESTADO", "DTULTATUESTA", {"CDPAIS", "SGESTADO"}},
        {22, "BAIRRO", "DTULTATUBAIR", {"CDPAIS", "SGESTADO", "CDMUNICIPIO", "CDBAIRRO"}},
    };
    return table;
}

const SyncSlot* syncSlotOf(const QString& table)
{
    for (const SyncSlot& s : syncSlots()) {
        if (s.table.compare(table, Qt::CaseInsensitive) == 0)
            return &s;
    }
    return nullptr;
}

QString deletionKeyText(const QStringList& keys, const QStringList& values)
{
    QString text;
    for (int i = 0; i < keys.size(); ++i)
        text += keys[i] + QLatin1Char('=') + values.value(i) + QLatin1Char(';');
    return text;
}

} // namespace zov
