#include "library/valores_item.h"

namespace zov {

Decimal precoUnitario(const Decimal& tabela, const Decimal& ajuste)
{
    return tabela.rounded(escala::kDinheiro) + (tabela * ajuste).dividedBy(100, escala::kPreco);
}

Decimal descontoDoPercentual(const Decimal& preco, const Decimal& quantidade, const Decimal& percentual)
{
    return (preco * quantidade * percentual).dividedBy(100, escala::kValor);
}

Decimal percentualDoDesconto(const Decimal& preco, const Decimal& quantidade, const Decimal& desconto)
{
    const Decimal base = quantidade * preco;
    return base.isZero() ? Decimal() : (desconto * 100).dividedBy(base, escala::kPercentual);
}

ValoresItem valoresItem(const Decimal& preco, const Decimal& quantidade, const Decimal& desconto)
{
    // With three decimals in the quantity a line would hold fractions of a cent
    // that a total adds up differently; a fiscal document's lines have two.
    ValoresItem v;
    v.bruto = (preco.rounded(escala::kDinheiro) * quantidade).rounded(escala::kDinheiro);
    v.desconto = desconto.truncated(escala::kDinheiro);
    v.liquido = v.bruto - v.desconto;
    return v;
}

void TotaisItens::soma(const LinhaLida& linha)
{
    const ValoresItem v = valoresItem(linha);
    bruto_ += v.bruto;
    liquido_ += v.liquido;
    descTotal_ += v.desconto;
    descontos_ += linha.desconto;
    base_ += linha.preco * linha.quantidade;
}

Decimal TotaisItens::descMedio() const { return base_.isZero() ? Decimal() : (descontos_ * 100).dividedBy(base_, 10); }

} // namespace zov
