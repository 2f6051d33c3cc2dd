// The order window's Imprimir: the preview of the current order's mirror on
// the program's printer, where it is printed or saved as a PDF file.
#include "orders/ZOV00100.h"

#include "library/arquivos_banco.h"
#include "library/dialogs.h"
#include "library/dialogs_qt.h"
#include "library/errors.h"
#include "orders/envio_email.h"
#include "orders/espelho_pedido.h"

#include <QAction>
#include <QDir>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QStandardPaths>
#include <QToolBar>

namespace zov {

namespace {

void salvaPdf(const EspelhoPedido& espelho)
{
    // The order's own name, in the user's documents.
    const QString sugerido = QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                                 .filePath(QStringLiteral("Pedido-%1.pdf").arg(espelho.dados().nrPedido));
    QString arquivo = dialogs().saveFileName(QStringLiteral("Salvar PDF"), QStringLiteral("Arquivo PDF(*.pdf)|*.pdf"), sugerido);
    if (arquivo.isEmpty())
        return;
    arquivo = comExtensao(arquivo, QStringLiteral("pdf"), true);
    if (arquivo.isEmpty())
        return;
    espelho.gravaPdf(arquivo);
}

} // namespace

void ImprimePedido(Database& db, const QString& cdFilial, const QString& nrPedido, QWidget* parent)
{
    // Read once: the preview, the printer and the file show the same order.
    const std::optional<EspelhoPedido> espelho = EspelhoPedido::le(db, cdFilial, nrPedido);
    if (!espelho) {
        MensErro(QStringLiteral("O pedido %1 não existe na filial %2.").arg(nrPedido, cdFilial), true);
        return;
    }
    QPrintPreviewDialog preview(&impressoraDoPrograma(), parent);
    preview.setObjectName(QStringLiteral("dlgEspelhoPedido"));
    preview.setWindowTitle(QStringLiteral("Pedido %1").arg(nrPedido));
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&espelho](QPrinter* printer) {
                         runGuarded([&] {
                             // Printing to a file never writes over the database's own.
                             if (arquivoDoBanco(printer->outputFileName()))
                                 MensErro(msgArquivoDoBanco(), true);
                             espelho->imprime(*printer);
                         });
                     });
    if (auto* barra = preview.findChild<QToolBar*>()) {
        barra->addSeparator();
        QAction* pdf = barra->addAction(QStringLiteral("Salvar PDF"));
        pdf->setObjectName(QStringLiteral("actSalvarPdf"));
        pdf->setToolTip(QStringLiteral("Salvar o pedido em um arquivo PDF"));
        QObject::connect(pdf, &QAction::triggered, &preview, [&espelho] { runGuarded([&] { salvaPdf(*espelho); }); });
        QAction* email = barra->addAction(QStringLiteral("Enviar por E-mail"));
        email->setObjectName(QStringLiteral("actEnviarEmail"));
        email->setToolTip(QStringLiteral("Anexar o pedido em PDF a uma nova mensagem do seu programa de e-mail"));
        QObject::connect(email, &QAction::triggered, &preview, [&db, cdFilial, nrPedido] { runGuarded([&] { EnviaPedidoPorEmail(db, cdFilial, nrPedido); }); });
    }
    preview.exec();
}

} // namespace zov
