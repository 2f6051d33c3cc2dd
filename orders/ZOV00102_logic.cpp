#include "orders/ZOV00102_logic.h"

#include "library/consiste.h"
#include "library/database.h"
#include "library/dbutils.h"
#include "library/dialogs.h"
#include "library/errors.h"
#include "library/formats.h"
#include "library/relogio.h"
#include "library/valores_item.h"
#include "library/velmora.h"
#include "orders/historico_cliente.h"
#include "orders/itens_pedido.h"

namespace zov {

const TMessages& msgConsultaProd()
{
    static const TMessages table{
        "Preco_Nao_Cad|Preço não cadastrado para o produto informado.",
        "Quant_Deve|Quantidade deve ser informada.",
        "Inc_Ok|Inclusão realizada com sucesso.",
        "N_PROD|Produto deve ser selecionado.",
        "DESC_SUP|Percentual do desconto é superior ao desconto máximo  %s. Deseja continuar?",
    };
    return table;
}

namespace {

QString msg(const char* key) { return msgConsultaProd().Msg(QString::fromLatin1(key)); }

} // namespace

QString qryProdComplSql()
{
    // The price is that of the list's row when it is valid today; the local
    // table holds one row per list and product, so a product is one row. An
    // outer join with the validity in a CASE, not a sub-select per product:
    // the catalogue has 100 000 of them. Today is a parameter (:P_HOJE), as
    // SQLite's local date would be worked out twice for every product.
    return QStringLiteral("SELECT 'N' AS IDMARCADO, PR.CDARVPROD, PR.CDPRODUTO, PR.NMPRODUTO, PR.SGUNIDADE, PR.CDPRODESTO, "
                          "CASE WHEN date(IT.DTINIVALIPB) <= :P_HOJE AND (IT.DTFIMVALIPB IS NULL OR date(IT.DTFIMVALIPB) >= :P_HOJE) "
                          "THEN IT.VRITEPREBASE END AS VRITEPREBASE, "
                          "PR.CDBARPRODUTO, 0.0 AS QUANTIDADE, NVL(DE.VRPEMAXDESPR, NVL(:P_VRPEDESC, 0)) AS VRPEDESCMAX, "
                          "NVL(DE.VRPEMAXDESPR, NVL(:P_VRPEDESC, 0)) AS VRPEDESCONTO, 0.0 AS VRDESC "
                          "FROM PRODUTO PR LEFT JOIN ITEMPREBASE IT ON IT.CDPRODUTO = PR.CDPRODUTO AND IT.CDPRECOBASE = :P_CDPRECOBASE "
                          "LEFT JOIN ITDESPREBASE DE ON DE.CDPRODUTO = PR.CDPRODUTO AND DE.CDPRECOBASE = :P_CDPRECOBASE "
                          "AND DE.CDPAIS = :P_CDPAIS AND DE.SGESTADO = :P_SGESTADO "
                          "WHERE PR.CDPRODESTO IS NOT NULL ORDER BY PR.CDARVPROD");
}

ConsultaProdLogic::ConsultaProdLogic(Database& db) : qryProdCompl(&db, QStringLiteral("qryProdCompl")), db_(db)
{
    qryProdCompl.setSql(qryProdComplSql());
    qryProdCompl.setFetchBlock(kGridFetchBlock);
    // The grid's columns first, in order; computed columns get their kinds here.
    const std::tuple<const char*, const char*, FieldKind, const char*> campos[] = {
        {"CDARVPROD", "Código", FieldKind::Text, ""},
        {"NMPRODUTO", "Nome", FieldKind::Text, ""},
        {"QUANTIDADE", "Qtde.", FieldKind::Number, "0.00"},
        {"SGUNIDADE", "Unid.", FieldKind::Text, ""},
        {"VRITEPREBASE", "Preço da lista", FieldKind::Number, "0.00"},
        {"VRPEDESCONTO", "Desc. (%)", FieldKind::Number, "#,##0.0000"},
        {"VRDESC", "Vr. Desc.", FieldKind::Number, "#,##0.00"},
        {"VRPEDESCMAX", "Des. Max.(%)", FieldKind::Number, "#,##0.00"},
        {"IDMARCADO", " ", FieldKind::Text, ""}, // the tick box has no title
    };
    for (const auto& [name, label, kind, format] : campos) {
        Field& f = qryProdCompl.defineField(QString::fromLatin1(name), kind);
        f.displayLabel = QString::fromUtf8(label);
        f.displayFormat = QString::fromLatin1(format);
    }
    for (const char* hidden : {"CDPRODUTO", "CDPRODESTO", "CDBARPRODUTO", "VRPEDESCMAX", "VRITEPREBASE"})
        qryProdCompl.defineField(QString::fromLatin1(hidden)).visible = false;
    // The order's line counts the discount cut, so it is shown cut here too.
    qryProdCompl.defineField(QStringLiteral("VRDESC")).onGetText = [](const QVariant& v) {
        return v.isNull() ? QString() : formatNumber(descontoCortado(v.toDouble()), QStringLiteral("#,##0.00"));
    };
    // The price the item will get: the list's with the payment method's adjustment.
    Field& precoItem = qryProdCompl.addCalculatedField(QStringLiteral("VRPRECO"), FieldKind::Number);
    precoItem.displayLabel = QStringLiteral("Preço");
    precoItem.displayFormat = QStringLiteral("0.00");
    Field& total = qryProdCompl.addCalculatedField(QStringLiteral("VRTOTAL"), FieldKind::Number);
    total.displayLabel = QStringLiteral("Vr. Total");
    total.displayFormat = QStringLiteral("#,##0.00");
    total.visible = false;
    Field& liquido = qryProdCompl.addCalculatedField(QStringLiteral("VRTOTLIQUIDO"), FieldKind::Number);
    liquido.displayLabel = QStringLiteral("Vr. Líquido");
    liquido.displayFormat = QStringLiteral("#,##0.00");
    liquido.visible = false;
    // What the order's customer paid last for the product, beside today's price.
    Field& ultimo = qryProdCompl.addCalculatedField(QStringLiteral("ULTPRECO"), FieldKind::Text);
    ultimo.displayLabel = QStringLiteral("Últ. Preço");
    ultimo.displayWidth = 18;
    // Run for every row read: the fields are found once.
    // They live as long as the dataset, as every one is a column of its statement.
    Field* tabela = &qryProdCompl.fieldByName(QStringLiteral("VRITEPREBASE"));
    Field* qtde = &qryProdCompl.fieldByName(QStringLiteral("QUANTIDADE"));
    Field* desconto = &qryProdCompl.fieldByName(QStringLiteral("VRPEDESCONTO"));
    Field* produto = &qryProdCompl.fieldByName(QStringLiteral("CDPRODUTO"));
    qryProdCompl.onCalcFields = [this, tabela, qtde, desconto, produto, &precoItem, &total, &liquido, &ultimo](Query&) {
        if (tabela->isNull())
            precoItem.setValue(QVariant());
        else
            precoItem.setDecimal(precoUnitario(tabela->asDecimal(escala::kPreco), ajuste_));
        // The line as the order will hold it: the discount value its
        // percentage gives there, then the order's own line values, in whole
        // cents; the totals are their sums.
        const Decimal p = precoItem.asDecimal(escala::kPreco);
        const Decimal q = qtde->asDecimal(escala::kQuantidade);
        const ValoresItem linha = valoresItem(p, q, descontoDoPercentual(p, q, desconto->asDecimal(escala::kPercentual)));
        total.setDecimal(linha.bruto);
        liquido.setDecimal(linha.liquido);
        const auto u = ultimosPrecos_.constFind(produto->asString());
        ultimo.setValue(u == ultimosPrecos_.cend() ? QVariant() : QVariant(textoUltimoPreco(*u, p)));
    };
    // However the row is stored (Enter, leaving the cell, moving the grid),
    // the discount rule and the maximum's question come first.
    qryProdCompl.beforePost = [this](Query&) { antesDeGravar(); };
    qryProdCompl.afterPost = [this](Query&) { guardaLinha(); };
    // Only the user's moves are checked; the window's own walks are not.
    qryProdCompl.beforeScroll = [this](Query&) {
        if (!interno_)
            confereQuantidade();
    };
}

ConsultaProdLogic::MovimentoInterno::MovimentoInterno(ConsultaProdLogic& l) : l_(l), antes_(l.interno_) { l_.interno_ = true; }

ConsultaProdLogic::MovimentoInterno::~MovimentoInterno() { l_.interno_ = antes_; }

double ConsultaProdLogic::num(const char* field) const { return qryProdCompl.fieldByName(QString::fromLatin1(field)).asFloat(); }

Decimal ConsultaProdLogic::dec(const char* field, int escala) const
{
    return qryProdCompl.fieldByName(QString::fromLatin1(field)).asDecimal(escala);
}

void ConsultaProdLogic::poe(const char* field, const QVariant& value)
{
    qryProdCompl.fieldByName(QString::fromLatin1(field)).setValue(value);
}

bool ConsultaProdLogic::editando() const
{
    return qryProdCompl.state() == DataSetState::Edit || qryProdCompl.state() == DataSetState::Insert;
}

void ConsultaProdLogic::abre(const ParametrosConsulta& p)
{
    parametros_ = p;
    ajuste_ = Decimal::fromDouble(p.ajuste, escala::kPercentual);
    escolhas_.clear();
    codigos_.clear();
    cdsListProd.clear();
    maximo_ = 0;
    cdPais_.clear();
    sgEstado_.clear();
    if (!p.cdFilial.isEmpty()) {
        Statement st(db_,
                     QStringLiteral("SELECT E.CDPAIS, E.SGESTADO FROM FILIAL F JOIN ENDEFILI E ON F.CDFILIAL = E.CDFILIAL "
                                    "WHERE F.CDFILIAL = :P_CDFILIAL AND E.IDTPENDEFILI = 'P'"));
        st.bind(QStringLiteral("P_CDFILIAL"), p.cdFilial);
        if (st.step()) {
            cdPais_ = st.rawValue(0).toString();
            sgEstado_ = st.rawValue(1).toString();
        }
    }
    if (!p.cdCliente.isEmpty()) {
        maximo_ = db_.scalar(QStringLiteral("SELECT VRPEMAXDESCL FROM CLIENTE WHERE CDCLIENTE = :P_CDCLIENTE"),
                             {{QStringLiteral("P_CDCLIENTE"), p.cdCliente}})
                      .toDouble();
        if (maximo_ == 0 && !p.cdVendedor.isEmpty())
            maximo_ = db_.scalar(QStringLiteral("SELECT VRPEMAXDESVE FROM VENDEDOR WHERE CDVENDEDOR = :P_CDVENDEDOR"),
                                 {{QStringLiteral("P_CDVENDEDOR"), p.cdVendedor}})
                          .toDouble();
    }
    ultimosPrecos_.clear();
    if (!p.cdCliente.isEmpty())
        ultimosPrecos_ = HistoricoCliente(db_, p.cdCliente, p.cdFilial, p.nrPedido).ultimosPrecos();
    MovimentoInterno interno(*this);
    qryProdCompl.close();
    if (!p.destino)
        return; // nothing to add to: an empty list
    qryProdCompl.setSql(qryProdComplSql());
    qryProdCompl.setParam(QStringLiteral("P_CDPRECOBASE"), p.cdPrecoBase);
    qryProdCompl.setParam(QStringLiteral("P_VRPEDESC"), maximo_);
    qryProdCompl.setParam(QStringLiteral("P_CDPAIS"), cdPais_);
    qryProdCompl.setParam(QStringLiteral("P_SGESTADO"), sgEstado_);
    qryProdCompl.setParam(QStringLiteral("P_HOJE"), zov::dataDeHoje().toString(Qt::ISODate));
    qryProdCompl.open();
}

QString ConsultaProdLogic::textoEscolha(const QString& cdArvProd, const QString& nome)
{
    return DBPictObj(0).format(cdArvProd) + QLatin1Char(' ') + nome;
}

QString ConsultaProdLogic::textoDaLinha() const
{
    return textoEscolha(qryProdCompl[QStringLiteral("CDARVPROD")].asString(), qryProdCompl[QStringLiteral("NMPRODUTO")].asString());
}

bool ConsultaProdLogic::escolhido() const
{
    return qryProdCompl.active() && !qryProdCompl.isEmpty() && escolhido(qryProdCompl[QStringLiteral("CDARVPROD")].asString());
}

void ConsultaProdLogic::marca()
{
    if (!qryProdCompl.active() || qryProdCompl.isEmpty())
        return;
    if (qryProdCompl[QStringLiteral("VRPRECO")].isNull() || num("VRPRECO") <= 0)
        MensErro(msg("Preco_Nao_Cad"), true);
    const QString codigo = qryProdCompl[QStringLiteral("CDARVPROD")].asString();
    const int at = codigos_.indexOf(codigo);
    if (at < 0) {
        escolhas_ << textoDaLinha();
        codigos_ << codigo;
        if (editando())
            grava(ColunaConsulta::Quantidade);
    } else {
        escolhas_.removeAt(at);
        codigos_.removeAt(at);
        zeraLinha();
    }
}

void ConsultaProdLogic::zeraLinha()
{
    if (!editando())
        qryProdCompl.edit();
    coluna_ = ColunaConsulta::Quantidade; // the value's rule would turn the reset percentage into 0
    poe("QUANTIDADE", 0.0);
    poe("VRPEDESCONTO", num("VRPEDESCMAX"));
    poe("VRDESC", 0.0);
    qryProdCompl.post();
}

void ConsultaProdLogic::espaco(ColunaConsulta coluna, double quantidadePadrao)
{
    marca();
    if (escolhido() && coluna == ColunaConsulta::Quantidade) {
        if (!editando())
            qryProdCompl.edit();
        if (num("QUANTIDADE") == 0 && quantidadePadrao != 0)
            poe("QUANTIDADE", quantidadePadrao);
        grava(coluna);
    }
}

bool ConsultaProdLogic::podeEditar(ColunaConsulta coluna) const
{
    return escolhido() && (coluna == ColunaConsulta::Quantidade || coluna == ColunaConsulta::PerDesc || coluna == ColunaConsulta::VrDesc);
}

void ConsultaProdLogic::entraCelula(ColunaConsulta coluna, double quantidadePadrao)
{
    if (!podeEditar(coluna))
        return;
    coluna_ = coluna;
    if (!editando())
        qryProdCompl.edit();
    if (num("QUANTIDADE") == 0 && quantidadePadrao != 0)
        poe("QUANTIDADE", quantidadePadrao);
}

void ConsultaProdLogic::regraDesconto(ColunaConsulta coluna)
{
    if (!editando())
        return;
    // Percentage and value as the order's line keeps them in step.
    const Decimal preco = dec("VRPRECO", escala::kPreco);
    const Decimal quantidade = dec("QUANTIDADE", escala::kQuantidade);
    if (coluna == ColunaConsulta::VrDesc) {
        qryProdCompl[QStringLiteral("VRPEDESCONTO")].setDecimal(percentualDoDesconto(preco, quantidade, dec("VRDESC", escala::kValor)));
    } else if (coluna == ColunaConsulta::Quantidade || coluna == ColunaConsulta::PerDesc) {
        qryProdCompl[QStringLiteral("VRDESC")].setDecimal(
            descontoDoPercentual(preco, quantidade, dec("VRPEDESCONTO", escala::kPercentual)));
    }
}

void ConsultaProdLogic::grava(ColunaConsulta coluna)
{
    if (!editando())
        return;
    coluna_ = coluna;
    qryProdCompl.post();
}

void ConsultaProdLogic::antesDeGravar()
{
    regraDesconto(coluna_);
    if (dec("VRPEDESCONTO", escala::kPercentual).rounded(2) > dec("VRPEDESCMAX", escala::kPercentual).rounded(2)) {
        QString pergunta = msg("DESC_SUP");
        pergunta.replace(QStringLiteral("%s"), formatNumber(num("VRPEDESCMAX"), QStringLiteral("#,##0.00")) + QLatin1Char('%'));
        if (!dialogs().confirm(pergunta))
            throw Abort{}; // the cell stays in edit
    }
}

void ConsultaProdLogic::guardaLinha()
{
    const QString codigo = qryProdCompl[QStringLiteral("CDARVPROD")].asString();
    cdsListProd.remove(codigo);
    if (num("QUANTIDADE") * num("VRPRECO") == 0)
        return;
    Linha l;
    l.quantidade = num("QUANTIDADE");
    l.preco = num("VRPRECO");
    l.vrTotal = dec("VRTOTAL", escala::kDinheiro);
    l.liquido = dec("VRTOTLIQUIDO", escala::kDinheiro);
    l.perDesc = num("VRPEDESCONTO");
    l.vrDesc = num("VRDESC");
    l.descMax = num("VRPEDESCMAX");
    cdsListProd.insert(codigo, l);
}

void ConsultaProdLogic::saiCelula(ColunaConsulta coluna)
{
    if (editando())
        grava(coluna);
}

void ConsultaProdLogic::confereQuantidade()
{
    if (parametros_.destino && escolhido() && num("QUANTIDADE") == 0)
        MensErro(msg("Quant_Deve"), true);
}

void ConsultaProdLogic::removeEscolha(int indice)
{
    if (indice < 0 || indice >= codigos_.size())
        return;
    // Found by its code: a code shorter than the product picture shows shorter too.
    const QString codigo = codigos_.at(indice);
    MovimentoInterno interno(*this);
    qryProdCompl.clearFilter();
    if (qryProdCompl.locate(QStringLiteral("CDARVPROD"), codigo)) {
        EventsSuspended quiet(qryProdCompl);
        qryProdCompl.edit();
        poe("QUANTIDADE", 0.0);
        poe("VRDESC", 0.0);
        qryProdCompl.post();
    }
    cdsListProd.remove(codigo);
    escolhas_.removeAt(indice);
    codigos_.removeAt(indice);
}

void ConsultaProdLogic::pesquisa(ColunaConsulta campo, const QString& texto)
{
    if (!qryProdCompl.active())
        return;
    if (editando())
        grava(ColunaConsulta::Quantidade);
    MovimentoInterno interno(*this);
    const QString nome = campo == ColunaConsulta::Codigo ? QStringLiteral("CDARVPROD")
        : campo == ColunaConsulta::Unidade               ? QStringLiteral("SGUNIDADE")
                                                         : QStringLiteral("NMPRODUTO");
    // Nothing chosen: LocateAll has the database narrow a list read in part.
    // Chosen rows must stay where Confirm finds them, with what was typed: the
    // whole list, filtered in memory.
    if (!codigos_.isEmpty() || !cdsListProd.isEmpty()) {
        const QString inteira = locateAllBaseSql(qryProdCompl.sql());
        if (inteira != qryProdCompl.sql()) {
            qryProdCompl.setSql(inteira);
            qryProdCompl.open();
            repoeEscolhas();
        }
        if (!qryProdCompl.updatesPending())
            qryProdCompl.fetchAll(); // ticked rows without a quantity yet hold nothing typed
    }
    LocateAll(qryProdCompl, {nome}, texto);
}

void ConsultaProdLogic::repoeEscolhas()
{
    EventsSuspended quiet(qryProdCompl); // the values were checked when they were typed
    for (auto it = cdsListProd.constBegin(); it != cdsListProd.constEnd(); ++it) {
        if (!qryProdCompl.locate(QStringLiteral("CDARVPROD"), it.key()))
            continue;
        qryProdCompl.edit();
        poe("QUANTIDADE", it->quantidade);
        poe("VRPEDESCONTO", it->perDesc);
        poe("VRDESC", it->vrDesc);
        qryProdCompl.post();
    }
    qryProdCompl.first();
}

Decimal ConsultaProdLogic::totalBruto() const
{
    Decimal t;
    for (const Linha& l : cdsListProd)
        t += l.vrTotal;
    return t;
}

Decimal ConsultaProdLogic::totalLiquido() const
{
    Decimal t;
    for (const Linha& l : cdsListProd)
        t += l.liquido;
    return t;
}

void ConsultaProdLogic::confirma()
{
    if (!parametros_.podeConfirmar || !parametros_.destino)
        return;
    if (editando())
        grava(ColunaConsulta::Quantidade);
    confereQuantidade();
    if (cdsListProd.isEmpty() && codigos_.isEmpty())
        MensErro(msg("N_PROD"), true);
    MovimentoInterno interno(*this);
    auto posiciona = [this](const QString& codigo) {
        qryProdCompl.clearFilter();
        qryProdCompl.locate(QStringLiteral("CDARVPROD"), codigo);
        if (posicionou)
            posicionou(codigo);
    };
    // Every ticked product needs its quantity, also one the search now hides.
    for (const QString& codigo : std::as_const(codigos_)) {
        if (!cdsListProd.contains(codigo)) {
            posiciona(codigo);
            MensErro(msg("Quant_Deve"), true);
        }
    }
    // In code order, each item stored in its own transaction by the order's item
    // store (which asks its questions before writing). An item refused stops
    // here; the ones before it stay, unticked, so a second Confirm adds only the rest.
    const QMap<QString, Linha> lista = cdsListProd;
    for (auto it = lista.constBegin(); it != lista.constEnd(); ++it) {
        const ProdutoEscolhido p{it.key(), it->quantidade, it->preco, it->perDesc, it->vrDesc, it->descMax};
        try {
            parametros_.destino->incluiItem(p);
        } catch (...) {
            qryProdCompl.clearFilter();
            for (auto feito = lista.constBegin(); feito != it; ++feito)
                if (qryProdCompl.locate(QStringLiteral("CDARVPROD"), feito.key())) {
                    EventsSuspended quiet(qryProdCompl);
                    zeraLinha();
                }
            posiciona(it.key());
            throw;
        }
        cdsListProd.remove(it.key());
        const int at = codigos_.indexOf(it.key());
        if (at >= 0) {
            codigos_.removeAt(at);
            escolhas_.removeAt(at);
        }
    }
    const QString atual = qryProdCompl.isEmpty() ? QString() : qryProdCompl[QStringLiteral("CDARVPROD")].asString();
    const ParametrosConsulta p = parametros_;
    abre(p);
    if (!atual.isEmpty())
        qryProdCompl.locate(QStringLiteral("CDARVPROD"), atual);
    dialogs().info(msg("Inc_Ok"));
    p.destino->itensIncluidos();
}

} // namespace zov
