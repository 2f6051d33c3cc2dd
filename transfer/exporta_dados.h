#pragma once
// The export window's logic: the pending orders of the session branch, their
// checks, and Confirm, which sends exactly the checked ones.
#include "library/dataset.h"
#include "library/messages.h"

#include <QHash>
#include <QStringList>

namespace zov {

class Database;

class ExportaDadosView {
public:
    virtual ~ExportaDadosView() = default;
    virtual void setConfirmEnabled(bool enabled) = 0;
    // Close, search, help and the grid.
    virtual void setCommandsEnabled(bool enabled) = 0;
    virtual void showProgress(int maximum, int position, const QString& label) = 0;
    // Off while every row is walked, so the grid does not flicker.
    virtual void setPainting(bool on) = 0;
    virtual void closeWindow() = 0;
};

class ExportaDadosLogic {
public:
    ExportaDadosLogic(Database& db, ExportaDadosView& view);
    static const TMessages& msgPadrao();

    Query qryPrincipal;

    // Reads the pending orders of the session branch; nothing checked.
    void abre();
    // Toggle one (double click, Space) and toggle all (the check column's
    // title, Ctrl+Space).
    void alterna();
    void alternaTodos();
    // Confirm (also Enter while it is enabled). True when the export ran.
    bool confirmar();
    // Closing forgets the checks: an order not checked on screen is never sent.
    void fecha();

    bool podeConfirmar() const { return podeConfirmar_; }
    bool running() const { return running_; }
    // The numbers of the rows checked now (the key list).
    const QStringList& chaves() const { return chaves_; }

private:
    void poeMarca(const QString& valor);
    void atualizaConfirmar();
    void restaura();
    // Each pending order's net total: the sum of its lines' values.
    void leTotais();

    Database& db_;
    ExportaDadosView& view_;
    QStringList chaves_;
    QHash<QString, Decimal> totais_;
    bool podeConfirmar_ = false;
    bool running_ = false;
};

} // namespace zov
