#pragma once
// pesquisaZOV: the generic search dialog TfrmPesquisar and PesquisarZOV,
// which every lookup button opens over its own query.
#include "library/rotigeral_qt.h"
#include "search/delay_timer.h"
#include "search/pesquisaZOV_logic.h"

class QComboBox;
class QLineEdit;
class QTableView;

namespace zov {

class DatasetModel;

class TfrmPesquisar : public TfrmRotiGeral, public PesquisarView {
    Q_OBJECT
public:
    static constexpr const char* kScreenCode = "LIB00610";

    explicit TfrmPesquisar(Query& query, QWidget* parent = nullptr);
    ~TfrmPesquisar() override;

    PesquisarLogic& logic() { return logic_; }
    QComboBox* cbbOrdem() const { return cbbOrdem_; }
    QLineEdit* medProcurar() const { return medProcurar_; }
    QTableView* dbgArquivo() const { return dbgArquivo_; }
    bool timerActive() const { return tmrPesquisa_.isActive(); }

    // PesquisarView
    void setCaption(const QString& caption) override;
    void setUpperCase(bool upper) override;
    void setColumns(const QStringList& labels, int selected) override;
    int selectedColumn() const override;
    QString searchText() const override;
    void setSearchText(const QString& text) override;
    void focusSearch() override;
    void focusGrid() override;
    void setConfirmEnabled(bool enabled) override;
    void setRepaintFrozen(bool frozen) override;
    void execModal() override;
    void closeWindow() override;
    QString statusText(int panel) const override;
    void setStatusText(int panel, const QString& text) override;

protected:
    bool formKeyPress(QWidget* target, QKeyEvent* event) override;
    void sbtConfirmaClick() override;
    void showEvent(QShowEvent* event) override;

private:
    QComboBox* cbbOrdem_;
    QLineEdit* medProcurar_;
    QTableView* dbgArquivo_;
    DatasetModel* model_;
    QtDelayTimer tmrPesquisa_;
    PesquisarLogic logic_;
};

// Lets the user choose one row of the query (parameterised as the lookups
// are: P_<key> and P_T<key>, optionally P_TODOS). stCaption is the window
// caption, optionally followed by "|" and the message for an empty list.
// True when a row was chosen: the query is then open on it. False when the
// user cancelled: the query is closed.
bool PesquisarZOV(Query& dataSet, const QString& stCaption, bool BoDataSetClosed, bool BoUseUpper);

} // namespace zov
