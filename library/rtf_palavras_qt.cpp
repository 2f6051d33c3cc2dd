// The RTF control words the reader acts on, and the destinations it skips.
#include "library/rtf_comum_qt.h"

namespace zov::rtf_interno {

const std::unordered_map<std::string_view, Definicao>& palavras()
{
    static const std::unordered_map<std::string_view, Definicao> tabela = [] {
        std::unordered_map<std::string_view, Definicao> t = {
            {"ansi", {Palavra::Ansi}}, {"mac", {Palavra::Mac}}, {"pc", {Palavra::Pc}}, {"pca", {Palavra::Pca}},
            {"ansicpg", {Palavra::Ansicpg}}, {"deff", {Palavra::Deff}}, {"uc", {Palavra::Uc}},
            {"u", {Palavra::U}}, {"bin", {Palavra::Bin}},
            {"plain", {Palavra::Plain}}, {"f", {Palavra::F}}, {"fs", {Palavra::Fs}},
            {"b", {Palavra::B}}, {"i", {Palavra::I}}, {"ul", {Palavra::Ul}}, {"ulnone", {Palavra::UlNenhum}},
            {"strike", {Palavra::Strike}}, {"striked", {Palavra::Strike}}, {"cf", {Palavra::Cf}},
            {"pard", {Palavra::Pard}}, {"ql", {Palavra::Ql}}, {"qc", {Palavra::Qc}}, {"qr", {Palavra::Qr}},
            {"qj", {Palavra::Qj}}, {"par", {Palavra::Par}}, {"page", {Palavra::Par}}, {"sect", {Palavra::Par}},
            {"line", {Palavra::Line}}, {"tab", {Palavra::Tab}},
            {"emdash", {Palavra::Caractere, 0x2014}}, {"endash", {Palavra::Caractere, 0x2013}},
            {"bullet", {Palavra::Caractere, 0x2022}}, {"lquote", {Palavra::Caractere, 0x2018}},
            {"rquote", {Palavra::Caractere, 0x2019}}, {"ldblquote", {Palavra::Caractere, 0x201C}},
            {"rdblquote", {Palavra::Caractere, 0x201D}}, {"emspace", {Palavra::Caractere, 0x2003}},
            {"enspace", {Palavra::Caractere, 0x2002}}, {"qmspace", {Palavra::Caractere, 0x2005}},
            {"fonttbl", {Palavra::Fonttbl}}, {"colortbl", {Palavra::Colortbl}}, {"fcharset", {Palavra::Fcharset}},
            {"red", {Palavra::Red}}, {"green", {Palavra::Green}}, {"blue", {Palavra::Blue}},
            {"pn", {Palavra::Pn}}, {"pntext", {Palavra::TextoMarcador}}, {"listtext", {Palavra::TextoMarcador}},
            {"ls", {Palavra::Ls}}, {"pnlvlblt", {Palavra::PnMarcador}}, {"pnlvlbody", {Palavra::PnCorpo}},
            {"pnlvl", {Palavra::PnCorpo}}, {"pnstart", {Palavra::PnInicio}}, {"ilvl", {Palavra::Nivel}}, {"li", {Palavra::Recuo}}, {"pndec", {Palavra::PnDec}}, {"pnlcltr", {Palavra::PnLetraMin}},
            {"pnucltr", {Palavra::PnLetraMai}}, {"pnlcrm", {Palavra::PnRomanoMin}}, {"pnucrm", {Palavra::PnRomanoMai}},
            {"cpg", {Palavra::Cpg}}, {"v", {Palavra::Oculto}},
            {"cell", {Palavra::Celula}}, {"nestcell", {Palavra::Celula}}, {"row", {Palavra::Linha}}, {"nestrow", {Palavra::Linha}},
        };
        // Underline kinds the editor cannot show apart: all read as underline.
        for (const char* w : {"uld", "uldash", "uldashd", "uldashdd", "uldb", "ulhwave", "ulldash", "ulth",
                              "ulthd", "ulthdash", "ulthdashd", "ulthdashdd", "ulthldash", "ululdbwave",
                              "ulw", "ulwave"})
            t.emplace(w, Definicao{Palavra::Ul});
        // Destinations whose content is never text.
        for (const char* w : {"stylesheet", "info", "pict", "object", "header", "headerl", "headerr", "headerf",
                              "footer", "footerl", "footerr", "footerf", "footnote", "annotation", "fldinst",
                              "themedata", "colorschememapping", "latentstyles", "datastore", "listtable",
                              "listoverridetable", "rsidtbl", "generator", "xmlnstbl", "pgdsctbl", "revtbl",
                              "filetbl", "userprops", "docvar", "template", "ftnsep", "ftnsepc", "ftncn",
                              "aftnsep", "aftnsepc", "aftncn", "pntxta", "pntxtb", "nonshppict", "shp",
                              "shpinst", "shptxt", "shprslt", "objdata", "result", "bkmkstart", "bkmkend",
                              "atnid", "atnauthor", "atnref", "atndate", "atrfstart", "atrfend", "xe", "tc",
                              "txe", "do", "comment", "author", "operator", "title", "subject", "keywords",
                              "doccomm", "company", "category", "manager", "hlinkbase", "buptim", "creatim",
                              "printim", "revtim", "mmathPr", "wgrffmtfilter", "passwordhash", "upr", "ud",
                              "fchars", "lchars", "panose", "falt", "fname", "fontemb", "fontfile",
                              "blipuid", "picprop", "sp", "sn", "sv", "protusertbl", "listpicture",
                              "pnseclvl", "background", "ftnalt", "gridtbl", "mhtmltag", "htmltag", "nonesttables"})
            t.emplace(w, Definicao{Palavra::Ignora});
        return t;
    }();
    return tabela;
}

} // namespace zov::rtf_interno
