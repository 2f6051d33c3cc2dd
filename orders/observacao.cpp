// The order's observation: rich text in OBSPEDIDO.TXOBSPED, its editor's
// document, the import from a file or another order, and saving it to a file.
#include "library/consiste.h"
#include "library/dialogs.h"
#include "library/errors.h"
#include "library/rtf.h"
#include "orders/lanc_pedido.h"
#include "orders/mensagens.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace zov {

namespace {

const QString kFiltroArquivos = QStringLiteral("Todos os Arquivos(*.*)|*.*|Arquivos Rich Text (*.rtf)|*.rtf|Arquivos de Texto(*.txt)|*.txt");

// A text file holds no NUL byte and few control characters; an RTF file is text too.
bool pareceBinario(const QByteArray& bytes)
{
    int controles = 0;
    const int n = int(std::min<qsizetype>(bytes.size(), 8192));
    for (int i = 0; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes.at(i));
        if (c == 0)
            return true;
        if (c < 32 && c != '\n' && c != '\r' && c != '\t' && c != '\f')
            ++controles;
    }
    return n > 0 && controles * 20 > n;
}

} // namespace

UpdateSql LancPedido::updateSqlObservacao()
{
    return UpdateSql(QStringLiteral("insert into OBSPEDIDO (NRPEDIDO, TXOBSPED, CDFILIAL) values (:NRPEDIDO, :TXOBSPED, :CDFILIAL)"),
                     QStringLiteral("update OBSPEDIDO set NRPEDIDO = :NRPEDIDO, TXOBSPED = :TXOBSPED, CDFILIAL = :CDFILIAL "
                                    "where NRPEDIDO = :OLD_NRPEDIDO and CDFILIAL = :OLD_CDFILIAL"),
                     QStringLiteral("delete from OBSPEDIDO where NRPEDIDO = :OLD_NRPEDIDO and CDFILIAL = :OLD_CDFILIAL"));
}

bool LancPedido::observacaoEditando() const
{
    return qryObsPedido.state() == DataSetState::Edit || qryObsPedido.state() == DataSetState::Insert;
}

void LancPedido::mostraObservacao()
{
    // The document follows the record; what the program loads is no typing.
    carregandoObs_ = true;
    const QByteArray bytes =
        qryObsPedido.active() && !qryObsPedido.isEmpty() ? qryObsPedido[QStringLiteral("TXOBSPED")].asBytes() : QByteArray();
    lerObservacao(bytes, docObservacao);
    docObservacao.setModified(false);
    carregandoObs_ = false;
}

void LancPedido::editaObservacao()
{
    if (observacaoEditando())
        return;
    if (!qryObsPedido.active())
        abreObservacao();
    // Editing the observation puts the header into edit (an exported order allows it).
    if (!pedidoEditando() && !editaPedido())
        return;
    carregandoObs_ = true;
    if (qryObsPedido.isEmpty())
        qryObsPedido.append();
    else
        qryObsPedido.edit();
    carregandoObs_ = false;
    atualizaComandos();
}

void LancPedido::observacaoDigitada()
{
    if (carregandoObs_ || observacaoEditando() || (observacaoSomenteLeitura() && !pedidoEditando()))
        return;
    if (!qryPedido.active() || (listaVazia() && !pedidoEditando()))
        return;
    editaObservacao();
}

void LancPedido::gravaObservacaoPendente()
{
    // Inside the caller's transaction: an empty observation stays pending, as typed.
    if (!observacaoEditando() && !qryObsPedido.updatesPending())
        return;
    if (observacaoEditando()) {
        qryObsPedido[QStringLiteral("NRPEDIDO")].setValue(valor("NRPEDIDO"));
        qryObsPedido[QStringLiteral("CDFILIAL")].setValue(valor("CDFILIAL"));
        const bool vazio = docObservacao.isEmpty() || docObservacao.toPlainText().trimmed().isEmpty();
        if (vazio) {
            if (qryObsPedido.state() == DataSetState::Insert) {
                qryObsPedido.cancel();
                return;
            }
            qryObsPedido[QStringLiteral("TXOBSPED")].setValue(QVariant());
        } else {
            qryObsPedido[QStringLiteral("TXOBSPED")].setValue(escreveRtf(docObservacao));
        }
        qryObsPedido.post();
    }
    qryObsPedido.applyUpdates();
    qryObsPedido.commitUpdates();
}

