#include "search/PesqListaZOV_logic.h"

#include "library/consiste.h"
#include "library/dbutils.h"
#include "library/errors.h"

#include <QLocale>
#include <QRegularExpression>
#include <QScopeGuard>
#include <algorithm>

namespace zov {

namespace {

const QString kMarca = QString::fromLatin1(PesqListaLogic::kCampoMarca);

// The first SELECT keyword, and a DISTINCT right after it.
const QRegularExpression& selectPattern()
{
    static const QRegularExpression re(QStringLiteral("\\bSELECT\\b(\\s+DISTINCT\\b)?"), QRegularExpression::CaseInsensitiveOption);
    return re;
}

} // namespace

qsizetype posicaoMarca(const QString& sql)
{
    const QRegularExpressionMatch m = selectPattern().match(sql);
    if (!m.hasMatch())
        return -1;
    // Past the keyword and the one character that follows it.
    return std::min(m.capturedEnd(0) + 1, sql.size());
}

PesqListaLogic::PesqListaLogic(Query& query, PesqListaView& view, DelayTimer& timer)
    : q_(query), view_(view), timer_(timer), collator_(QLocale(QLocale::Portuguese, QLocale::Brazil))
{
    collator_.setCaseSensitivity(Qt::CaseInsensitive);
    q_.setFetchBlock(kGridFetchBlock); // the list opens at once; marking all reads the rest
}

PesqListaLogic::~PesqListaLogic() { q_.setFetchBlock(fetchBlockAntes_); }

const TMessages& PesqListaLogic::msgPadrao()
{
    static const TMessages table{
        "pesq_empty|Não há %s cadastrado(a)",
        "Cap_Esg|Número de ítens selecionados acima do limite.",
    };
    return table;
}

bool PesqListaLogic::run(const QString& stNmCampo, const QString& stTitulo, bool boTodos, QString& stResultLista)
{
    bool result = true;
    boChecked_ = false;
    stCampo_ = stNmCampo;
    boMsg_ = true;
    keys_.clear();
    lines_.clear();
    chosen_.clear();
    mode_ = Marcacao::Idle;
    if (EmptyString(stResultLista))
        boChecked_ = boTodos;
    stLista_ = stResultLista;

    const qsizetype bar = stTitulo.indexOf(QLatin1Char('|'));
    stCaption_ = bar < 0 ? stTitulo : stTitulo.left(bar);
    stMensagem_ = bar < 0 ? QString() : stTitulo.mid(bar + 1);
    view_.setCaption(stCaption_);

    // The caller's query is ours only for the call: everything goes back.
    stUltSQL_ = q_.sql();
    const Query::Event afterOpenAnt = q_.afterOpen;
    const Query::Event beforePostAnt = q_.beforePost;
    q_.afterOpen = [this](Query&) { afterOpen(); };
    q_.beforePost = [](Query&) {};
    const auto restore = qScopeGuard([&] {
        timer_.stop();
        q_.setSql(stUltSQL_);
        if (markAdded_)
            q_.removeField(kMarca);
        markAdded_ = false;
        q_.afterOpen = afterOpenAnt;
        q_.beforePost = beforePostAnt;
        stResultLista = stLista_;
    });

    inPesq_ = 0;
    if (abreLista(true)) {
        listColumns();
        view_.showChosen(lines_);
        result = view_.execModal();
    }
    return result;
}

bool PesqListaLogic::abreLista(bool opening)
{
    stUltSQL_ = q_.sql();
    stSQL_ = stUltSQL_;
    q_.close();
    const qsizetype pos = posicaoMarca(stSQL_);
    if (pos >= 0 && !stSQL_.contains(kMarca, Qt::CaseInsensitive)) {
        stSQL_.insert(pos, boChecked_ ? QStringLiteral("'S' AS IDMARCADO, ") : QStringLiteral("'N' AS IDMARCADO, "));
        q_.setSql(stSQL_);
        Field& marca = q_.defineField(kMarca);
        marca.displayWidth = 2;
        marca.displayLabel = QStringLiteral(" ");
        marca.readOnly = true;
        markAdded_ = true;
    }
    if (opening) {
        opening_ = true;
        const auto done = qScopeGuard([this] { opening_ = false; });
        q_.open();
        if (q_.isEmpty()) {
            MensErro(EmptyString(stMensagem_)
                         ? msgPadrao().Msg(QStringLiteral("pesq_empty")).replace(QLatin1String("%s"), stCaption_.toLower())
                         : stMensagem_,
                     false);
            return false;
        }
    }
    if (!EmptyString(stLista_) && q_.active() && !q_.isEmpty())
        marcaLista();
    mode_ = Marcacao::Idle;
    return true;
}

void PesqListaLogic::afterOpen()
{
    Field* marca = q_.findField(kMarca);
    // Every row starts chosen when asked to, once, as the list first opens:
    // a later search must not bring back what the user has unmarked.
    if (marca && opening_ && keys_.isEmpty() && !q_.isEmpty()
        && q_.valueAt(q_.storageRowAt(0), marca->index()).toString() == QLatin1String("S")) {
        bulk_ = true;
        try {
            for (int pos = 0; pos < q_.recordCount(); ++pos)
                toggleRow(q_.storageRowAt(pos));
        } catch (const Abort&) {
            // the size limit, already shown
        }
        bulk_ = false;
    }
    if (marca)
        marca->displayLabel = QStringLiteral("\u2713"); // the title of the mark column is a check mark
}

void PesqListaLogic::listColumns()
{
    QStringList labels;
    listedFields_.clear();
    int selected = -1;
    for (int i = 0; i < q_.fieldCount(); ++i) {
        const Field& f = q_.field(i);
        if (!f.visible || f.calculated || f.fieldName().compare(kMarca, Qt::CaseInsensitive) == 0)
            continue;
        if (selected < 0
            && (f.fieldName().startsWith(QLatin1String("NM"), Qt::CaseInsensitive)
                || f.fieldName().startsWith(QLatin1String("DS"), Qt::CaseInsensitive)))
            selected = int(labels.size());
        labels << f.label();
        listedFields_ << f.fieldName();
    }
    view_.setColumns(labels, std::max(selected, 0));
}

QString PesqListaLogic::keyOf(int storageRow) const { return q_.valueAt(storageRow, q_.fieldByName(stCampo_).index()).toString(); }

QString PesqListaLogic::lineOf(int storageRow) const
{
    QString line;
    for (int i = 0; i < q_.fieldCount(); ++i) {
        const Field& f = q_.field(i);
        if (!f.visible || f.fieldName().compare(kMarca, Qt::CaseInsensitive) == 0)
            continue;
        line += f.displayTextOf(q_.valueAt(storageRow, i)) + QLatin1String("  ");
    }
    return line;
}

QString PesqListaLogic::listText() const
{
    if (keys_.isEmpty())
        return {};
    return QLatin1Char('_') + keys_.join(QLatin1Char('_')) + QLatin1Char('_');
}

void PesqListaLogic::toggleRow(int storageRow)
{
    const QString key = keyOf(storageRow);
    if (EmptyString(key))
        return; // a row without a key cannot be told apart in the list text
    const bool isChosen = chosen_.contains(key);
    if (!isChosen && mode_ != Marcacao::Unmarking) {
        const qsizetype current = keys_.isEmpty() ? 1 : listText().size();
        if (boMsg_ && current + key.size() + 1 > kLimiteLista)
            MensErro(msgPadrao().Msg(QStringLiteral("Cap_Esg")), true);
        const QString line = lineOf(storageRow);
        const auto at = std::upper_bound(lines_.begin(), lines_.end(), line,
                                         [this](const QString& a, const QString& b) { return collator_.compare(a, b) < 0; });
        const qsizetype pos = at - lines_.begin();
        lines_.insert(pos, line);
        keys_.insert(pos, key);
        chosen_.insert(key);
        if (mode_ == Marcacao::Neutral)
            mode_ = Marcacao::Marking;
    } else if (isChosen && mode_ != Marcacao::Marking) {
        const qsizetype pos = keys_.indexOf(key);
        lines_.removeAt(pos);
        keys_.removeAt(pos);
        chosen_.remove(key);
        if (mode_ == Marcacao::Neutral)
            mode_ = Marcacao::Unmarking;
    }
    if (!bulk_)
        chosenChanged();
}

void PesqListaLogic::chosenChanged()
{
    view_.showChosen(lines_);
    view_.repaintGrid();
}

void PesqListaLogic::marcaLista()
{
    bulk_ = true;
    try {
        ControlsDisabled frozen(q_);
        for (int pos = 0; pos < q_.recordCount(); ++pos) {
            const int row = q_.storageRowAt(pos);
            if (stLista_.contains(QLatin1Char('_') + keyOf(row) + QLatin1Char('_')))
                toggleRow(row);
        }
    } catch (const Abort&) {
    } catch (const std::exception& e) {
        ShowErrorMessage(e);
    }
    bulk_ = false;
    chosenChanged();
}

void PesqListaLogic::toggle()
{
    if (!q_.active() || q_.isEmpty())
        return;
    toggleRow(q_.storageRowAt(q_.recNo() - 1));
}

void PesqListaLogic::toggleAll()
{
    if (!q_.active())
        return;
    view_.setBusy(true);
    mode_ = Marcacao::Neutral; // the first row decides: all marked or all unmarked
    bulk_ = true;
    try {
        ControlsDisabled frozen(q_);
        for (int pos = 0; pos < q_.recordCount(); ++pos)
            toggleRow(q_.storageRowAt(pos));
    } catch (const Abort&) {
        // the size limit, already shown
    } catch (const std::exception& e) {
        if (q_.state() == DataSetState::Edit || q_.state() == DataSetState::Insert)
            q_.cancel();
        ShowErrorMessage(e);
    }
    mode_ = Marcacao::Idle;
    bulk_ = false;
    chosenChanged();
    view_.setBusy(false);
}

void PesqListaLogic::removeChosen(int line, bool fromKeyboard)
{
    if (line < 0 || line >= lines_.size())
        return;
    chosen_.remove(keys_.at(line));
    lines_.removeAt(line);
    keys_.removeAt(line);
    view_.showChosen(lines_);
    if (fromKeyboard)
        view_.focusChosenList();
    else
        view_.focusSearch();
    view_.repaintGrid();
}

bool PesqListaLogic::isChosenAt(int pos) const
{
    if (!q_.active() || chosen_.isEmpty())
        return false;
    const int row = q_.storageRowAt(pos);
    return row >= 0 && chosen_.contains(keyOf(row));
}

bool PesqListaLogic::gridKeyPress(const QString& text)
{
    if (text.size() != 1)
        return false;
    const char16_t c = text.at(0).unicode();
    QString search = view_.searchText();
    if (c == u'\b')
        search.chop(1);
    else if (c > 32 && c != 127 && c != u'`')
        search += text.toUpper();
    else
        return false; // Enter and Space are the window's
    view_.focusSearch();
    view_.setSearchText(search);
    return true;
}

void PesqListaLogic::searchTextChanged()
{
    inPesq_ = 0;
    timer_.stop();
    timer_.start(kTick);
}

void PesqListaLogic::timerTick()
{
    if (++inPesq_ < kTicksAteBusca)
        return;
    const QString text = view_.searchText();
    const int item = view_.selectedColumn();
    const QString field = item >= 0 && item < listedFields_.size() ? listedFields_[item] : QString();
    view_.setRepaintFrozen(true);
    const auto done = qScopeGuard([this] {
        view_.setRepaintFrozen(false);
        timer_.stop();
        inPesq_ = 0;
    });
    try {
        if (q_.sql() != stSQL_)
            q_.setSql(stSQL_);
        // A list read in part is narrowed by the database: the marks are kept apart from the rows.
        LocateAll(q_, {field}, text);
    } catch (...) {
        try {
            q_.setSql(stSQL_);
            q_.open();
        } catch (...) {
        }
        throw;
    }
}

void PesqListaLogic::confirm()
{
    stLista_ = listText();
    view_.closeWindow(true);
}

} // namespace zov
