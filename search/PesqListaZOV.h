#pragma once
// PesqListaZOV: the multi-select list search TfrmPesqLista and
// PesquisaListaZOV, which the order filter opens to choose several keys.
#include "library/rotigeral_qt.h"
#include "search/PesqListaZOV_logic.h"
#include "search/delay_timer.h"

class QComboBox;
class QLineEdit;
class QListWidget;
class QTableView;

namespace zov {

class DatasetModel;

class TfrmPesqLista : public TfrmRotiGeral, public PesqListaView {
    Q_OBJECT
public:
    static constexpr const char* kScreenCode = "LIB00600";

    explicit TfrmPesqLista(Query& query, QWidget* parent = nullptr);
    ~TfrmPesqLista() override;

    PesqListaLogic& logic() { return logic_; }
    QComboBox* cbbOrdem() const { return cbbOrdem_; }
    QLineEdit* medProcurar() const { return medProcurar_; }
    QTableView* dbgArquivo() const { return dbgArquivo_; }
    QListWidget* lsbEscolhidos() const { return lsbEscolhidos_; }

    // PesqListaView
    void setCaption(const QString& caption) override;
    void setColumns(const QStringList& labels, int selected) override;
    int selectedColumn() const override;
    QString searchText() const override;
    void setSearchText(const QString& text) override;
    void focusSearch() override;
    void focusChosenList() override;
    void showChosen(const QStringList& lines) override;
    void repaintGrid() override;
    void setRepaintFrozen(bool frozen) override;
    void setBusy(bool busy) override;
    bool execModal() override;
    void closeWindow(bool ok) override;

protected:
    bool formKeyPress(QWidget* target, QKeyEvent* event) override;
    void sbtConfirmaClick() override;
    void showEvent(QShowEvent* event) override;

private:
    void markColumnClicked(int section);

    QComboBox* cbbOrdem_;
    QLineEdit* medProcurar_;
    QTableView* dbgArquivo_;
    QListWidget* lsbEscolhidos_;
    DatasetModel* model_;
    QtDelayTimer tmrPesquisa_;
    PesqListaLogic logic_;
};

// Lets the user choose any number of rows of the query, identified by the
// field stNmCampo. stTitulo is the caption, optionally followed by "|" and
// the message for an empty list. stResultLista holds the previous choice on
// entry (its rows start marked) and the new list text on return: "_", then
// each chosen key followed by "_"; empty when nothing is chosen. boTodos:
// with no previous choice, every row starts chosen. False only when the
// user cancelled (the list text is then unchanged). The query comes back
// closed, with its SQL text, fields and handlers as they were.
bool PesquisaListaZOV(Query& dataSet, const QString& stNmCampo, const QString& stTitulo, bool boTodos, QString& stResultLista);

} // namespace zov
