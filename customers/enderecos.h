#pragma once
// The two addresses of a customer (own "P" and delivery "T"): their queries
// and update statements, the checks of country, state, municipality and
// district, the cascade of clears when a higher level changes, the
// normalisation of the codes on leaving their edits, and the lookups.
#include "customers/cliente_view.h"
#include "library/dataset.h"

#include <initializer_list>

namespace zov {

class Database;

// The geography lists, shared by both addresses: a code parameter and an
// all-rows parameter ("T" lists every row).
struct Geografia {
    explicit Geografia(Database& db);
    Query qryPais;
    Query qryEstado;
    Query qryMunicipio;
    Query qryBairro;
};

class EnderecoCliente {
public:
    enum class Tipo { Proprio, Entrega };

    // clientes: the customer whose address this is (its CDCLIENTE goes into
    // the row before each post). pesquisa: the search dialog.
    EnderecoCliente(Query& qry, Tipo tipo, Query& clientes, Geografia& geo, ClienteView& view, const PesquisaFn& pesquisa);
    EnderecoCliente(const EnderecoCliente&) = delete;
    EnderecoCliente& operator=(const EnderecoCliente&) = delete;

    static QString sql(Tipo tipo);
    static UpdateSql updateSql(Tipo tipo);

    Tipo tipo() const { return tipo_; }
    QString idTpEndeClie() const; // "P" or "T"
    Query& qry() const { return qry_; }
    bool editando() const;

    // Reads the address of a customer (none for a null code).
    void abre(const QVariant& cdCliente);
    // A new address for a new customer.
    void novo();
    // Alterar: into edit; an address that does not exist yet is started.
    void altera();

    // Checks; boTestaVazio makes a blank code an error.
    void Vd_Pais(bool boTestaVazio);
    void Vd_Estado(bool boTestaVazio);
    void Vd_Municipio(bool boTestaVazio);
    void Vd_Bairro();
    // Confirm: the four checks, the district code normalised first.
    void confirma();

    // Leaving the code edits.
    void saiPais();
    void saiEstado();
    void saiMunicipio();
    void saiBairro();
    // A key typed into the district-name edit: a name typed by hand has no code.
    void nomeBairroDigitado();

    // The lookup buttons (and F9 in the code edits).
    void pesquisaPais();
    void pesquisaEstado();
    void pesquisaMunicipio();
    void pesquisaBairro();

    ControleCliente controlePais() const;
    ControleCliente controleEstado() const;
    ControleCliente controleMunicipio() const;
    ControleCliente controleBairro() const;
    ControleCliente controleEndereco() const;
    // After a lookup the focus moves past the name it filled in: typing into
    // that name would clear the code just chosen.
    void focaApos(ControleCliente controle);

private:
    QString texto(const char* field) const;
    void poe(const char* field, const QVariant& value);
    [[noreturn]] void falha(ControleCliente controle, const char* key);
    void cascata(const char* changed);
    void antesDoPost();
    bool pesquisa(Query& lista, const QString& titulo);
    // Opens a geography list for this address: the row of a code, or every row.
    Query& abre(Query& lista, std::initializer_list<const char*> niveis, const char* chave, const QString& codigo);
    // Opens a lookup list and runs the search; true when a row was chosen
    // (this address is then being edited).
    bool escolhe(Query& lista, std::initializer_list<const char*> niveis, const char* chave, const QString& titulo);

    Query& qry_;
    Tipo tipo_;
    Query& clientes_;
    Geografia& geo_;
    ClienteView& view_;
    const PesquisaFn& pesquisa_;
};

} // namespace zov
