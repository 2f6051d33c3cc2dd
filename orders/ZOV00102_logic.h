#pragma once
// The product consultation (ZOV00102) without widgets: the product list with
// the price valid today and the maximum discount, the chosen products kept
// three ways in step, the discount rules, the totals, the search and Confirm.
#include "library/dataset.h"
#include "library/messages.h"
#include "orders/consulta_produto.h"
#include "orders/historico_cliente.h"

#include <QMap>
#include <QStringList>

namespace zov {

class Database;

enum class ColunaConsulta { Marca, Codigo, Nome, Quantidade, Unidade, Preco, PerDesc, VrDesc };

const TMessages& msgConsultaProd();

// One product a row per product, with the price of its row valid today.
QString qryProdComplSql();

class ConsultaProdLogic {
public:
    explicit ConsultaProdLogic(Database& db);

    void abre(const ParametrosConsulta& parametros);
    bool podeConfirmar() const { return parametros_.podeConfirmar; }
    double maximoDesconto() const { return maximo_; }

    // The current row; any product by its code.
    bool escolhido() const;
    bool escolhido(const QString& cdArvProd) const { return codigos_.contains(cdArvProd); }
    // Ticks or unticks the current row (click in the tick column, or Space).
    void marca();
    // Space in the grid: toggles and, on the quantity column, starts it.
    void espaco(ColunaConsulta coluna, double quantidadePadrao);
    // A chosen row's cell in the quantity, percentage or value column.
    bool podeEditar(ColunaConsulta coluna) const;
    void entraCelula(ColunaConsulta coluna, double quantidadePadrao);
    // Leaving an edited cell: the discount rule of the column, then the row is stored.
    void saiCelula(ColunaConsulta coluna);
    // A chosen row may not be left with no quantity (Quant_Deve).
    void confereQuantidade();
    // Double click or Space on an entry of the chosen list.
    void removeEscolha(int indice);
    // The search of the 600 ms timer: the field by the "Campo" choice.
    void pesquisa(ColunaConsulta campo, const QString& texto);
    void confirma();

    const QStringList& escolhas() const { return escolhas_; }
    // A chosen list entry: the code as the product picture shows it, a blank, the name.
    static QString textoEscolha(const QString& cdArvProd, const QString& nome);
    // Sums of the chosen lines' values, each in whole cents.
    Decimal totalBruto() const;
    Decimal totalLiquido() const;

    Query qryProdCompl;
    // Asked when Confirm has added everything (the window shows Inc_Ok and closes nothing).
    std::function<void(const QString& cdArvProd)> posicionou;

private:
    struct Linha {
        Decimal vrTotal, liquido; // the line's values, in whole cents
        double quantidade = 0, preco = 0, perDesc = 0, vrDesc = 0, descMax = 0;
    };
    QString textoDaLinha() const;
    void grava(ColunaConsulta coluna);
    void antesDeGravar();
    // Moves the consultation makes itself skip the quantity check.
    class MovimentoInterno {
    public:
        explicit MovimentoInterno(ConsultaProdLogic& l);
        ~MovimentoInterno();

    private:
        ConsultaProdLogic& l_;
        bool antes_;
    };
    void regraDesconto(ColunaConsulta coluna);
    void guardaLinha();
    double num(const char* field) const;
    Decimal dec(const char* field, int escala) const;
    void poe(const char* field, const QVariant& value);
    bool editando() const;

    Database& db_;
    ParametrosConsulta parametros_;
    double maximo_ = 0;
    Decimal ajuste_; // the payment method's adjustment of the list's prices (%)
    QString cdPais_, sgEstado_;
    QStringList escolhas_; // the chosen list's texts
    QStringList codigos_;  // their products, in the same order
    void zeraLinha();
    void repoeEscolhas();
    ColunaConsulta coluna_ = ColunaConsulta::Quantidade; // the cell being edited
    bool interno_ = false;
    QMap<QString, Linha> cdsListProd;
    QHash<QString, UltimoPreco> ultimosPrecos_; // the customer's, by CDPRODUTO
};

} // namespace zov
