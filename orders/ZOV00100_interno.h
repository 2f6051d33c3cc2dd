#pragma once
// What the order window's files share: the list's and the items' grid
// delegates and the items' model, and small helpers of its pages. Only the
// window's own files (ZOV00100*.cpp) include it.
#include "db/dbgeralped.h"
#include "library/child_window_qt.h"
#include "library/consiste.h"
#include "library/dataset_model.h"
#include "library/dialogs.h"
#include "library/errors.h"
#include "library/field_events_qt.h"
#include "library/formats.h"
#include "library/grid.h"
#include "library/inscricao.h"
#include "library/messages.h"
#include "library/procura.h"
#include "library/shell.h"
#include "library/velmora.h"
#include "orders/ZOV00100.h"
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QFocusEvent>
#include <QFontComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPointer>
#include <QRadioButton>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableView>
#include <QTextCursor>
#include <QTextEdit>
#include <QTextList>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace zov::zov00100 {

inline const QColor kAzul(Qt::blue);
inline const QColor kVerdeAzulado(0, 128, 128); // teal

// The list paints every row on the hint background: pending orders in blue,
// exported ones in teal; the status column shows its text.
class PedidoGradeDelegate final : public QStyledItemDelegate {
public:
    PedidoGradeDelegate(DatasetModel* model, QObject* parent) : QStyledItemDelegate(parent), model_(model) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const int colSit = model_->columnOf(QStringLiteral("IDSITPEDIDO"));
        const QString sit = colSit < 0 ? QString() : model_->index(index.row(), colSit).data(Qt::EditRole).toString();
        const QString field = model_->fieldAt(index.column()).fieldName();
        if (field == QLatin1String("IDSITPEDIDO"))
            option->text = textoSituacao(sit);
        if (field == QLatin1String("VRPBRUVOLPED") || field == QLatin1String("VRPLIQVOLPED"))
            option->displayAlignment = Qt::AlignRight | Qt::AlignVCenter;
        else
            option->displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
        if (!(option->state & QStyle::State_Selected)) {
            option->backgroundBrush = option->palette.brush(QPalette::ToolTipBase);
            option->palette.setColor(QPalette::Text, sit == QLatin1String("1") ? kAzul : kVerdeAzulado);
        }
    }

private:
    DatasetModel* model_;
};

// The items grid's model: the read-only columns, and the unit price while it is locked.
class ItemModel final : public DatasetModel {
public:
    using DatasetModel::DatasetModel;
    bool precoTravado = false;
    bool somenteLeitura(int column) const
    {
        const QString campo = fieldAt(column).fieldName();
        static const QStringList fixos{QStringLiteral("NRITEMPED"), QStringLiteral("NMPRODUTO"),  QStringLiteral("SGUNIDADE"),
                                       QStringLiteral("VrTotal"),   QStringLiteral("DTENTITPED"), QStringLiteral("UltPreco")};
        return fixos.contains(campo) || (precoTravado && campo == QLatin1String("VRPREUNITPED"));
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        Qt::ItemFlags f = DatasetModel::flags(index);
        if (index.isValid() && somenteLeitura(index.column()))
            f &= ~Qt::ItemIsEditable;
        return f;
    }
    // The texts the printed order shows too; the edit role keeps the value as typed.
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
            return DatasetModel::data(index, role);
        const Query& q = query();
        const Field& f = fieldAt(index.column());
        const bool editando = q.state() == DataSetState::Edit || q.state() == DataSetState::Insert;
        const QVariant v = editando && index.row() == q.recNo() - 1 ? f.value() : q.valueAt(q.storageRowAt(index.row()), f.index());
        return textoItem(f, v);
    }
};

