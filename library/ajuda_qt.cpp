#include "library/ajuda_qt.h"

#include "library/errors.h"
#include "library/shell.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSplitter>
#include <QTextBrowser>
#include <QTextDocument>
#include <QVBoxLayout>

namespace zov {

namespace {

const QString kPasta = QStringLiteral(":/ajuda");

QString textoDaPagina(const QString& arquivo)
{
    QFile f(kPasta + QLatin1Char('/') + arquivo);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QTextDocument doc;
    doc.setHtml(QString::fromUtf8(f.readAll()));
    return doc.toPlainText();
}

QString tituloDaPagina(const QString& arquivo)
{
    QFile f(kPasta + QLatin1Char('/') + arquivo);
    if (!f.open(QIODevice::ReadOnly))
        return arquivo;
    const QString html = QString::fromUtf8(f.readAll());
    const qsizetype a = html.indexOf(QLatin1String("<title>"), 0, Qt::CaseInsensitive);
    const qsizetype b = html.indexOf(QLatin1String("</title>"), 0, Qt::CaseInsensitive);
    return a >= 0 && b > a ? html.mid(a + 7, b - a - 7).trimmed() : arquivo;
}

class JanelaAjuda final : public QDialog {
public:
    explicit JanelaAjuda(QWidget* parent) : QDialog(parent)
    {
        setObjectName(QStringLiteral("frmAjuda"));
        setWindowTitle(QStringLiteral("Ajuda do Pedidos ZOV-RA"));
        setAttribute(Qt::WA_DeleteOnClose);
        auto* v = new QVBoxLayout(this);
        auto* barra = new QHBoxLayout;
        auto* rotulo = new QLabel(QStringLiteral("&Procurar"), this);
        procura_ = new QLineEdit(this);
        procura_->setObjectName(QStringLiteral("edtProcurar"));
        procura_->setPlaceholderText(QStringLiteral("palavra ou tecla, Enter procura a próxima"));
        rotulo->setBuddy(procura_);
        aviso_ = new QLabel(this);
        barra->addWidget(rotulo);
        barra->addWidget(procura_, 1);
        barra->addWidget(aviso_);
        v->addLayout(barra);
        auto* divisao = new QSplitter(this);
        indice_ = new QListWidget(divisao);
        indice_->setObjectName(QStringLiteral("lstPaginas"));
        for (const QString& p : paginasDaAjuda()) {
            auto* item = new QListWidgetItem(tituloDaPagina(p), indice_);
            item->setData(Qt::UserRole, p);
        }
        texto_ = new QTextBrowser(divisao);
        texto_->setObjectName(QStringLiteral("txtAjuda"));
        texto_->setSearchPaths({kPasta});
        texto_->setOpenExternalLinks(false);
        divisao->setStretchFactor(1, 1);
        divisao->setSizes({220, 680});
        v->addWidget(divisao, 1);
        auto* fechar = new QPushButton(QStringLiteral("&Fechar"), this);
        connect(fechar, &QPushButton::clicked, this, &QDialog::close);
        auto* rodape = new QHBoxLayout;
        rodape->addStretch(1);
        rodape->addWidget(fechar);
        v->addLayout(rodape);
        connect(indice_, &QListWidget::currentRowChanged, this, [this](int row) {
            if (row >= 0)
                abre(indice_->item(row)->data(Qt::UserRole).toString());
        });
        connect(texto_, &QTextBrowser::sourceChanged, this, [this](const QUrl& url) { marcaNoIndice(url.fileName()); });
        connect(procura_, &QLineEdit::returnPressed, this, [this] { runGuarded([this] { procura(procura_->text()); }); });
        resize(940, 620);
    }

    void abre(const QString& arquivo)
    {
        if (texto_->source().fileName() != arquivo)
            texto_->setSource(QUrl(QStringLiteral("qrc") + kPasta + QLatin1Char('/') + arquivo));
    }

