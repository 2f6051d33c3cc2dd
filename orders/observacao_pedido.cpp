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

const QString kFiltroArquivos =
    QStringLiteral("Todos os Arquivos(*.*)|*.*|Arquivos Rich Text (*.rtf)|*.rtf|Arquivos de Texto(*.txt)|*.txt");

} // namespace

ObservacaoPedido::ObservacaoPedido(ContextoPedido& ctx) : qryObsPedido(&ctx.db, QStringLiteral("qryObsPedido")), ctx_(ctx)
{
    ctx_.observacao = this;
    qryObsPedido.setSql(
        QStringLiteral("SELECT NRPEDIDO, TXOBSPED, CDFILIAL FROM OBSPEDIDO WHERE (NRPEDIDO = :NRPEDIDO) AND (CDFILIAL = :CDFILIAL)"));
    qryObsPedido.defineField(QStringLiteral("TXOBSPED"), FieldKind::Blob);
    qryObsPedido.setUpdateSql(BancoPedido::updateSqlObservacao());
    QObject::connect(&docObservacao, &QTextDocument::contentsChanged, [this] { runGuarded([this] { observacaoDigitada(); }); });
}

bool ObservacaoPedido::observacaoEditando() const
{
    return qryObsPedido.state() == DataSetState::Edit || qryObsPedido.state() == DataSetState::Insert;
}

void ObservacaoPedido::mostraObservacao()
{
    // The document follows the record; what the program loads is no typing.
    carregandoObs_ = true;
    const QByteArray bytes =
        qryObsPedido.active() && !qryObsPedido.isEmpty() ? qryObsPedido[QStringLiteral("TXOBSPED")].asBytes() : QByteArray();
    lerObservacao(bytes, docObservacao);
    docObservacao.setModified(false);
    carregandoObs_ = false;
}

void ObservacaoPedido::editaObservacao()
{
    if (observacaoEditando())
        return;
    if (!qryObsPedido.active())
        abreObservacao();
    // Editing the observation puts the header into edit (an exported order allows it).
    if (!ctx_.pedidoEditando() && !ctx_.registro->editaPedido())
        return;
    carregandoObs_ = true;
    if (qryObsPedido.isEmpty())
        qryObsPedido.append();
    else
        qryObsPedido.edit();
    carregandoObs_ = false;
    ctx_.atualizaComandos();
}

void ObservacaoPedido::observacaoDigitada()
{
    if (carregandoObs_ || observacaoEditando() || (observacaoSomenteLeitura() && !ctx_.pedidoEditando()))
        return;
    if (!ctx_.qryPedido.active() || (ctx_.listaVazia() && !ctx_.pedidoEditando()))
        return;
    editaObservacao();
}

