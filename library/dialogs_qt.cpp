#include "library/dialogs_qt.h"

#include "library/ajuda_qt.h"
#include "library/arquivos_banco.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

namespace zov {

namespace {

// The window that asked: boxes open centred over it. A modal dialog first,
// then the active window, then the window holding the focus; never none
// while any window is shown, or the box would open in a screen corner.
QWidget* parentWindow()
{
    if (QWidget* w = QApplication::activeModalWidget())
        return w;
    if (QWidget* w = QApplication::activeWindow())
        return w;
    if (QWidget* w = QApplication::focusWidget())
        return w->window();
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->isWindow() && !w->isMinimized() && w->windowType() != Qt::ToolTip && w->windowType() != Qt::Popup)
            return w;
    return nullptr;
}

// Filters are written "Texto(*.txt)|*.txt|..." in the program; Qt wants "Texto (*.txt);;...".
QString qtFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    if (parts.size() < 2)
        return filter;
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString label = parts[i];
        const qsizetype paren = label.indexOf(QLatin1Char('('));
        if (paren > 0)
            label = label.left(paren).trimmed();
        out << QStringLiteral("%1 (%2)").arg(label, QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' ')));
    }
    return out.join(QStringLiteral(";;"));
}

// Without a window manager nothing gives the window behind a closed box its
// activation back, and its keys would go nowhere: the box gives it back.
class DevolveAtivacao {
public:
    explicit DevolveAtivacao(QWidget* janela) : janela_(janela ? janela->window() : nullptr) {}
    ~DevolveAtivacao()
    {
        if (janela_ && janela_->isVisible() && !QApplication::activeWindow())
            janela_->activateWindow();
    }
    DevolveAtivacao(const DevolveAtivacao&) = delete;
    DevolveAtivacao& operator=(const DevolveAtivacao&) = delete;

private:
    QPointer<QWidget> janela_;
};

void show(QMessageBox::Icon icon, const QString& title, const QString& text)
{
    const DevolveAtivacao devolve(parentWindow());
    QMessageBox box(icon, title, text, QMessageBox::Ok, parentWindow());
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box.exec();
}

} // namespace

void QtDialogs::error(const QString& text) { show(QMessageBox::Critical, QStringLiteral("Erro"), text); }

void QtDialogs::info(const QString& text) { show(QMessageBox::Information, QStringLiteral("Informação"), text); }

bool QtDialogs::confirm(const QString& text)
{
    const DevolveAtivacao devolve(parentWindow());
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirmação"), text, QMessageBox::Yes | QMessageBox::No, parentWindow());
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Sim"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&Não"));
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QString QtDialogs::openFileName(const QString& title, const QString& filter)
{
    const QString arquivo = QFileDialog::getOpenFileName(parentWindow(), title, QString(), qtFilter(filter));
    if (!arquivoDoBanco(arquivo))
        return arquivo;
    error(msgArquivoDoBanco());
    return {};
}

QString QtDialogs::saveFileName(const QString& title, const QString& filter, const QString& sugerido)
{
    const QString arquivo = QFileDialog::getSaveFileName(parentWindow(), title, sugerido, qtFilter(filter));
    if (!arquivoDoBanco(arquivo))
        return arquivo;
    error(msgArquivoDoBanco());
    return {};
}

void QtDialogs::ajuda(const QString& codigoTela) { MostraAjuda(codigoTela, parentWindow()); }

QPrinter& impressoraDoPrograma()
{
    // Goes with the application object, before Qt's print plug-ins do.
    static QPrinter* printer = nullptr;
    if (!printer) {
        printer = new QPrinter(QPrinter::HighResolution);
        qAddPostRoutine([] {
            delete printer;
            printer = nullptr;
        });
    }
    return *printer;
}

bool QtDialogs::printerSetup()
{
    // What is chosen here is what Imprimir prints on.
    QPrintDialog dialog(&impressoraDoPrograma(), parentWindow());
    dialog.setWindowTitle(QStringLiteral("Configurar Impressora"));
    return dialog.exec() == QDialog::Accepted;
}

QString QtDialogs::askText(const QString& title, const QString& label, const QString& initial)
{
    QInputDialog dialog(parentWindow());
    dialog.setWindowTitle(title);
    dialog.setLabelText(label);
    dialog.setTextValue(initial);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Cancelar"));
    return dialog.exec() == QDialog::Accepted ? dialog.textValue().trimmed() : QString();
}

} // namespace zov