    // The next place with the text: in this page after the cursor, then in the
    // pages after it, round to the beginning.
    bool procura(const QString& texto)
    {
        aviso_->clear();
        if (texto.trimmed().isEmpty())
            return false;
        if (texto_->find(texto))
            return true;
        const QStringList paginas = paginasDaAjuda();
        const qsizetype atual = std::max<qsizetype>(0, paginas.indexOf(texto_->source().fileName()));
        for (qsizetype i = 1; i <= paginas.size(); ++i) {
            const QString p = paginas[(atual + i) % paginas.size()];
            if (!textoDaPagina(p).contains(texto, Qt::CaseInsensitive))
                continue;
            abre(p);
            texto_->moveCursor(QTextCursor::Start);
            return texto_->find(texto);
        }
        aviso_->setText(QStringLiteral("Não encontrado."));
        return false;
    }

private:
    void marcaNoIndice(const QString& arquivo)
    {
        for (int i = 0; i < indice_->count(); ++i)
            if (indice_->item(i)->data(Qt::UserRole).toString() == arquivo) {
                const QSignalBlocker quieto(indice_);
                indice_->setCurrentRow(i);
            }
    }

    QLineEdit* procura_;
    QLabel* aviso_;
    QListWidget* indice_;
    QTextBrowser* texto_;
};

QPointer<JanelaAjuda>& janela()
{
    static QPointer<JanelaAjuda> j;
    return j;
}

class TeclaF1 final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* alvo, QEvent* e) override
    {
        if ((e->type() != QEvent::KeyPress && e->type() != QEvent::ShortcutOverride) || !alvo->isWidgetType())
            return false;
        auto* ke = static_cast<QKeyEvent*>(e);
        if (ke->key() != Qt::Key_F1 || ke->modifiers() != Qt::NoModifier)
            return false;
        // The help's own window has no page of its own.
        auto* w = static_cast<QWidget*>(alvo);
        if (w->window()->objectName() == QLatin1String("frmAjuda"))
            return false;
        e->accept();
        if (e->type() == QEvent::KeyPress)
            runGuarded([w] { MostraAjuda(codigoDaTela(w), w->window()); });
        return true;
    }
};

} // namespace

QStringList paginasDaAjuda()
{
    QStringList paginas = QDir(kPasta).entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
    paginas.removeAll(QStringLiteral("index.html"));
    paginas.prepend(QStringLiteral("index.html"));
    return paginas;
}

QString paginaDaAjuda(const QString& codigoTela)
{
    const QString arquivo = codigoTela + QStringLiteral(".html");
    return QFile::exists(kPasta + QLatin1Char('/') + arquivo) ? arquivo : QStringLiteral("index.html");
}

void MostraAjuda(const QString& codigoTela, QWidget* parent)
{
    QPointer<JanelaAjuda>& j = janela();
    // A modal dialog blocks every window but its own: the help opened from one
    // is the dialog's, and closes with it.
    QWidget* modal = QApplication::activeModalWidget();
    if (j && modal && j->parentWidget() != modal) {
        j->close();
        j = nullptr;
    }
    if (!j) {
        // A window of its own: it stays open beside the one it explains.
        j = new JanelaAjuda(modal ? modal : parent ? parent->window() : nullptr);
        j->setWindowFlag(Qt::Window);
    }
    j->abre(paginaDaAjuda(codigoTela));
    j->show();
    j->raise();
    j->activateWindow();
}

QString codigoDaTela(const QWidget* dentro)
{
    for (const QWidget* w = dentro; w; w = w->parentWidget()) {
        const QString codigo = w->property("screenCode").toString();
        if (!codigo.isEmpty())
            return codigo;
    }
    return QString::fromLatin1(kMainScreenCode);
}

void instalaAjudaF1()
{
    static TeclaF1* filtro = nullptr;
    if (!filtro && qApp) {
        filtro = new TeclaF1(qApp);
        qApp->installEventFilter(filtro);
    }
}

} // namespace zov
