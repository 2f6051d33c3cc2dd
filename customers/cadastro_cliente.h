#pragma once
// The customer registry behind ZOV00500: the customer query with its two
// addresses, the commands and their states, the identification checks and
// the save of the three records in one transaction. No widgets here: the
// window forwards field exits, keys and commands, and implements ClienteView.
#include "customers/cliente_view.h"
#include "customers/enderecos.h"
#include "library/dataset.h"

#include <QString>
#include <vector>

namespace zov {

class Database;

class CadastroCliente {
public:
    CadastroCliente(Database& db, ClienteView& view);
    CadastroCliente(const CadastroCliente&) = delete;
    CadastroCliente& operator=(const CadastroCliente&) = delete;

    static QString sqlClientes();
    static UpdateSql updateSqlCliente();
    // The grid's text for a kind of person ("F" -> "Física"); others as stored.
    static QString textoTipo(const QString& kind);
    // dbeNrInsJurClie takes digits only: every other character, Backspace too, is dropped.
    static bool aceitaTeclaInscricao(QChar key);

    // The search dialog the lookups open.
    void setPesquisa(PesquisaFn pesquisa) { pesquisa_ = std::move(pesquisa); }

    // Opens the three queries and shows the grid page.
    void inicia();
    // The window became active: the addresses are read again (unless being typed).
    void ativada();

    // Commands.
    void incluir();
    void alterar();
    void excluir();
    void procurar();
    void atualizar();
    void cancelar();
    void confirmar();
    // Ctrl+Enter: Confirmar and, when it was an insert, Incluir the next.
    void confirmarEIncluir();
    void primeiro();
    void anterior();
    void proximo();
    void ultimo();
    ComandosCliente comandos() const;
    bool clienteEditando() const;
    bool algumEditando() const;

    // Leaving the form page while editing runs the leave checks; false keeps it.
    bool podeSairDoFormulario();

    // Identification (identificacao.cpp).
    void Vd_Inscricao(bool boTestaVazio);
    void Vd_InscEmissao(bool boTestaVazio);
    void entraInscricao();
    void entraNrInsJurClie();
    void inscricaoDigitada();
    void saiInscricao();
    void saiNrInsJurClie();

    // Names.
    void entraRazaoSocial();
    void saiFantasia();
    void Vd_Fantasia(bool boTestaVazio);

    Query qryClientes;
    Query qryEndCli;
    Query qryEndEntrega;
    Query qryVerifCliente;
    Query qryInsJurClie;
    Query qryTestCliPed;
    Geografia geografia;
    EnderecoCliente enderecoCli;
    EnderecoCliente enderecoEntrega;

private:
    void grava();
    void aposRolagem();
    void abreEnderecos();
    void ajustaMascaras();
    void aposMudancaEstado();
    void atualizaComandos();
    void antesDoPostCliente();
    void novoCliente();
    void cancelaTudo();
    QString valor(const char* field) const;
    void poe(const char* field, const QVariant& value);
    void mascara(const char* field, const QString& kind);
    [[noreturn]] void falha(ControleCliente controle, const char* key);
    bool existeCliente(const QString& cdCliente);
    bool existeInscricao(const QString& nrInscricao, const QString& kind);

    Database& db_;
    ClienteView& view_;
    PesquisaFn pesquisa_;
    bool saindoNrInsJurClie_ = false; // Vd_InscEmissao called on leaving the field
};

} // namespace zov
