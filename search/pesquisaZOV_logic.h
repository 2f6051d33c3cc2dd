#pragma once
// The generic search dialog without its widgets: PesquisarZOV's opening, the
// delayed search, the keys typed in the grid, the confirmation and the
// narrowing of the caller's query to the chosen row.
#include "library/dataset.h"
#include "library/messages.h"
#include "search/delay_timer.h"

#include <QStringList>
#include <QVariantList>

namespace zov {

// What the logic needs of its window.
class PesquisarView {
public:
    virtual ~PesquisarView() = default;
    virtual void setCaption(const QString& caption) = 0;
    virtual void setUpperCase(bool upper) = 0;
    // cbbOrdem: one label per listed column.
    virtual void setColumns(const QStringList& labels, int selected) = 0;
    virtual int selectedColumn() const = 0;
    // medProcurar. Setting the text counts as a change (searchTextChanged
    // follows) and leaves the caret after the last character.
    virtual QString searchText() const = 0;
    virtual void setSearchText(const QString& text) = 0;
    virtual void focusSearch() = 0;
    virtual void focusGrid() = 0;
    virtual void setConfirmEnabled(bool enabled) = 0;
    virtual void setRepaintFrozen(bool frozen) = 0;
    // Shows the window modally and returns when it has closed.
    virtual void execModal() = 0;
    virtual void closeWindow() = 0;
    // The main window's status bar (the "Localizando ..." notice).
    virtual QString statusText(int panel) const = 0;
    virtual void setStatusText(int panel, const QString& text) = 0;
};

class PesquisarLogic : private DatasetObserver {
public:
    static constexpr int kIntervaloPesquisa = 600; // ms after the last change
    static constexpr int kPainelStatus = 3;

    PesquisarLogic(Query& query, PesquisarView& view, DelayTimer& timer);
    ~PesquisarLogic() override;
    PesquisarLogic(const PesquisarLogic&) = delete;
    PesquisarLogic& operator=(const PesquisarLogic&) = delete;

    static const TMessages& msgPadrao();

    // PesquisarZOV: true when a row was chosen; the query is then open on it.
    // Otherwise the query is left closed. An empty list or a query without
    // fields ends the call through MensErro with abort.
    bool run(const QString& stCaption, bool boDataSetClosed, bool boUseUpper);

    // Events of the window.
    void searchTextChanged();               // every change of medProcurar
    void timerTick();                       // tmrPesquisa
    void confirm();                         // sbtConfirma, double click, Enter
    bool gridKeyPress(const QString& text); // true when the key went to the search text

    bool confirmed() const { return confirmed_; }
    bool confirmEnabled() const { return confirmEnabled_; }
    const QString& stSQL() const { return stSQL_; }
    // Field names of the combo's items, in order.
    const QStringList& listedFields() const { return listedFields_; }
    int inPosiNome() const { return inPosiNome_; }

private:
    void listColumns();
    bool narrowToChosen(const QString& stRegistro, const QString& stCampos, const QVariantList& astDescricao);
    void setConfirmEnabled(bool enabled);

    // DatasetObserver: the confirm button follows the dataset's state.
    void datasetReset() override {}
    void rowChanged(int) override {}
    void rowInserted(int) override {}
    void rowRemoved(int) override {}
    void currentChanged(int) override {}
    void stateChanged() override;

    Query& q_;
    const int fetchBlockAntes_ = q_.fetchBlock(); // the caller's, back when the dialog ends
    PesquisarView& view_;
    DelayTimer& timer_;
    QString stSQL_;
    QStringList listedFields_;
    QVector<int> ainNrCampo_;
    int inPosiNome_ = 0;
    bool upper_ = true;
    bool confirmed_ = false;
    bool confirmEnabled_ = false;
};

} // namespace zov
