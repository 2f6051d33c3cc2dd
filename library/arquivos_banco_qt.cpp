#include "library/arquivos_banco.h"

#include <QApplication>
#include <QCompleter>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QMimeDatabase>

namespace zov {

namespace {

// Icon and type by the file's name: the file is never opened.
class IconePeloNome final : public QFileIconProvider {
public:
    using QFileIconProvider::icon;
    QIcon icon(const QFileInfo& info) const override
    {
        if (info.isDir())
            return QFileIconProvider::icon(Folder);
        const QIcon i = QIcon::fromTheme(mimes_.mimeTypeForFile(info, QMimeDatabase::MatchExtension).iconName());
        return i.isNull() ? QFileIconProvider::icon(File) : i;
    }
    QString type(const QFileInfo& info) const override
    {
        if (info.isDir())
            return QFileIconProvider::type(info);
        return mimes_.mimeTypeForFile(info, QMimeDatabase::MatchExtension).comment();
    }

private:
    QMimeDatabase mimes_;
};

// A file dialog is polished inside its constructor, before it first looks a
// file up; a line edit is polished before its completer's model lists anything.
class GuardaArquivos final : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() != QEvent::Polish)
            return false;
        if (auto* dialogo = qobject_cast<QFileDialog*>(o)) {
            if (dialogo->iconProvider() != &icones_)
                dialogo->setIconProvider(&icones_);
        } else if (auto* edit = qobject_cast<QLineEdit*>(o)) {
            QCompleter* c = edit->completer();
            if (auto* modelo = c ? qobject_cast<QFileSystemModel*>(c->model()) : nullptr)
                if (modelo->iconProvider() != &icones_)
                    modelo->setIconProvider(&icones_);
        }
        return false;
    }

private:
    IconePeloNome icones_; // outlives the dialogs: it goes with the application
};

} // namespace

void ProtegeArquivosDoBanco()
{
    static GuardaArquivos* guarda = nullptr;
    if (guarda || !qApp)
        return;
    // A native dialog (another toolkit in this process) would sniff the files unseen.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    guarda = new GuardaArquivos(qApp);
    qApp->installEventFilter(guarda);
}

} // namespace zov
