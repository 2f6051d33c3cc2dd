#include "search/pesquisaZOV_logic.h"

#include "library/btn_pesquisa.h"
#include "library/consiste.h"
#include "library/dbutils.h"
#include "library/errors.h"
#include "library/velmora.h"

namespace zov {

namespace {

bool isNameField(const QString& name)
{
    return name.startsWith(QLatin1String("NM"), Qt::CaseInsensitive) || name.startsWith(QLatin1String("DS"), Qt::CaseInsensitive);
}

// Unfreezes the window and stops the timer however the search ends.
class SearchScope {
public:
    SearchScope(PesquisarView& view, DelayTimer& timer) : view_(view), timer_(timer) { view_.setRepaintFrozen(true); }
    ~SearchScope()
    {
        view_.setRepaintFrozen(false);
        timer_.stop();
    }

private:
    PesquisarView& view_;
    DelayTimer& timer_;
};

} // namespace

PesquisarLogic::PesquisarLogic(Query& query, PesquisarView& view, DelayTimer& timer) : q_(query), view_(view), timer_(timer)
{
    q_.addObserver(this);
    q_.setFetchBlock(kGridFetchBlock); // the list opens at once, and reads on as it is searched
}

PesquisarLogic::~PesquisarLogic()
{
    q_.removeObserver(this);
    q_.setFetchBlock(fetchBlockAntes_);
}

const TMessages& PesquisarLogic::msgPadrao()
{
    static const TMessages table{
        "pesq_empty|Não há %s cadastrado(a).",
        "Campo_Inf|Campos devem ser especificados para a consulta.",
        "Localizando|Localizando ...",
    };
    return table;
}

void PesquisarLogic::setConfirmEnabled(bool enabled)
{
    confirmEnabled_ = enabled;
    view_.setConfirmEnabled(enabled);
}

void PesquisarLogic::stateChanged() { setConfirmEnabled(q_.state() == DataSetState::Browse); }

bool PesquisarLogic::run(const QString& stCaption, bool boDataSetClosed, bool boUseUpper)
{
    confirmed_ = false;
    upper_ = boUseUpper;
    view_.setUpperCase(boUseUpper);
    const qsizetype bar = stCaption.indexOf(QLatin1Char('|'));
    const QString caption = bar < 0 ? stCaption : stCaption.left(bar);
    const QString stErro = bar < 0 ? stCaption : stCaption.mid(bar + 1);

    if (!boDataSetClosed) {
        q_.open();
        if (q_.isEmpty()) {
            timer_.stop();
            MensErro(bar < 0 ? msgPadrao().Msg(QStringLiteral("pesq_empty")).replace(QLatin1String("%s"), stErro.toLower()) : stErro, true);
        }
    }
    if (q_.fieldCount() == 0) {
        timer_.stop();
        MensErro(msgPadrao().Msg(QStringLiteral("Campo_Inf")), true);
    }
    stSQL_ = q_.sql();
    listColumns();
    view_.setCaption(caption);
    setConfirmEnabled(q_.state() == DataSetState::Browse && !q_.isEmpty());
    view_.execModal();
    timer_.stop();

    // The chosen row, as the first listed columns show it.
    QStringList campos;
    QVariantList astDescricao;
    for (int k = 0; k < std::min<int>(3, int(ainNrCampo_.size())); ++k) {
        const Field& f = q_.field(ainNrCampo_[k]);
        campos << f.fieldName();
        astDescricao << f.value();
    }
    const QString stRegistro = q_.fieldCount() > 0 && q_.active() ? q_.field(0).asString() : QString();
    q_.close();
    q_.setSql(stSQL_);

    if (!confirmed_) {
        ExitOK(false);
        return false;
    }
    const bool found = narrowToChosen(stRegistro, campos.join(QLatin1Char(';')), astDescricao);
    ExitOK(found);
    return found;
}

void PesquisarLogic::listColumns()
{
    QStringList labels;
    listedFields_.clear();
    ainNrCampo_.clear();
    inPosiNome_ = 0;
    for (int i = 0; i < q_.fieldCount(); ++i) {
        const Field& f = q_.field(i);
        if (!f.visible || f.calculated)
            continue;
        // The first name or description after the first column is preselected.
        if (inPosiNome_ == 0 && isNameField(f.fieldName()))
            inPosiNome_ = int(labels.size());
        labels << f.label();
        listedFields_ << f.fieldName();
        ainNrCampo_ << i;
    }
    view_.setColumns(labels, inPosiNome_);
}

bool PesquisarLogic::narrowToChosen(const QString& stRegistro, const QString& stCampos, const QVariantList& astDescricao)
{
    const QString keyField = q_.field(0).fieldName();
    const QString keyParam = QStringLiteral("P_") + keyField;
    const QString allParam = QStringLiteral("P_T") + keyField;
    const QString todos = QStringLiteral("P_TODOS");
    const QString T = QStringLiteral("T");

    // The key parameters give the chosen row alone.
    bool boParametro = false;
    if (q_.existParam(keyParam)) {
        q_.setParam(keyParam, stRegistro);
        boParametro = true;
        if (q_.existParam(allParam) && q_.paramByName(allParam).asString() == T)
            q_.setParam(allParam, QStringLiteral("N"));
    }
    if (q_.existParam(todos) && q_.paramByName(todos).asString() == T) {
        q_.setParam(todos, QStringLiteral("N"));
        boParametro = true;
    }
    q_.open();
    if (!q_.isEmpty() && q_.field(0).asString() == stRegistro && boParametro)
        return true;

    // Otherwise the whole list again, positioned on the chosen row.
    q_.close();
    if (q_.existParam(keyParam)) {
        if (q_.paramByName(keyParam).asString() == T || q_.existParam(allParam))
            q_.setParam(keyParam, T);
        if (q_.existParam(allParam))
            q_.setParam(allParam, T);
    }
    if (q_.existParam(todos))
        q_.setParam(todos, T);

    const bool notice = CanEditRelPadr();
    const QString previous = notice ? view_.statusText(kPainelStatus) : QString();
    if (notice)
        view_.setStatusText(kPainelStatus, msgPadrao().Msg(QStringLiteral("Localizando")));
    bool found = false;
    try {
        q_.open();
        found = q_.locate(stCampos, astDescricao, LocateCaseInsensitive);
    } catch (...) {
        if (notice)
            view_.setStatusText(kPainelStatus, previous);
        throw;
    }
    if (notice)
        view_.setStatusText(kPainelStatus, previous);
    // A row that cannot be found again must not hand the caller another one.
    if (!found)
        q_.close();
    return found;
}

void PesquisarLogic::searchTextChanged()
{
    timer_.stop();
    timer_.start(kIntervaloPesquisa);
}

void PesquisarLogic::timerTick()
{
    const QString text = view_.searchText();
    {
        SearchScope scope(view_, timer_);
        try {
            const int item = view_.selectedColumn();
            const QString stNomeCampo = item >= 0 && item < listedFields_.size() ? listedFields_[item] : QString();
            // Back to the statement as the dialog received it; a blank text lists every row.
            if (q_.sql() != stSQL_)
                q_.setSql(stSQL_);
            LocateAll(q_, {stNomeCampo}, text);
        } catch (...) {
            // The full list comes back before the error is shown.
            try {
                q_.setSql(stSQL_);
                q_.open();
            } catch (...) {
            }
            view_.focusGrid();
            setConfirmEnabled(q_.state() == DataSetState::Browse && !q_.isEmpty());
            if (EmptyString(text))
                view_.focusSearch();
            throw;
        }
        view_.focusGrid();
        setConfirmEnabled(q_.state() == DataSetState::Browse && !q_.isEmpty());
    }
    if (EmptyString(text))
        view_.focusSearch();
}

void PesquisarLogic::confirm()
{
    if (!confirmEnabled_)
        return;
    confirmed_ = true;
    view_.closeWindow();
}

bool PesquisarLogic::gridKeyPress(const QString& text)
{
    if (text.size() != 1)
        return false;
    const char16_t c = text.at(0).unicode();
    QString search = view_.searchText();
    if (c == u'\b') {
        search.chop(1);
    } else if (c >= 32 && c != 127 && c != u'`') {
        search += upper_ ? text.toUpper() : text;
    } else {
        return false; // Enter and the other controls are the window's
    }
    view_.focusSearch();
    view_.setSearchText(search);
    return true;
}

} // namespace zov
