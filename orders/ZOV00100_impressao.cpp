// The order window's Imprimir: the preview of the current order's mirror on
// the program's printer, where it is printed or saved as a PDF file.
#include "orders/ZOV00100.h"

#include "library/arquivos_banco.h"
#include "library/dialogs.h"
#include "library/dialogs_qt.h"
#include "library/errors.h"
#include "library/velmora.h"
#include "orders/envio_email.h"
#include "orders/espelho_pedido.h"
#include "session/GeralZOV.h"

#include <QAction>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QSettings>
#include <QStandardPaths>
#include <QToolBar>

namespace zov {

namespace {

// The folder the operator last saved a PDF in, kept per operator; the
// documents folder until then (never the database's or the working one).
QString arquivoDePastas() { return QDir(ConfigUsrDir()).filePath(CdOperador() + QStringLiteral("/pastas.ini")); }

QString pastaDoPdf()
{
    const QString pasta = QSettings(arquivoDePastas(), QSettings::IniFormat).value(QStringLiteral("PDF")).toString();
    if (!pasta.isEmpty() && QDir(pasta).exists())
        return pasta;
    // A home without a documents folder: the home itself, where a file can go.
    const QString documentos = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(documentos).exists() ? documentos : QDir::homePath();
}

// The order's own name, in the operator's folder.
QString pdfSugerido(const QString& nrPedido) { return QDir(pastaDoPdf()).filePath(QStringLiteral("Pedido-%1.pdf").arg(nrPedido)); }

void lembraPdf(const QString& arquivo)
{
    QSettings(arquivoDePastas(), QSettings::IniFormat).setValue(QStringLiteral("PDF"), QFileInfo(arquivo).absolutePath());
    dialogs().info(QStringLiteral("O pedido foi salvo em %1.").arg(QDir::toNativeSeparators(arquivo)));
}

void salvaPdf(const EspelhoPedido& espelho)
{
    const QString sugerido = pdfSugerido(espelho.dados().nrPedido);
    QString arquivo = dialogs().saveFileName(QStringLiteral("Salvar PDF"), QStringLiteral("Arquivo PDF(*.pdf)|*.pdf"), sugerido);
    if (arquivo.isEmpty())
        return;
    arquivo = comExtensao(arquivo, QStringLiteral("pdf"), true);
    if (arquivo.isEmpty())
        return;
    espelho.gravaPdf(arquivo);
    lembraPdf(arquivo);
}

// Qt's print dialog, switched to "Print to File", suggests "print.pdf" in
// the working folder: the order's name in the operator's folder instead.
// The dialog is the preview's own child, made when its Print is pressed.
class SugestaoDeArquivo : public QObject {
public:
    SugestaoDeArquivo(QString arquivo, QObject* parent) : QObject(parent), arquivo_(std::move(arquivo)) {}

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::ChildPolished)
            if (auto* dialogo = qobject_cast<QPrintDialog*>(static_cast<QChildEvent*>(e)->child()))
                if (auto* nome = dialogo->findChild<QLineEdit*>(QStringLiteral("filename")))
                    nome->setText(arquivo_);
        return false;
    }

private:
    QString arquivo_;
};

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
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&espelho](QPrinter* printer) {
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
        QObject::connect(email, &QAction::triggered, &preview,
                         [&db, cdFilial, nrPedido] { runGuarded([&] { EnviaPedidoPorEmail(db, cdFilial, nrPedido); }); });
    }
    QPrinter& impressora = impressoraDoPrograma();
    impressora.setDocName(QStringLiteral("Pedido-%1").arg(nrPedido)); // the print job's name
    preview.installEventFilter(new SugestaoDeArquivo(pdfSugerido(nrPedido), &preview));
    if (preview.exec() == QDialog::Accepted && impressora.outputFormat() == QPrinter::PdfFormat && !impressora.outputFileName().isEmpty())
        lembraPdf(impressora.outputFileName());
}

} // namespace zov