void LancPedido::importaArquivo()
{
    if (observacaoSomenteLeitura())
        return;
    editaObservacao();
    if (!observacaoEditando())
        return;
    const QString arquivo = dialogs().openFileName(QStringLiteral("Abrir Arquivo"), kFiltroArquivos);
    if (arquivo.isEmpty())
        return;
    const QFileInfo info(arquivo);
    if (!info.exists() || !info.isFile())
        MensErro(msg("ARQ_NAO_EXISTE").arg(arquivo), true);
    if (info.size() > kMaxArquivoObservacao)
        MensErro(msg("ARQ_GRANDE").arg(arquivo), true);
    QFile f(arquivo);
    if (!f.open(QIODevice::ReadOnly))
        MensErro(msg("ARQ_ILEGIVEL").arg(arquivo, f.errorString()), true);
    const QByteArray bytes = f.read(kMaxArquivoObservacao + 1);
    if (bytes.size() > kMaxArquivoObservacao)
        MensErro(msg("ARQ_GRANDE").arg(arquivo), true);
    if (!pareceRtf(bytes) && !temMarcaDeTexto(bytes) && pareceBinario(bytes))
        MensErro(msg("ARQ_BINARIO").arg(arquivo), true);
    carregandoObs_ = true;
    lerObservacao(bytes, docObservacao);
    carregandoObs_ = false;
    if (docObservacao.toPlainText().trimmed().isEmpty())
        qryObsPedido.cancel();
    atualizaComandos();
}

void LancPedido::importaDeOutroPedido()
{
    if (observacaoSomenteLeitura() || !pesquisa_)
        return;
    editaObservacao();
    if (!observacaoEditando())
        return;
    preparaLista(QStringLiteral("SELECT P.NRPEDIDO, C.NMFANTCLIE, O.TXOBSPED FROM OBSPEDIDO O JOIN PEDIDO P ON P.NRPEDIDO = O.NRPEDIDO "
                                "AND P.CDFILIAL = O.CDFILIAL JOIN CLIENTE C ON P.CDCLIENTE = C.CDCLIENTE "
                                "WHERE P.CDFILIAL = :CDFILIAL AND P.NRPEDIDO <> :NRPEDIDO ORDER BY P.NRPEDIDO DESC"));
    qryLista.setParam(QStringLiteral("CDFILIAL"), Filtro.Filial);
    qryLista.setParam(QStringLiteral("NRPEDIDO"), valor("NRPEDIDO"));
    qryLista.defineField(QStringLiteral("NRPEDIDO")).displayLabel = QStringLiteral("Nº Pedido");
    qryLista.defineField(QStringLiteral("NMFANTCLIE")).displayLabel = QStringLiteral("Cliente");
    qryLista.defineField(QStringLiteral("TXOBSPED"), FieldKind::Blob).visible = false;
    qryLista.open();
    if (pesquisa_(qryLista, msg("PEDIDO") + QLatin1Char('|') + msg("OBS_CAD"))) {
        carregandoObs_ = true;
        lerObservacao(qryLista[QStringLiteral("TXOBSPED")].asBytes(), docObservacao);
        carregandoObs_ = false;
    }
    qryLista.close();
    atualizaComandos();
}

void LancPedido::salvaArquivo()
{
    const QString arquivo = dialogs().saveFileName(QStringLiteral("Salvar"), kFiltroArquivos);
    if (arquivo.isEmpty())
        return;
    // A text file gets the text; any other name the rich text.
    const QByteArray conteudo =
        arquivo.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive) ? docObservacao.toPlainText().toUtf8() : escreveRtf(docObservacao);
    QSaveFile f(arquivo);
    if (!f.open(QIODevice::WriteOnly) || f.write(conteudo) != conteudo.size() || !f.commit())
        MensErro(msg("ARQ_GRAVA").arg(arquivo, f.errorString()), true);
    if (!observacaoEditando())
        return;
    if (docObservacao.toPlainText().trimmed().isEmpty()) {
        qryObsPedido.cancel();
        mostraObservacao();
    }
    atualizaComandos();
}

void LancPedido::excluiObservacao()
{
    if (!qryObsPedido.active() || qryObsPedido.isEmpty() || observacaoEditando())
        return;
    if (!dialogs().confirm(msg("Excl")))
        return;
    try {
        db_.transaction([&] {
            qryObsPedido.deleteRecord();
            qryObsPedido.applyUpdates();
            qryObsPedido.commitUpdates();
        });
    } catch (const std::exception& e) {
        qryObsPedido.cancelUpdates();
        abreObservacao();
        MensErro(msg("erro_excl") + QLatin1Char('\n') + QString::fromUtf8(e.what()), true);
    }
    abreObservacao();
    atualizaComandos();
}

} // namespace zov