// The items grid: the info background, the font colour by the item's
// situation, numbers to the right; the editors drop what the column cannot take.
class ItemGradeDelegate final : public QStyledItemDelegate {
public:
    ItemGradeDelegate(DatasetModel* model, LancPedido* logic, QObject* parent) : QStyledItemDelegate(parent), model_(model), logic_(logic)
    {}
    // Enter in a cell editor: the value is stored first, then the grid's own Enter runs.
    std::function<void()> aoEnter;
    // The product cell's ellipsis button: the product search.
    std::function<void()> aoPesquisar;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        // A column check that refused moved the current cell back; Qt still
        // opens the editor of the cell it was moving to, and the keys would
        // go there while the refused column is the one checked.
        if (const auto* view = qobject_cast<const QAbstractItemView*>(this->parent()); view && view->currentIndex() != index)
            return nullptr;
        QWidget* w = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* e = qobject_cast<QLineEdit*>(w)) {
            const QString campo = model_->fieldAt(index.column()).fieldName();
            e->setProperty("campo", campo);
            e->installEventFilter(const_cast<ItemGradeDelegate*>(this));
            if (campo == QLatin1String("CDARVPROD") && aoPesquisar) {
                QAction* reticencias =
                    e->addAction(e->style()->standardIcon(QStyle::SP_FileDialogContentsView), QLineEdit::TrailingPosition);
                reticencias->setObjectName(QStringLiteral("actPesquisaProduto"));
                reticencias->setToolTip(QStringLiteral("Pesquisar (F9)"));
                auto* self = const_cast<ItemGradeDelegate*>(this);
                QObject::connect(reticencias, &QAction::triggered, self, [self, e] {
                    // What was typed is stored before the search replaces it.
                    emit self->commitData(e);
                    emit self->closeEditor(e);
                    self->aoPesquisar();
                });
            }
        }
        return w;
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const Field& f = model_->fieldAt(index.column());
        if (f.kind() == FieldKind::Number)
            option->displayAlignment = Qt::AlignRight | Qt::AlignVCenter;
        if (!(option->state & QStyle::State_Selected)) {
            option->backgroundBrush = option->palette.brush(QPalette::ToolTipBase);
            const int colSit = model_->query().findField(QStringLiteral("IDSITITEMPED"))
                ? model_->query().fieldByName(QStringLiteral("IDSITITEMPED")).index()
                : -1;
            const int row = model_->query().storageRowAt(index.row());
            const QString sit = colSit < 0 || row < 0 ? QString() : model_->query().valueAt(row, colSit).toString();
            if (sit == QLatin1String("1"))
                option->palette.setColor(QPalette::Text, kAzul);
            else if (sit == QLatin1String("2"))
                option->palette.setColor(QPalette::Text, kVerdeAzulado);
        }
    }

    // The cell a key types into is framed inside its highlighted row.
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::paint(p, option, index);
        const auto* vista = qobject_cast<const QAbstractItemView*>(option.widget);
        if (!vista || vista->currentIndex() != index)
            return;
        p->save();
        p->setPen(QPen(option.palette.color(QPalette::Text), 2));
        p->setBrush(Qt::NoBrush);
        p->drawRect(QRectF(option.rect).adjusted(1, 1, -1, -1));
        p->restore();
    }

    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() != QEvent::KeyPress)
            return QStyledItemDelegate::eventFilter(watched, e);
        auto* editor = qobject_cast<QLineEdit*>(watched);
        const auto* key = static_cast<QKeyEvent*>(e);
        const QString campo = editor ? editor->property("campo").toString() : QString();
        // Enter and F9 act on the row: what the editor holds is written first (Qt
        // itself would commit an Enter only after the key had acted).
        const bool enter = (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && !(key->modifiers() & Qt::ControlModifier);
        const bool f9 = key->key() == Qt::Key_F9 && key->modifiers() == Qt::NoModifier && campo == QLatin1String("CDARVPROD");
        if (editor && (enter || f9) && (enter ? bool(aoEnter) : bool(aoPesquisar))) {
            if (!commitOpenEditor(qobject_cast<QAbstractItemView*>(parent())))
                return true;
            if (enter) {
                aoEnter();
            } else {
                runGuarded([this] { logic_->itens.teclaProduto(false); });
                aoPesquisar();
            }
            return true;
        }
        // The keys typed in an editor count as the grid's own (Part's key-down rules).
        if (editor && campo == QLatin1String("CDARVPROD"))
            runGuarded([this] { logic_->itens.teclaProduto(false); });
        const bool digita =
            (key->text().size() == 1 && key->text().front().isPrint()) || key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete;
        if (editor && campo == QLatin1String("VRPREUNITPED") && digita)
            logic_->itens.teclaPreco();
        const QString text = key->text();
        if (editor && text.size() == 1 && text.front().isPrint()) {
            const QChar c = text.front();
            if (campo == QLatin1String("VRPREUNITPED") && logic_->itens.precoBloqueado())
                return true;
            if ((campo == QLatin1String("VRPREUNITPED") || campo == QLatin1String("VRDESITPED") || campo == QLatin1String("PERDESC"))
                && (c == QLatin1Char('-') || c == QLatin1Char('+') || c == QLatin1Char('e') || c == QLatin1Char('E')))
                return true;
            if (campo == QLatin1String("QTITEMPED")) {
                const QChar ok =
                    MaxNumber(editor->text(), 9, 3, editor->selectionStart() < 0 ? editor->cursorPosition() : editor->selectionStart(),
                              editor->selectedText().size(), c);
                if (ok.isNull())
                    return true;
                if (ok != c) {
                    editor->insert(QString(ok));
                    return true;
                }
            }
        }
        return QStyledItemDelegate::eventFilter(watched, e);
    }

private:
    DatasetModel* model_;
    LancPedido* logic_;
};

// Ctrl+B, Ctrl+I and Ctrl+U in the observation's editor are its formatting
// buttons; the window's own Ctrl+I (Imprimir) waits while the editor has the focus.
class AtalhosDeFormato final : public QObject {
public:
    AtalhosDeFormato(QObject* parent, QHash<int, QAction*> acoes) : QObject(parent), acoes_(std::move(acoes)) {}
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() != QEvent::ShortcutOverride && e->type() != QEvent::KeyPress)
            return QObject::eventFilter(watched, e);
        const auto* k = static_cast<QKeyEvent*>(e);
        QAction* a = k->modifiers() == Qt::ControlModifier ? acoes_.value(k->key()) : nullptr;
        if (!a)
            return QObject::eventFilter(watched, e);
        if (e->type() == QEvent::ShortcutOverride)
            e->accept(); // the key comes to the editor as a key press
        else if (a->isEnabled())
            a->trigger();
        return true;
    }

private:
    QHash<int, QAction*> acoes_;
};

inline QLabel* rotulo(const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setBuddy(buddy);
    return l;
}

// What a masked field holds without its literals: digits, and letters (an
// alphanumeric CNPJ) upper case.
inline QString semLiterais(const QString& text)
{
    QString out;
    for (QChar c : text)
        if (c.isDigit() || (c.isLetter() && c.unicode() < 128))
            out += c.toUpper();
    return out;
}

constexpr int kPagina(PaginaPedido p) { return int(p); }

inline ColunaItem colunaDoCampo(const QString& campo)
{
    for (int i = 0; i < kColunasItem; ++i)
        if (campo.compare(QLatin1String(kCamposItem[i]), Qt::CaseInsensitive) == 0)
            return ColunaItem(i);
    return ColunaItem::NrItem;
}

} // namespace zov::zov00100
