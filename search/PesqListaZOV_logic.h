#pragma once
// The multi-select list search without its widgets: the mark column added
// to the caller's statement for the duration of the call, the chosen list
// kept sorted by its lines, toggling one row or all of them, the size limit,
// the delayed search and the list text it returns.
#include "library/dataset.h"
#include "library/messages.h"
#include "search/delay_timer.h"

#include <QCollator>
#include <QSet>
#include <QStringList>

namespace zov {

class PesqListaView {
public:
    virtual ~PesqListaView() = default;
    virtual void setCaption(const QString& caption) = 0;
    virtual void setColumns(const QStringList& labels, int selected) = 0;
    virtual int selectedColumn() const = 0;
    // Setting the text counts as a change and leaves the caret at the end.
    virtual QString searchText() const = 0;
    virtual void setSearchText(const QString& text) = 0;
    virtual void focusSearch() = 0;
    virtual void focusChosenList() = 0;
    // lsbEscolhidos: the lines of the chosen rows, in order.
    virtual void showChosen(const QStringList& lines) = 0;
    virtual void repaintGrid() = 0;
    virtual void setRepaintFrozen(bool frozen) = 0;
    virtual void setBusy(bool busy) = 0;
    // Shows the window modally; true when it closed with OK.
    virtual bool execModal() = 0;
    virtual void closeWindow(bool ok) = 0;
};

class PesqListaLogic {
public:
    static constexpr int kTick = 10;          // ms
    static constexpr int kTicksAteBusca = 11; // the search runs on the eleventh tick
    static constexpr int kLimiteLista = 2000; // characters of the list text
    static constexpr const char* kCampoMarca = "IDMARCADO";

    enum class Marcacao { Idle, Neutral, Marking, Unmarking };

    PesqListaLogic(Query& query, PesqListaView& view, DelayTimer& timer);
    ~PesqListaLogic();
    PesqListaLogic(const PesqListaLogic&) = delete;
    PesqListaLogic& operator=(const PesqListaLogic&) = delete;

    static const TMessages& msgPadrao();

    // PesquisaListaZOV. stResultLista: the previous list text on entry, the
    // new one on return. False only when the user cancelled.
    bool run(const QString& stNmCampo, const QString& stTitulo, bool boTodos, QString& stResultLista);

    // Events of the window.
    void searchTextChanged();
    void timerTick();
    void toggle();    // double click, Space in the grid
    void toggleAll(); // mark column title, Ctrl+Space in the grid
    void removeChosen(int line, bool fromKeyboard);
    bool gridKeyPress(const QString& text); // true when the key went to the search text
    void confirm();

    // For drawing the mark column: whether the row at a grid position is chosen.
    bool isChosenAt(int pos) const;
    const QStringList& chosenKeys() const { return keys_; }
    const QStringList& chosenLines() const { return lines_; }
    QString listText() const;
    const QString& stSQL() const { return stSQL_; }
    Marcacao marcacao() const { return mode_; }
    int inPesq() const { return inPesq_; }

private:
    bool abreLista(bool opening);
    void marcaLista();
    void listColumns();
    void afterOpen();
    void toggleRow(int storageRow);
    QString keyOf(int storageRow) const;
    QString lineOf(int storageRow) const;
    void chosenChanged();

    Query& q_;
    const int fetchBlockAntes_ = q_.fetchBlock(); // the caller's, back when the dialog ends
    PesqListaView& view_;
    DelayTimer& timer_;
    QCollator collator_;
    QString stCampo_;
    QString stLista_;
    QString stCaption_;
    QString stMensagem_;
    QString stUltSQL_;
    QString stSQL_;
    QStringList keys_;     // stlCdEscolhidos, in the order of lines_
    QStringList lines_;    // lsbEscolhidos, sorted
    QSet<QString> chosen_; // the same keys, for looking up
    QStringList listedFields_;
    bool boChecked_ = false;
    bool boMsg_ = true;
    bool markAdded_ = false;
    bool opening_ = false;
    bool bulk_ = false;
    int inPesq_ = 0;
    Marcacao mode_ = Marcacao::Idle;
};

// Where the mark column goes in a statement: after the first SELECT and the
// character that follows it, or after DISTINCT and its following character
// when that SELECT is a SELECT DISTINCT. -1 without a SELECT.
qsizetype posicaoMarca(const QString& sql);

} // namespace zov