void ObservacaoPedido::gravaObservacaoPendente()
{
    // Inside the caller's transaction: an empty observation stays pending, as typed.
    if (!observacaoEditando() && !qryObsPedido.updatesPending())
        return;
    if (observacaoEditando()) {
        qryObsPedido[QStringLiteral("NRPEDIDO")].setValue(ctx_.valor("NRPEDIDO"));
        qryObsPedido[QStringLiteral("CDFILIAL")].setValue(ctx_.valor("CDFILIAL"));
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

void ObservacaoPedido::importaArquivo()
{
    if (observacaoSomenteLeitura())
        return;
    // The file is chosen and checked first: a refused one leaves the order as it was, not in edit.
    const QString arquivo = dialogs().openFileName(QStringLiteral("Abrir Arquivo"), kFiltroArquivos);
    if (arquivo.isEmpty())
        return;
    const QFileInfo info(arquivo);
    if (!info.exists() || !info.isFile())
        MensErro(ctx_.msg("ARQ_NAO_EXISTE").arg(arquivo), true);
    if (info.size() > kMaxArquivoObservacao)
        MensErro(ctx_.msg("ARQ_GRANDE").arg(arquivo), true);
    QFile f(arquivo);
    if (!f.open(QIODevice::ReadOnly))
        MensErro(ctx_.msg("ARQ_ILEGIVEL").arg(arquivo, f.errorString()), true);
    const QByteArray bytes = f.read(kMaxArquivoObservacao + 1);
    if (bytes.size() > kMaxArquivoObservacao)
        MensErro(ctx_.msg("ARQ_GRANDE").arg(arquivo), true);
    // An RTF file is text; any other is judged by what it holds.
    const bool rtf = pareceRtf(bytes);
    const TextoDecodificado texto = rtf ? TextoDecodificado{} : decodificaTexto(bytes);
    if (texto.binario)
        MensErro(ctx_.msg("ARQ_BINARIO").arg(arquivo), true);
    editaObservacao();
    if (!observacaoEditando())
        return;
    carregandoObs_ = true;
    lerObservacao(bytes, docObservacao);
    carregandoObs_ = false;
    if (texto.perdeu)
        dialogs().info(ctx_.msg("ARQ_PERDEU").arg(arquivo));
    if (docObservacao.toPlainText().trimmed().isEmpty())
        qryObsPedido.cancel();
    ctx_.atualizaComandos();
}

void ObservacaoPedido::importaDeOutroPedido()
{
    if (observacaoSomenteLeitura() || !ctx_.pesquisa)
        return;
    editaObservacao();
    if (!observacaoEditando())
        return;
    ctx_.preparaLista(
        QStringLiteral("SELECT P.NRPEDIDO, C.NMFANTCLIE, O.TXOBSPED FROM OBSPEDIDO O JOIN PEDIDO P ON P.NRPEDIDO = O.NRPEDIDO "
                       "AND P.CDFILIAL = O.CDFILIAL JOIN CLIENTE C ON P.CDCLIENTE = C.CDCLIENTE "
                       "WHERE P.CDFILIAL = :CDFILIAL AND P.NRPEDIDO <> :NRPEDIDO ORDER BY P.NRPEDIDO DESC"));
    ctx_.qryLista.setParam(QStringLiteral("CDFILIAL"), ctx_.Filtro.Filial);
    ctx_.qryLista.setParam(QStringLiteral("NRPEDIDO"), ctx_.valor("NRPEDIDO"));
    ctx_.qryLista.defineField(QStringLiteral("NRPEDIDO")).displayLabel = QStringLiteral("Nº Pedido");
    ctx_.qryLista.defineField(QStringLiteral("NMFANTCLIE")).displayLabel = QStringLiteral("Cliente");
    ctx_.qryLista.defineField(QStringLiteral("TXOBSPED"), FieldKind::Blob).visible = false;
    ctx_.qryLista.open();
    if (ctx_.pesquisa(ctx_.qryLista, ctx_.msg("PEDIDO") + QLatin1Char('|') + ctx_.msg("OBS_CAD"))) {
        carregandoObs_ = true;
        lerObservacao(ctx_.qryLista[QStringLiteral("TXOBSPED")].asBytes(), docObservacao);
        carregandoObs_ = false;
    }
    ctx_.qryLista.close();
    ctx_.atualizaComandos();
}

void ObservacaoPedido::salvaArquivo()
{
    QString arquivo = dialogs().saveFileName(QStringLiteral("Salvar"), kFiltroArquivos);
    if (arquivo.isEmpty())
        return;
    // The dialog's default extension.
    arquivo = comExtensao(arquivo, QStringLiteral("rtf"));
    if (arquivo.isEmpty())
        return;
    // A text file gets the text; any other name the rich text.
    const QByteArray conteudo =
        arquivo.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive) ? docObservacao.toPlainText().toUtf8() : escreveRtf(docObservacao);
    QSaveFile f(arquivo);
    if (!f.open(QIODevice::WriteOnly) || f.write(conteudo) != conteudo.size() || !f.commit())
        MensErro(ctx_.msg("ARQ_GRAVA").arg(arquivo, f.errorString()), true);
    if (!observacaoEditando())
        return;
    if (docObservacao.toPlainText().trimmed().isEmpty()) {
        qryObsPedido.cancel();
        mostraObservacao();
    } else if (ctx_.qryPedido.state() != DataSetState::Insert) {
        // Saved is stored: the observation of a stored order goes to the database
        // now (a new order's waits for its Confirm, as the order row must exist).
        ctx_.db.transaction([&] { gravaObservacaoPendente(); });
    }
    ctx_.atualizaComandos();
}

void ObservacaoPedido::excluiObservacao()
{
    if (!qryObsPedido.active() || qryObsPedido.isEmpty() || observacaoEditando())
        return;
    if (!dialogs().confirm(ctx_.msg("Excl")))
        return;
    try {
        ctx_.db.transaction([&] {
            qryObsPedido.deleteRecord();
            qryObsPedido.applyUpdates();
            qryObsPedido.commitUpdates();
        });
    } catch (const std::exception& e) {
        qryObsPedido.cancelUpdates();
        abreObservacao();
        MensErro(ctx_.msg("erro_excl") + QLatin1Char('\n') + QString::fromUtf8(e.what()), true);
    }
    abreObservacao();
    ctx_.atualizaComandos();
}

void ObservacaoPedido::abreObservacao()
{
    qryObsPedido.close();
    qryObsPedido.setParam(QStringLiteral("CDFILIAL"), ctx_.valor("CDFILIAL"));
    qryObsPedido.setParam(QStringLiteral("NRPEDIDO"), ctx_.valor("NRPEDIDO"));
    qryObsPedido.open();
    mostraObservacao();
}

} // namespace zov
