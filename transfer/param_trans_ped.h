#pragma once
// The transmission parameters: the address of the application server kept in
// PARAMPEDZOVRA.NRIPSERVAPLIQ, with the commands and states of its window.
// No widgets here: the window (ZOV00300) forwards its commands and keys.
#include "library/dataset.h"
#include "library/messages.h"

#include <QString>

namespace zov {

class Database;

// Which commands are available. incluir is the toolbar button only: the
// menu entry (F2) is never disabled.
struct ComandosParamTransPed {
    bool incluir = false;
    bool alterar = false;
    bool atualizar = false;
    bool cancelar = false;
    bool confirmar = false;
    bool editando = false; // the address field takes typing, the grid does not move

    bool operator==(const ComandosParamTransPed&) const = default;
};

class ParamTransPedView {
public:
    virtual ~ParamTransPedView() = default;
    virtual QString textoEndereco() const = 0;
    virtual void mostraEndereco(const QString& text) = 0;
    virtual void focaEndereco() = 0;
    virtual void habilitaComandos(const ComandosParamTransPed& comandos) = 0;
    virtual void refreshGrids() = 0;
    virtual void fecha() = 0;
};

class ParamTransPed {
public:
    ParamTransPed(Database& db, ParamTransPedView& view);
    ParamTransPed(const ParamTransPed&) = delete;
    ParamTransPed& operator=(const ParamTransPed&) = delete;

    static const TMessages& msgPadrao();
    // The address field's key filter: Backspace, ".", ":" and digits.
    static bool aceitaTecla(QChar key);
    // Host (not empty) optionally followed by ":" and a port from 1 to 65535.
    static bool enderecoValido(const QString& address);

    // Installs the after-cancel step (after any handler already there), opens
    // the dataset and sets the command states.
    void inicia();

    void incluir();
    void alterar();
    void atualizar();
    void cancelar();
    void confirmar();
    void fechar();
    void ajuda();

    ComandosParamTransPed comandos() const;

    Query qryParamTransPed;

private:
    void atualizaComandos();
    void mostraRegistroAtual();
    void aposPost(Query& q);
    void aposCancel(Query& q);
    bool editando() const;

    Database& db_;
    ParamTransPedView& view_;
    Query::Event afterCancelAnterior_;
};

} // namespace zov
