#include "transfer/impor_tab.h"
#include "transfer/acompanhamento.h"

#include "db/dbgeralped.h"
#include "library/dialogs.h"
#include "library/errors.h"
#include "session/GeralZOV.h"
#include "transfer/atu_tab.h"
#include "transfer/endereco.h"

namespace zov {

const TMessages& ImporTab::msgPadrao()
{
    static const TMessages table{
        "Atu_DB|Conectando ao servidor...",
        "Nao_Conec|Não existe conexão com o servidor.",
        "CAD_OK|A importação foi concluida com sucesso.",
        "Ip_cad|O endereço IP do servidor deve ser cadastro ",
        "IMP_ERRO|A importação não foi concluída.",
    };
    return table;
}

void ImporTab::restore()
{
    ProgressState idle;
    idle.frameVisible = true; // labels emptied, frame shown, bar hidden
    view_.showProgress(idle);
    view_.setCommandsEnabled(true);
    running_ = false;
}

bool ImporTab::confirmar()
{
    if (running_)
        return false;
    // The address kept in the transmission parameters, not the login's.
    const QString address = DataBaseGeralPed().scalar(QStringLiteral("SELECT NRIPSERVAPLIQ FROM PARAMPEDZOVRA LIMIT 1")).toString();
    if (address.trimmed().isEmpty()) {
        dialogs().error(msgPadrao().Msg(QStringLiteral("Ip_cad")));
        return false;
    }
    UsaEndereco(address);
    if (!TestaConnect())
        MensErro(msgPadrao().Msg(QStringLiteral("Nao_Conec")), true);

    TransferLock lock; // a download already running (the login's) is refused
    running_ = true;
    bool ok = false, situacoes = false;
    try {
        UpdateProgress(&view_, {msgPadrao().Msg(QStringLiteral("Atu_DB"))}, 0, 1, true);
        view_.setCommandsEnabled(false);
        ok = CriaBaixaDados() && ChamaExportaDados();
        situacoes = ok && AtualizaAcompanhamento();
    } catch (...) {
        restore();
        throw;
    }
    restore();
    // Success only on success; otherwise what failed. The tables updated
    // without the situations are a success said with its exception.
    if (ok && situacoes) {
        const MudancasAcompanhamento m = TomaMudancasAcompanhamento();
        dialogs().info(msgPadrao().Msg(QStringLiteral("CAD_OK")) + (m.vazia() ? QString() : QLatin1Char('\n') + m.texto()));
    } else if (ok) {
        dialogs().error(lastTransferError());
    } else {
        dialogs().error(msgPadrao().Msg(QStringLiteral("IMP_ERRO")) + QLatin1Char('\n') + lastTransferError());
    }
    return ok;
}

} // namespace zov
