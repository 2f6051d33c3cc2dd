#include "transfer/exporta_dados.h"

#include "library/database.h"
#include "library/dialogs.h"
#include "library/errors.h"
#include "library/valores_item.h"
#include "session/GeralZOV.h"
#include "transfer/atu_tab.h"
#include "transfer/endereco.h"
#include "transfer/exporta.h"

namespace zov {

namespace {

const char* const kPrincipalSql = "SELECT 'N' AS IDCHECK, P.NRPEDIDO, C.NMFANTCLIE, P.DTPEDIDO, P.DTENTPED, P.IDSITPEDIDO, P.CDFILIAL "
                                  "FROM PEDIDO P JOIN CLIENTE C ON P.CDCLIENTE = C.CDCLIENTE "
                                  "WHERE P.IDSITPEDIDO = '1' AND P.CDFILIAL = :P_CDFILIAL ORDER BY P.NRPEDIDO";

QString marca(const Query& q) { return q[QStringLiteral("IDCHECK")].asString(); }

} // namespace

const TMessages& ExportaDadosLogic::msgPadrao()
{
    static const TMessages table{
        "Exportando|Exportando dados para o servidor...",
        "Sucesso|Pedidos exportados com sucesso.",
        "Erro|Erro ao exportar.",
        "Nao_conec|Não existe conexão com o servidor.",
        "Ip_cad|O endereço IP do servidor deve ser cadastro ",
    };
    return table;
}

ExportaDadosLogic::ExportaDadosLogic(Database& db, ExportaDadosView& view)
    : qryPrincipal(&db, QStringLiteral("qryPrincipal")), db_(db), view_(view)
{
    qryPrincipal.setSql(QString::fromLatin1(kPrincipalSql));
    qryPrincipal.setFetchBlock(kGridFetchBlock);
    const std::pair<const char*, const char*> campos[] = {
        {"IDCHECK", " "}, {"NRPEDIDO", "Nº Pedido"}, {"NMFANTCLIE", "Cliente"}, {"DTPEDIDO", "Data Pedido"}, {"DTENTPED", "Data Entrega"},
    };
    for (const auto& [name, label] : campos)
        qryPrincipal.defineField(QString::fromLatin1(name)).displayLabel = QString::fromUtf8(label);
    for (const char* hidden : {"IDSITPEDIDO", "CDFILIAL"})
        qryPrincipal.defineField(QString::fromLatin1(hidden)).visible = false;
    qryPrincipal.defineField(QStringLiteral("DTPEDIDO"), FieldKind::DateTime).displayFormat = QStringLiteral("dd/MM/yyyy");
    qryPrincipal.defineField(QStringLiteral("DTENTPED"), FieldKind::DateTime).displayFormat = QStringLiteral("dd/MM/yyyy");
    // What each order is worth, as the order window and the mirror total it.
    Field& total = qryPrincipal.addCalculatedField(QStringLiteral("VRTOTAL"), FieldKind::Number);
    total.displayLabel = QStringLiteral("Valor Total");
    total.displayFormat = QStringLiteral("#,##0.00");
    qryPrincipal.onCalcFields = [this](Query& q) {
        q[QStringLiteral("VRTOTAL")].setDecimal(totais_.value(q[QStringLiteral("NRPEDIDO")].asString()));
    };
    // The key list follows what is posted; the rows are never written.
    qryPrincipal.afterPost = [this](Query& q) {
        const QString nr = q[QStringLiteral("NRPEDIDO")].asString();
        chaves_.removeAll(nr);
        if (marca(q) == QLatin1String("S"))
            chaves_ << nr;
    };
}

void ExportaDadosLogic::abre()
{
    qryPrincipal.close();
    chaves_.clear();
    LimpaPedidosExport();
    qryPrincipal.setParam(QStringLiteral("P_CDFILIAL"), Filial());
    leTotais();
    qryPrincipal.open();
    atualizaConfirmar();
}

void ExportaDadosLogic::leTotais()
{
    totais_.clear();
    Statement st(db_,
                 QStringLiteral("SELECT I.NRPEDIDO, I.VRPREUNITPED, I.QTITEMPED, I.VRDESITPED FROM ITEMPEDIDO I "
                                "JOIN PEDIDO P ON P.CDFILIAL = I.CDFILIAL AND P.NRPEDIDO = I.NRPEDIDO "
                                "WHERE P.IDSITPEDIDO = '1' AND P.CDFILIAL = :P_CDFILIAL"));
    st.bind(QStringLiteral("P_CDFILIAL"), Filial());
    while (st.step())
        totais_[st.rawValue(0).toString()] += valoresItem(linhaLida(st.rawValue(1), st.rawValue(2), st.rawValue(3))).liquido;
}

void ExportaDadosLogic::fecha()
{
    LimpaPedidosExport();
    chaves_.clear();
    view_.closeWindow();
}

void ExportaDadosLogic::poeMarca(const QString& valor)
{
    qryPrincipal.edit();
    qryPrincipal[QStringLiteral("IDCHECK")].setValue(valor);
    SetPedidosExportados(qryPrincipal[QStringLiteral("NRPEDIDO")].asString(), valor);
    qryPrincipal.post();
}

void ExportaDadosLogic::atualizaConfirmar()
{
    podeConfirmar_ = !chaves_.isEmpty();
    view_.setConfirmEnabled(podeConfirmar_);
}

void ExportaDadosLogic::alterna()
{
    podeConfirmar_ = false;
    view_.setConfirmEnabled(false);
    if (!qryPrincipal.active() || qryPrincipal.isEmpty())
        return;
    poeMarca(marca(qryPrincipal) == QLatin1String("S") ? QStringLiteral("N") : QStringLiteral("S"));
    atualizaConfirmar();
}

void ExportaDadosLogic::alternaTodos()
{
    podeConfirmar_ = false;
    view_.setConfirmEnabled(false);
    if (!qryPrincipal.active() || qryPrincipal.isEmpty())
        return;
    // MARCA when nothing is checked, else DESMARCA.
    const bool marcaTodos = chaves_.isEmpty();
    const QString de = marcaTodos ? QStringLiteral("N") : QStringLiteral("S");
    const QString para = marcaTodos ? QStringLiteral("S") : QStringLiteral("N");
    const QString atual = qryPrincipal[QStringLiteral("NRPEDIDO")].asString();
    view_.setPainting(false);
    try {
        for (qryPrincipal.first(); !qryPrincipal.eof(); qryPrincipal.next())
            if (marca(qryPrincipal) == de)
                poeMarca(para);
        qryPrincipal.locate(QStringLiteral("NRPEDIDO"), atual);
    } catch (...) {
        view_.setPainting(true);
        throw;
    }
    view_.setPainting(true);
    atualizaConfirmar();
}

void ExportaDadosLogic::restaura()
{
    running_ = false;
    view_.setConfirmEnabled(false);
    view_.setCommandsEnabled(true);
    view_.showProgress(0, 0, QString());
    // Whatever happened, nothing stays checked (or pending).
    if (qryPrincipal.active()) {
        view_.setPainting(false);
        try {
            for (qryPrincipal.first(); !qryPrincipal.eof(); qryPrincipal.next())
                if (marca(qryPrincipal) == QLatin1String("S"))
                    poeMarca(QStringLiteral("N"));
            qryPrincipal.first();
        } catch (...) {
            view_.setPainting(true);
            throw;
        }
        view_.setPainting(true);
    }
    chaves_.clear();
    LimpaPedidosExport();
    podeConfirmar_ = false;
}

bool ExportaDadosLogic::confirmar()
{
    if (running_ || !podeConfirmar_)
        return false;
    const QString address = db_.scalar(QStringLiteral("SELECT NRIPSERVAPLIQ FROM PARAMPEDZOVRA LIMIT 1")).toString();
    if (address.trimmed().isEmpty()) {
        dialogs().error(msgPadrao().Msg(QStringLiteral("Ip_cad")));
        return false;
    }
    UsaEndereco(address); // a port that is no number stops here, before any connection
    if (!TestaConnect()) {
        dialogs().error(msgPadrao().Msg(QStringLiteral("Nao_conec")) + QLatin1Char('\n') + lastTransferError());
        return false;
    }
    TransferLock lock; // not while a download runs
    running_ = true;
    bool ok = false;
    try {
        view_.setConfirmEnabled(false);
        view_.setCommandsEnabled(false);
        view_.showProgress(2, 1, msgPadrao().Msg(QStringLiteral("Exportando")));
        // Exactly what is checked on screen now (a row not read yet was never checked).
        LimpaPedidosExport();
        const int check = qryPrincipal.fieldByName(QStringLiteral("IDCHECK")).index();
        const int numero = qryPrincipal.fieldByName(QStringLiteral("NRPEDIDO")).index();
        for (int i = 0; i < qryPrincipal.storageCount(); ++i)
            if (qryPrincipal.valueAt(i, check).toString() == QLatin1String("S"))
                SetPedidosExportados(qryPrincipal.valueAt(i, numero).toString(), QStringLiteral("S"));
        const QString exportando = msgPadrao().Msg(QStringLiteral("Exportando"));
        SetProgressoExportacao(
            [this, exportando](const QString& etapa) { view_.showProgress(2, 1, exportando + QStringLiteral(" ") + etapa); });
        struct Desliga {
            ~Desliga() { SetProgressoExportacao({}); }
        } desliga;
        ok = CriaExportaPedidos();
        if (ok) {
            view_.showProgress(2, 2, msgPadrao().Msg(QStringLiteral("Sucesso")));
            view_.setPainting(false);
            try {
                abre(); // exported orders drop out
            } catch (...) {
                view_.setPainting(true);
                throw;
            }
            view_.setPainting(true);
        }
    } catch (...) {
        restaura();
        throw;
    }
    restaura();
    if (!ok) {
        dialogs().error(msgPadrao().Msg(QStringLiteral("Erro")) + QLatin1Char('\n') + lastTransferError());
        return false;
    }
    const ResultadoExportacao& r = UltimaExportacao();
    if (r.recusados.isEmpty()) {
        dialogs().info(msgPadrao().Msg(QStringLiteral("Sucesso")));
    } else {
        // The server's refusals were listed in their dialogs; those never sent are said here.
        QString texto = QStringLiteral("%1 de %2 pedidos exportados; os demais continuam pendentes.")
                            .arg(r.aceitos.size())
                            .arg(r.enviados.size() + r.naoEnviados.size());
        for (const PedidoRecusado& p : r.naoEnviados)
            texto += QStringLiteral("\nO pedido %1 %2.").arg(p.nrPedido, p.motivo);
        dialogs().info(texto);
    }
    return true;
}

} // namespace zov
