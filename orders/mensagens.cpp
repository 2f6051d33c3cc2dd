#include "orders/mensagens.h"

namespace zov {

const TMessages& msgLancPedido()
{
    static const TMessages table{
        // The record and the commands.
        "ALT_PEDIDO_PARC|Pedido com itens parcialmente expedidos não pode ser alterado.",
        "Excl|Confirma exclusão?",
        "Del_PED|A exclusão do último item do pedido fará com que o pedido seja excluído. Confirmar operação?",
        "Canc|Cancelar operação?",
        "ALT_DTITEM|Deseja alterar a data de entrega dos itens do pedido?",
        "erro_grav|Não foi possível gravar o pedido. Nada foi gravado; o que foi digitado continua na tela.",
        "erro_excl|Não foi possível excluir. Nada foi excluído.",
        // Items.
        "CD_NULO|Produto deve ser informado.",
        "CD_INV|Produto não cadastrado.",
        "PR_INAT|Produto encontra-se inativo.",
        "CD_EXIS|Item de pedido já cadastrado. Confirmar operação?",
        "QT_NULO|Quantidade deve ser informada.",
        "QTITEM|Quantidade deve ser maior que zero.",
        "VR_NULO|Preço unitário deve ser informado.",
        "VRUNIT|Preço unitário deve ser maior que zero.",
        "DtEntrega_inf|Data de entrega do item deve ser informado.",
        "HR_N_INF|Hora de entrega do item deve ser maior que zero.",
        "Per_Max|Percentual de desconto na modalidade (%s) é superior ao máximo permitido (%s). Deseja jogar o percentual máximo para os "
        "itens?",
        "Desc>VrTotal|Desconto deve ser menor ou igual ao valor total.",
        "Desc>100|Desconto deve ser menor ou igual a 100%.",
        "PRODUTO|Produto",
        "PROD_CAD|Não há produto cadastrado.",
        "Nao_ha_Produto_Seg|Não há produto cadastrado para o segmento de mercado da filial.",
        "N|Normal",
        "S|Personalizado",
        "erro_grav_item|Não foi possível gravar o item. Nada foi gravado; o que foi digitado continua na tela.",
        // Observation.
        "PEDIDO|Pedido",
        "OBS_CAD|Não há pedido com observação cadastrada.",
        "ARQ_NAO_EXISTE|O arquivo %1 não existe.",
        "ARQ_GRANDE|O arquivo %1 é grande demais para uma observação (mais de 5 MB).",
        "ARQ_ILEGIVEL|Não foi possível ler o arquivo %1: %2",
        "ARQ_BINARIO|O arquivo %1 não é um texto nem um documento RTF.",
        "ARQ_PERDEU|Alguns caracteres do arquivo %1 não existem em nenhuma codificação conhecida e aparecem como “�”.",
        "ARQ_GRAVA|Não foi possível gravar o arquivo %1: %2",
        // Pricing.
        "PRECO_NAO_CAD|Preço não cadastrado para o produto informado.",
        "MOD_NAO_ALT|Preço base não pode ser alterado. Não há item de preço base cadastrado para os itens do pedido.",
        "ALT_MOD|A mudança de preço base poderá fazer com que o preço unitário e o desconto sejam alterados. Confirma alteração?",
        "DATA_NAO_ALT|Data pedido inválida. Não há item de preço base cadastrado para os itens do pedido.",
        "MUDA_PRECO|A mudança da data do pedido poderá alterar os preços dos itens do pedido. Confirma alteração?",
        // Header.
        "FILIAL|Filial deve ser informada.",
        "CD_NUL|Filial não cadastrada.",
        "CLIE_NULO|Código do cliente deve ser informado.",
        "CLIE_NAO_CAD|Cliente não cadastrado.",
        "CLIE_INAT|Cliente encontra-se inativo.",
        "DesCont|Já existe o pedido %s cadastrado para o cliente. Deseja continuar?",
        "Alt_ModPrc|A modalidade e o preço base serão alterados. Confirma  operação?",
        "Alt_ModPgto|A modalidade será alterada. Confirma operação?",
        "Alt_PrcBase|O preço base será alterado. Confirma operação?",
        "Cod_Inf|Vendedor deve ser informado.",
        "VEN_NAO_CAD|Vendedor não cadastrado.",
        "TipoOper_Deve|Tipo de operação deve ser informada.",
        "TipoOper_Nc|Tipo de operação não cadastrada.",
        "DT_NULO|Data pedido deve ser informada.",
        "DT_INV|não é uma data válida.",
        "DT_ERRO|Data pedido deve ser menor ou igual à data de processamento.",
        "DTENT_NULO|Data entrega deve ser informada.",
        "DTENT_INV|não é uma data válida.",
        "DTENT_DTATU|Data de entrega deve ser maior ou igual à data atual.",
        "VD_DATE|Data pedido deve ser menor ou igual à data entrega.",
        // Price list.
        "PrcBase_Deve|Preço base deve ser informado.",
        "PrcBase_Nc|Preço base não cadastrado.",
        "PrcBase_Nc_Cli|Preço Base não cadastrado para o cliente informado.",
        // Payment terms.
        "MODPGT|Modalidade de pagamento deve ser informada.",
        "MODPGT_INV|Modalidade de pagamento não cadastrada.",
        "MOD_SIT|A situção do pedido será alterada de acordo com a situação parametrizada na modalidade de pagamento. Deseja continuar ?",
        "DIAFIXO_NULL|Dia do pagamento fixo deve ser informado.",
        "DIAFIXO_INV|Dia do pagamento fixo deve estar entre 1 e 31.",
    };
    return table;
}

} // namespace zov
