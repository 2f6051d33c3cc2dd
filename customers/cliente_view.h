#pragma once
// What the customer logic needs of its window: pages, focus, command states,
// the availability of two edits, and the dialogs it opens. The window
// (ZOV00500) implements it; tests use a recording one.
#include "library/vista_manutencao.h"

namespace zov {

enum class PaginaCliente { Grade, Formulario };

// The edits the checks move the focus to or ask about.
enum class ControleCliente {
    Inscricao,    // dbeInscricao: the code number (NRINSJURINFO)
    NrInsJurClie, // dbeNrInsJurClie: the taxpayer number
    NmRazaoSoc,
    NmFantasia,
    CdInscEsta,
    InscMunic,
    PaisCli,
    EstadoCli,
    MunicipioCli,
    BairroCli,
    PaisEntrg,
    EstadoEntrg,
    MunicipioEntrg,
    BairroEntrg,
    EnderecoCli, // the street lines, the field after the district's name
    EnderecoEntrg,
};

struct ComandosCliente {
    bool incluir = false;
    bool alterar = false;
    bool excluir = false;
    bool procurar = false;
    bool atualizar = false;
    bool cancelar = false;
    bool confirmar = false;
    bool navegador = false;
    bool paginaGrade = false; // the grid page and its menu item
    bool pesquisas = false;   // the address lookups (buttons and F9)

    bool operator==(const ComandosCliente&) const = default;
};

class ClienteView : public VistaManutencao {
public:
    virtual PaginaCliente paginaAtual() const = 0;
    virtual void mostraPagina(PaginaCliente pagina) = 0;
    virtual bool temFoco(ControleCliente controle) const = 0;
    virtual bool podeFocar(ControleCliente controle) const = 0;
    virtual void foca(ControleCliente controle) = 0;
    virtual void habilitaComandos(const ComandosCliente& comandos) = 0;
    // dbeInscricao and its label.
    virtual void habilitaCodigo(bool habilitado) = 0;
    // dbeNmRazaoSoc and its label.
    virtual void habilitaRazaoSocial(bool habilitado) = 0;
    // Masks and values of the edits read again from the fields.
    virtual void atualizaControles() = 0;
};

} // namespace zov
