#include "customers/mensagens.h"

namespace zov {

const TMessages& msgPadraoCliente()
{
    static const TMessages table{
        "Insc_inf|Inscrição deve ser informada.",
        "Insc_cad|Cliente já cadastrado.",
        "Insc_Ja_Cad|Inscrição já cadastrada. Confirma operação?",
        "Clien_Ref_Ped|Exclusão não permitida. As informações da tabela Cliente são utilizadas na tabela Pedido.",
        "Fant_inf|Nome fantasia deve ser informado.",
        "Pais_inf|País deve ser informado.",
        "Pais_cad|País não cadastrado.",
        "Estado_inf|Estado deve ser informado.",
        "Estado_cad|Estado não cadastrado.",
        "Municipio_Inf|Munícipio deve ser informado.",
        "Municipio_cad|Municipio não cadastrado.",
        "Bairro_cad|Bairro não cadastrado.",
        "BAIRRO_NAO_CAD|Bairro não cadastrado.",
        // Texts of the kinds of person, under a key equal to the text.
        "Física|Física",
        "Jurídica|Jurídica",
        "Insc. Jurídica|Insc. Jurídica",
        "Outros|Outros",
        "erro_grav|Não foi possível gravar o cliente. Nada foi gravado; o que foi digitado continua na tela.",
        "erro_excl|Não foi possível excluir o cliente. Nada foi excluído.",
    };
    return table;
}

} // namespace zov
