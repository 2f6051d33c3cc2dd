// The observation's rich text: what the editor's bar produces survives a
// round trip, other editors' files read without their hidden groups, and
// damaged bytes never crash the reader.
#include "library/rtf.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <gtest/gtest.h>

#include <map>
#include <random>

using namespace zov;

namespace {

// One line per block: alignment, list (style and which list), then runs with
// their effective font, size, styles and colour. Equal-looking runs merge.
std::string descreve(const QTextDocument& doc)
{
    std::map<const QTextList*, int> listas;
    QString out;
    for (QTextBlock b = doc.begin(); b != doc.end(); b = b.next()) {
        const Qt::Alignment a = b.blockFormat().alignment();
        out += a & Qt::AlignHCenter ? u'C' : a & Qt::AlignJustify ? u'J' : a & Qt::AlignRight ? u'R' : u'L';
        if (const QTextList* l = b.textList())
            out += QStringLiteral(" lista%1#%2").arg(int(l->format().style())).arg(listas.emplace(l, int(listas.size())).first->second);
        QString ultimo;
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            const QStringList familias = f.fontFamilies().toStringList();
            QString desc = QStringLiteral(" {%1 %2 ")
                               .arg(familias.isEmpty() ? doc.defaultFont().family() : familias.first())
                               .arg(f.fontPointSize() > 0 ? f.fontPointSize() : doc.defaultFont().pointSizeF());
            if (f.fontWeight() >= QFont::DemiBold)
                desc += u'b';
            if (f.fontItalic())
                desc += u'i';
            if (f.fontUnderline())
                desc += u'u';
            if (f.fontStrikeOut())
                desc += u's';
            desc += f.foreground().style() == Qt::NoBrush ? QStringLiteral(" auto}") : u' ' + f.foreground().color().name() + u'}';
            if (desc != ultimo)
                out += desc;
            ultimo = desc;
            out += it.fragment().text();
        }
        out += u'\n';
    }
    return out.toStdString();
}

// The text as stored: line breaks and non-breaking spaces kept apart.
QString conteudo(const QTextDocument& doc) { return doc.toRawText().replace(QChar::ParagraphSeparator, u'\n'); }

QString texto(const QByteArray& rtf)
{
    QTextDocument doc;
    lerRtf(rtf, doc);
    return conteudo(doc);
}

// Reads back what was written and checks nothing changed; the bytes too.
void confereIdaEVolta(const QTextDocument& original)
{
    const QByteArray rtf = escreveRtf(original);
    QTextDocument lido;
    lerRtf(rtf, lido);
    EXPECT_EQ(descreve(lido), descreve(original)) << rtf.constData();
    EXPECT_EQ(escreveRtf(lido), rtf) << "writing what was read gives the same bytes";
    for (char c : rtf)
        ASSERT_TRUE(uchar(c) < 0x80) << "RTF is 7-bit: " << rtf.constData();
}

QTextCharFormat com(void (*ajusta)(QTextCharFormat&))
{
    QTextCharFormat f;
    ajusta(f);
    return f;
}

// A file as RichEdit-style editors write it, with groups whose text is no text.
const QByteArray kOutroEditor =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\nouicompat\\deflang1046{\\fonttbl{\\f0\\fnil\\fcharset0 Calibri;}"
    "{\\f1\\fnil\\fcharset2 Symbol;}{\\f2\\froman\\fprq2\\fcharset0 Times New Roman{\\*\\falt Times};}}\r\n"
    "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green77\\blue187;}\r\n"
    "{\\stylesheet{ Normal;}{\\s1 heading 1;}}{\\info Rascunho{\\title Observa\\'e7\\'e3o secreta}{\\author Fulano}}\r\n"
    "{\\*\\generator Riched20 10.0.19041}\\viewkind4\\uc1 \r\n"
    "\\pard\\sa200\\sl276\\slmult1\\qc\\b\\f0\\fs22\\lang22 Pedido urgente\\b0\\par\r\n"
    "\\pard\\sa200\\sl276\\slmult1 Entregar na \\cf1 recep\\'e7\\'e3o\\cf0  at\\u233? sexta"
    "{\\*\\bkmkstart x}\\tab fim\\line linha\\par\r\n"
    "{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'B7}}\\fi-360\\li720\\cf2 cora\\'e7\\'e3o\\par\r\n"
    "{\\pntext\\f1\\'B7\\tab}\\i a\\'e7\\'facar\\i0\\par\r\n"
    "\\pard\\cf0{\\pict\\wmetafile8\\picw10 0100090000\\bin3 }{x}{\\f2 Times}\\par\r\n"
    "}\r\n";

} // namespace

TEST(Rtf, CharacterFormattingSurvivesARoundTrip)
{
    QTextDocument doc;
    QTextCursor c(&doc);
    c.insertText(QStringLiteral("normal "));
    c.insertText(QStringLiteral("negrito "), com([](QTextCharFormat& f) { f.setFontWeight(QFont::Bold); }));
    c.insertText(QStringLiteral("itálico "), com([](QTextCharFormat& f) { f.setFontItalic(true); }));
    c.insertText(QStringLiteral("sublinhado "), com([](QTextCharFormat& f) { f.setFontUnderline(true); }));
    c.insertText(QStringLiteral("riscado "), com([](QTextCharFormat& f) { f.setFontStrikeOut(true); }));
    c.insertText(QStringLiteral("fonte "), com([](QTextCharFormat& f) {
                     f.setFontFamilies({QStringLiteral("Courier New")});
                     f.setFontPointSize(14);
                 }));
    c.insertText(QStringLiteral("pequeno "), com([](QTextCharFormat& f) { f.setFontPointSize(7.5); }));
    c.insertText(QStringLiteral("vermelho "), com([](QTextCharFormat& f) { f.setForeground(QColor(255, 0, 0)); }));
    c.insertText(QStringLiteral("tudo"), com([](QTextCharFormat& f) {
                     f.setFontWeight(QFont::Bold);
                     f.setFontItalic(true);
                     f.setFontUnderline(true);
                     f.setForeground(QColor(0, 77, 187));
                 }));
    confereIdaEVolta(doc);

    const QByteArray rtf = escreveRtf(doc);
    EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1252\\deff0")) << rtf.constData();
    EXPECT_TRUE(rtf.contains("Courier New;}")) << "the font table names what is used";
    EXPECT_TRUE(rtf.contains("{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green77\\blue187;}"));
    EXPECT_TRUE(rtf.contains("\\fs15 pequeno")) << "sizes in half points";
    EXPECT_TRUE(pareceRtf(rtf));
}

TEST(Rtf, ParagraphsAlignmentListsTabsAndLineBreaksSurviveARoundTrip)
{
    QTextDocument doc;
    QTextCursor c(&doc);
    c.insertText(QStringLiteral("esquerda"));
    const std::pair<Qt::Alignment, const char*> alinhados[] = {
        {Qt::AlignHCenter, "centro"}, {Qt::AlignRight, "direita"}, {Qt::AlignJustify, "justificado"}};
    for (auto [alinhamento, t] : alinhados) {
        QTextBlockFormat bf;
        bf.setAlignment(alinhamento);
        c.insertBlock(bf);
        c.insertText(QString::fromUtf8(t));
    }
    c.insertBlock(QTextBlockFormat());
    c.createList(QTextListFormat::ListDisc);
    c.insertText(QStringLiteral("item um"));
    c.insertBlock(); // stays in the list
    c.insertText(QStringLiteral("item dois"));
    c.insertBlock(QTextBlockFormat()); // an empty line between the lists
    c.insertBlock(QTextBlockFormat());
    c.insertText(QStringLiteral("a\tb") + QChar(QChar::LineSeparator) + QStringLiteral("c"));
    c.insertBlock(QTextBlockFormat());
    c.createList(QTextListFormat::ListDecimal);
    c.insertText(QStringLiteral("primeiro"));
    c.insertBlock();
    c.insertText(QStringLiteral("segundo"));
    c.insertBlock(QTextBlockFormat()); // a last empty line
    confereIdaEVolta(doc);

    QTextDocument lido;
    lerRtf(escreveRtf(doc), lido);
    ASSERT_EQ(lido.blockCount(), 11);
    EXPECT_EQ(lido.toPlainText(), doc.toPlainText());
    EXPECT_EQ(lido.findBlockByNumber(4).textList(), lido.findBlockByNumber(5).textList()) << "one list, two items";
    EXPECT_EQ(lido.findBlockByNumber(6).textList(), nullptr);

    QTextDocument vazio;
    confereIdaEVolta(vazio);
}

TEST(Rtf, AccentsAndCharactersOutsideTheCodePageSurviveARoundTrip)
{
    QTextDocument doc;
    QTextCursor(&doc).insertText(QStringLiteral("ação, coração, é — “ok” € Ω 漢 😀 {chaves} \\barra; ") + QChar(0x00A0));
    confereIdaEVolta(doc);
    const QByteArray rtf = escreveRtf(doc);
    EXPECT_TRUE(rtf.contains("a\\'e7\\'e3o, cora\\'e7\\'e3o, \\'e9 \\'97 \\'93ok\\'94 \\'80 ")) << rtf.constData();
    EXPECT_TRUE(rtf.contains("\\u937?")) << "what 1252 lacks goes as \\uN";
    EXPECT_TRUE(rtf.contains("\\u-10179?\\u-8704?")) << "beyond 16 bits, a surrogate pair";
    EXPECT_TRUE(rtf.contains("\\{chaves\\} \\\\barra;"));
}

TEST(Rtf, ARichEditFileReadsWithoutItsHiddenGroups)
{
    QTextDocument doc;
    lerRtf(kOutroEditor, doc);
    EXPECT_EQ(conteudo(doc),
              QStringLiteral("Pedido urgente\nEntregar na recepção até sexta\tfim") + QChar(QChar::LineSeparator)
                  + QStringLiteral("linha\ncoração\naçúcar\nTimes"));
    ASSERT_EQ(doc.blockCount(), 5) << "the implicit paragraph after the last \\par is not one";

    const auto formatoEm = [&](int bloco, int pos) {
        QTextCursor c(doc.findBlockByNumber(bloco));
        c.setPosition(c.block().position() + pos + 1);
        return c.charFormat();
    };
    EXPECT_EQ(doc.findBlockByNumber(0).blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(formatoEm(0, 0).fontWeight(), QFont::Bold);
    EXPECT_EQ(formatoEm(0, 0).fontFamilies().toStringList(), QStringList{QStringLiteral("Calibri")});
    EXPECT_EQ(formatoEm(0, 0).fontPointSize(), 11);
    EXPECT_EQ(doc.findBlockByNumber(1).blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft) << "\\pard";
    EXPECT_EQ(formatoEm(1, 0).fontWeight(), QFont::Normal);
    EXPECT_EQ(formatoEm(1, 12).foreground().color(), QColor(255, 0, 0)) << "recepção";
    EXPECT_EQ(formatoEm(1, 20).foreground().style(), Qt::NoBrush) << "\\cf0 is the automatic colour";

    const QTextList* marcadores = doc.findBlockByNumber(2).textList();
    ASSERT_NE(marcadores, nullptr);
    EXPECT_EQ(marcadores->format().style(), QTextListFormat::ListDisc);
    EXPECT_EQ(doc.findBlockByNumber(3).textList(), marcadores) << "the next \\pntext item continues the list";
    EXPECT_EQ(doc.findBlockByNumber(4).textList(), nullptr);
    EXPECT_EQ(formatoEm(2, 0).foreground().color(), QColor(0, 77, 187));
    EXPECT_TRUE(formatoEm(3, 0).fontItalic());
    EXPECT_EQ(formatoEm(4, 0).fontFamilies().toStringList(), QStringList{QStringLiteral("Times New Roman")});
}

TEST(Rtf, EscapesUnicodeSkipCountsAndCodePages)
{
    EXPECT_EQ(texto("{\\rtf1 \\\\ \\{ \\} a\\~b\\emdash\\ldblquote x\\rdblquote  y}"), QStringLiteral("\\ { } a\u00A0b—“x” y"))
        << "a control symbol keeps the blank after it";
    EXPECT_EQ(texto("{\\rtf1 \\u-10179?\\u-8704?!\\uc2\\u231\\'e7\\'e7!{\\uc0\\u233 !}\\u234 ?x!}"), QStringLiteral("😀!ç!é!ê!"))
        << "\\ucN is kept per group";
    EXPECT_EQ(texto("{\\rtf1 a{\\u231}b}"), QStringLiteral("açb")) << "the skip ends with the group";
    EXPECT_EQ(texto("{\\rtf1\\ansi\\ansicpg1250 \\'e8}"), QStringLiteral("č"));
    EXPECT_EQ(texto("{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fcharset0 Arial;}{\\f1\\fcharset204 Arial Cyr;}}"
                    "\\f1 \\'c4\\'e0\\f0 \\'e7}"),
              QStringLiteral("Даç"))
        << "each font's character set";
    EXPECT_EQ(texto("{\\rtf1\\ansi\\ansicpg932 \\'93\\'fa}"), QStringLiteral("日")) << "two-byte code pages";
    // Each font's \\cpgN, the Mac code pages a codec knows, and "?" a character
    // for those none knows (two bytes in the two-byte ones), never garbage.
    EXPECT_EQ(texto("{\\rtf1\\ansi{\\fonttbl{\\f0\\cpg65001 Arial;}}\\f0 \\'c3\\'a7\\'c3\\'a3o}"), QStringLiteral("ção"));
    EXPECT_EQ(texto("{\\rtf1\\mac \\'8d\\'8b}"), QStringLiteral("çã"));
    EXPECT_EQ(texto("{\\rtf1\\ansi\\ansicpg10007 \\'80}"), QStringLiteral("А")) << "Mac Cyrillic";
    EXPECT_EQ(texto("{\\rtf1\\ansi\\ansicpg10001 a\\'93\\'fab}"), QStringLiteral("a?b")) << "Mac Japanese: no codec";
    EXPECT_EQ(texto("{\\rtf1{\\fonttbl{\\f0\\fcharset78 Osaka;}}\\f0 x\\'82\\'a0\\'82\\'a2y}"), QStringLiteral("x??y"));
    EXPECT_EQ(texto("{\\rtf1\\ansi\\ansicpg777 \\'e7\\'80a}"), QStringLiteral("??a")) << "an unknown code page";
}

// What customers send: a table's cells and rows stay apart, hidden text stays
// hidden, and numbered lists keep their numbers.
TEST(Rtf, TablesHiddenTextAndNumberedListsReadAsTheCustomerWroteThem)
{
    EXPECT_EQ(texto("{\\rtf1 {\\trowd\\cellx1000\\cellx2000\\pard\\intbl Arroz\\cell 10\\cell\\row}"
                    "{\\trowd\\pard\\intbl Feij\\'e3o\\cell 5\\cell\\row}\\pard fim\\par}"),
              QStringLiteral("Arroz\t10\nFeijão\t5\nfim"));
    EXPECT_EQ(texto("{\\rtf1 Pre\\'e7o {\\v interno 9,90 }final{\\v\\u233?}\\v escondido\\v0 !}"), QStringLiteral("Preço final!"));

    QTextDocument doc;
    lerRtf("{\\rtf1{\\listtext\\pard\\plain 1.\\tab}\\pard\\ls1 um\\par{\\listtext\\pard\\plain 2.\\tab}\\pard\\ls1 dois\\par"
           "\\pard{\\listtext\\pard\\plain\\f3 \\'b7\\tab}\\ls2 ponto\\par"
           "{\\pntext\\f0 a)\\tab}{\\*\\pn\\pnlvlbody\\pnlcltr}\\pard letra\\par}",
           doc);
    ASSERT_EQ(doc.blockCount(), 4);
    const QTextBlock um = doc.begin(), dois = um.next(), ponto = dois.next(), letra = ponto.next();
    ASSERT_TRUE(um.textList() && um.textList() == dois.textList());
    EXPECT_EQ(um.textList()->format().style(), QTextListFormat::ListDecimal);
    EXPECT_EQ(dois.textList()->itemText(dois), QStringLiteral("2."));
    ASSERT_TRUE(ponto.textList());
    EXPECT_EQ(ponto.textList()->format().style(), QTextListFormat::ListDisc);
    EXPECT_EQ(letra.text(), QStringLiteral("letra"));
}

// Far more paragraphs than anyone types (a file of paragraph ends) read
// quickly: past a point they share blocks, a line each, and every line stays.
TEST(Rtf, AFileOfManyParagraphsKeepsEveryLine)
{
    QByteArray rtf = "{\\rtf1 ";
    for (int i = 0; i < 30000; ++i)
        rtf += i % 3 == 0 ? "x\\par " : "\\par ";
    rtf += "fim}";
    QTextDocument doc;
    lerRtf(rtf, doc);
    const QStringList linhas = doc.toPlainText().split(QLatin1Char('\n'));
    ASSERT_EQ(linhas.size(), 30001);
    EXPECT_EQ(linhas[29997], QStringLiteral("x"));
    EXPECT_EQ(linhas[29998], QString());
    EXPECT_EQ(linhas.last(), QStringLiteral("fim"));
    EXPECT_LT(doc.blockCount(), 30000);
}

TEST(Rtf, GroupsRestoreCharacterPropertiesAndParagraphsTakeThoseInForceAtTheirEnd)
{
    QTextDocument doc;
    lerRtf("{\\rtf1{\\fonttbl\\f0\\fswiss Arial;\\f1\\fmodern Courier New;{\\f2 Verdana}}\\deff1 "
           "a{\\b b{\\i c}d}e\\b f\\plain g\\ul h\\ulnone i\\ul j\\ul0 k{\\f2 l}\\par"
           "\\qc m\\par n\\pard o\\par}",
           doc);
    ASSERT_EQ(doc.blockCount(), 3);
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("abcdefghijkl\nm\nno"));
    QString estilos;
    QTextCursor c(&doc);
    for (int i = 1; i <= 12; ++i) {
        c.setPosition(i);
        const QTextCharFormat f = c.charFormat();
        estilos += QChar(f.fontWeight() == QFont::Bold ? u'b' : u'-');
        estilos += QChar(f.fontItalic() ? u'i' : u'-');
        estilos += QChar(f.fontUnderline() ? u'u' : u'-');
        estilos += u' ';
    }
    EXPECT_EQ(estilos, QStringLiteral("--- b-- bi- b-- --- b-- --- --u --- --u --- --- "));
    c.setPosition(1);
    EXPECT_EQ(c.charFormat().fontFamilies().toStringList(), QStringList{QStringLiteral("Courier New")}) << "\\deff";
    c.setPosition(12);
    EXPECT_EQ(c.charFormat().fontFamilies().toStringList(), QStringList{QStringLiteral("Verdana")}) << "an entry without ';'";
    EXPECT_EQ(doc.findBlockByNumber(1).blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(doc.findBlockByNumber(2).blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft)
        << "\\pard before the paragraph's end";
}

TEST(Rtf, DamagedInputGivesWhatCouldBeRead)
{
    const QByteArray fundo(100000, '{');
    const QByteArray fecha(100000, '}');
    const std::pair<QByteArray, QString> casos[] = {
        {"{\\rtf1 abc", QStringLiteral("abc")},
        {"{\\rtf1 abc}}}xyz{", QStringLiteral("abc")},
        {"lixo antes {\\rtf1 ok}", QStringLiteral("ok")},
        {"{\\rtf1 a{\\b b", QStringLiteral("ab")},
        {"{\\rtf1 a\\", QStringLiteral("a")},
        {"{\\rtf1 a\\'e", QStringLiteral("a")},
        {"{\\rtf1 a\\'", QStringLiteral("a")},
        {"{\\rtf1 a\\u", QStringLiteral("a")},
        {"{\\rtf1 a\\fs99999999999999999999 b}", QStringLiteral("ab")},
        {"{\\rtf1 a\\u-99999999999 b!}", QStringLiteral("a!")},
        {"{\\rtf1 a\\uc999999\\u233 bcdefghijklmnopqr}", QStringLiteral("aér")},
        {"{\\rtf1 a\\bin999999999 b}", QStringLiteral("a")},
        {"{\\rtf1 a{\\*\\desconhecido {x {y}} z} b}", QStringLiteral("a b")},
        {"{\\rtf1 a" + QByteArray(98, '{') + "x" + QByteArray(98, '}') + fundo + "y" + fecha + "b}", QStringLiteral("axyb")},
        {"", QString()},
    };
    for (const auto& [rtf, esperado] : casos)
        EXPECT_EQ(texto(rtf), esperado) << rtf.left(80).constData();

    QTextDocument doc;
    lerRtf("{\\rtf1 a\\fs99999999999 b}", doc);
    QTextCursor c(&doc);
    c.setPosition(2);
    EXPECT_EQ(c.charFormat().fontPointSize(), 1638) << "sizes are bounded";
    lerRtf("{\\rtf1 a{\\*\\listtable{\\list{\\*\\pn\\pnlvlblt x}{\\pn y}}} b\\par}", doc);
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("a b"));
    EXPECT_EQ(doc.begin().textList(), nullptr) << "a \\pn inside a skipped group makes no list";
}

// What other readers read: past a brace too many, after a section break, in
// groups nested past the bound, and the Symbol font's letters.
TEST(Rtf, ReadsOnPastAStrayBraceASectionAndDeepNestingAndMapsTheSymbolFont)
{
    const QByteArray fundo(150, '{');
    const QByteArray fecha(150, '}');
    const std::pair<QByteArray, QString> casos[] = {
        {"{\\rtf1 a}} b\\par c}", QStringLiteral("a b\nc")},
        {"{\\rtf1 a\\sect b}", QStringLiteral("a\nb")},
        {"{\\rtf1 a" + fundo + "{\\*\\htmltag <p>}x{\\fonttbl y}z" + fecha + " b}", QStringLiteral("axz b")},
        {"{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset2 Symbol;}}{\\f1 b}-D-N {\\f1\\u61505 ?a\\'b3}}", QStringLiteral("β-D-N Αα≥")},
    };
    for (const auto& [rtf, esperado] : casos)
        EXPECT_EQ(texto(rtf), esperado) << rtf.left(80).constData();

    // Bold inside the deep run ends with it.
    QTextDocument doc;
    lerRtf("{\\rtf1 " + fundo + "\\b x" + fecha + "y}", doc);
    QTextCursor c(&doc);
    c.setPosition(2);
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("xy"));
    EXPECT_NE(c.charFormat().fontWeight(), QFont::Bold);
}

TEST(Rtf, RandomAndMutatedBytesNeverBreakTheReader)
{
    std::mt19937 aleatorio(20240611);
    const auto numero = [&](int ate) { return int(aleatorio() % unsigned(ate)); };
    QTextDocument doc;
    QTextDocument relido;
    // Whatever was read writes and reads back to the same text.
    const auto le = [&](const QByteArray& bytes) {
        lerRtf(bytes, doc);
        const QString lido = doc.toPlainText();
        lerRtf(escreveRtf(doc), relido);
        EXPECT_EQ(relido.toPlainText(), lido) << bytes.toPercentEncoding().constData();
        return lido;
    };

    const QByteArray alfabeto = "{}\\\\\\'*;-0123456789abcdefpqrtuln \r\n\xe7\x80";
    for (int n = 0; n < 3000; ++n) {
        QByteArray b = numero(2) ? "{\\rtf1 " : "";
        const int tamanho = numero(120);
        for (int i = 0; i < tamanho; ++i)
            b += numero(4) ? alfabeto[numero(alfabeto.size())] : char(numero(256));
        le(b);
    }

    QTextDocument rico;
    lerRtf(kOutroEditor, rico);
    const QByteArray valido = escreveRtf(rico);
    const QString completo = rico.toPlainText();
    for (qsizetype k = 0; k <= valido.size(); ++k) {
        // A cut shows a prefix of the text; only its last character may differ.
        const QString lido = le(valido.left(k));
        EXPECT_TRUE(completo.startsWith(lido.chopped(lido.isEmpty() ? 0 : 1))) << k << ": " << lido.toStdString();
    }
    for (const QByteArray& base : {valido, kOutroEditor}) {
        for (int n = 0; n < 1000; ++n) {
            QByteArray b = base;
            for (int m = 1 + numero(4); m > 0; --m) {
                const int p = numero(int(b.size()));
                switch (numero(3)) {
                case 0: b[p] = char(numero(256)); break;
                case 1: b.remove(p, 1 + numero(8)); break;
                default: b.insert(p, alfabeto.mid(numero(alfabeto.size()), 1 + numero(4))); break;
                }
            }
            le(b);
        }
    }
}

TEST(Rtf, PlainTextAndTheChoiceBetweenBoth)
{
    QTextDocument doc;
    lerTexto("a\xc3\xa7\xc3\xa3o\r\ncora\xc3\xa7\xc3\xa3o\rfim", doc);
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("ação\ncoração\nfim"));
    EXPECT_EQ(doc.blockCount(), 3);
    lerTexto("\xef\xbb\xbf"
             "a\xc3\xa7\xc3\xa3o",
             doc);
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("ação")) << "without its byte order mark";
    lerTexto("a\xe7\xe3o \x93x\x94", doc);
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("ação “x”")) << "not UTF-8: Latin-1 with the Windows characters";
    // Windows' "Unicode" text: UTF-16 with its mark, either byte order.
    lerTexto(QByteArray("\xff\xfe"
                        "a\0\xe7\0\xe3\0o\0\r\0\n\0x\0",
                        16),
             doc);
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("ação\nx"));
    lerTexto(QByteArray("\xfe\xff\0a\0\xe7", 6), doc);
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("aç"));
    lerTexto("cora\xc3", doc);
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("coraÃ")) << "a cut UTF-8 sequence is not UTF-8";

    EXPECT_TRUE(pareceRtf("{\\rtf1 x}"));
    EXPECT_TRUE(pareceRtf("\xef\xbb\xbf \r\n\t{\\rtf1 x}"));
    EXPECT_FALSE(pareceRtf("{\\rt"));
    EXPECT_FALSE(pareceRtf("texto {\\rtf1 x}"));
    EXPECT_FALSE(pareceRtf(QByteArray()));

    lerObservacao("{\\rtf1 entregar pela manh\\'e3}", doc);
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("entregar pela manhã"));
    lerObservacao("{\\rtf sem numero, texto}", doc);
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("sem numero, texto")) << "{\\rtf starts RTF";
    lerObservacao("entregar {cedo}", doc);
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("entregar {cedo}"));
}

// A text file's encoding is decided by the whole file, never by one byte;
// binary by what it holds, not by a ratio a tiny file fails.
TEST(Rtf, TextFilesAreDecodedByWhatTheyHold)
{
    struct Caso {
        QByteArray bytes;
        QString texto;
        bool binario = false, perdeu = false;
    };
    const Caso casos[] = {
        {"a\xc3\xa7\xc3\xa3o caf\xe9", QStringLiteral("ação café")},   // UTF-8 with one Windows byte
        {"linha\r\n\x1a", QStringLiteral("linha\r\n")},                // the DOS end-of-file mark
        {"ok\x07", QStringLiteral("ok\x07")},                          // one control character
        {QByteArray(9000, 'a') + QByteArray("\0b", 2), {}, true},      // a NUL after the first 8 KB
        {QByteArray(100, '\x01'), {}, true},                           // control characters only
        {QByteArray("a\0\xe7\0\xe3\0o\0", 8), QStringLiteral("ação")}, // UTF-16 without its mark
        {QByteArray("\xff\xfe\0\0"
                    "a\0\0\0\n\0\0\0b\0\0\0",
                    16),
         QStringLiteral("a\nb")},                            // UTF-32 with its mark
        {"a\x87\xc6o, p\x82", QStringLiteral("ação, pé")},   // DOS code page 850
        {"x\x9dy", QStringLiteral("x\uFFFDy"), false, true}, // a Windows-1252 hole
    };
    for (const Caso& c : casos) {
        const TextoDecodificado t = decodificaTexto(c.bytes);
        EXPECT_EQ(t.binario, c.binario) << c.bytes.left(40).toHex().constData();
        EXPECT_EQ(t.perdeu, c.perdeu) << c.bytes.left(40).toHex().constData();
        if (!c.binario) {
            EXPECT_EQ(t.texto, c.texto) << c.bytes.left(40).toHex().constData();
        }
    }
    // Many short lines share blocks past the first 20 000, as the RTF reader's do.
    QTextDocument doc;
    lerTexto(QByteArray(30000, '\n'), doc);
    EXPECT_EQ(doc.blockCount(), 20000 + 10000 / 64 + 1);
    EXPECT_EQ(doc.toPlainText().size(), 30000) << "every line is kept";
}

// Past 20 000 paragraphs lines share blocks; saved and read again, the
// document and its RTF stay the same, however many times.
TEST(Rtf, ALongDocumentIsTheSameAfterEverySave)
{
    QByteArray rtf = "{\\rtf1\\ansi ";
    for (int i = 0; i < 20200; ++i)
        rtf += i % 3 ? QByteArray("linha ") + QByteArray::number(i) + "\\par " : QByteArray("\\par ");
    rtf += "}";
    QTextDocument doc;
    lerRtf(rtf, doc);
    const QString texto = doc.toPlainText();
    EXPECT_EQ(texto.count(QChar::LineSeparator) + texto.count(QLatin1Char('\n')), 20199) << "no line added at the end";
    const QByteArray primeira = escreveRtf(doc);
    lerRtf(primeira, doc);
    EXPECT_EQ(doc.toPlainText(), texto);
    const QByteArray segunda = escreveRtf(doc);
    EXPECT_EQ(segunda, primeira);
}

// What a list item shows: its number (or "•") and text, indented by its level.
QString itemVisto(const QTextBlock& b)
{
    const QTextList* l = b.textList();
    const int nivel = l ? l->format().indent() : b.blockFormat().indent();
    const QString marca = !l                               ? QString()
        : l->format().style() == QTextListFormat::ListDisc ? QStringLiteral("•\t")
                                                           : l->itemText(b) + u'\t';
    return QString(std::max(0, nivel - 1), u'>') + marca + b.text();
}

QStringList itensVistos(const QTextDocument& doc)
{
    QStringList out;
    for (QTextBlock b = doc.begin(); b != doc.end(); b = b.next())
        out << itemVisto(b);
    return out;
}

// A list item keeps the number, kind and level the file gives it.
TEST(Rtf, ListItemsShowTheFilesNumbersKindsAndLevels)
{
    const auto item = [](const char* marca, const char* extra, const char* texto) {
        return QByteArray("{\\listtext ") + marca + "\\tab}\\ls1" + extra + " " + texto + "\\par\\pard ";
    };
    const std::pair<QByteArray, QStringList> casos[] = {
        {item("10.", "", "x") + item("11.", "", "y"), {QStringLiteral("10.\tx"), QStringLiteral("11.\ty")}},
        {"\\pard{\\*\\pn\\pnlvlbody\\pndec\\pnstart3}x\\par", {QStringLiteral("3.\tx")}},
        {item("i.", "", "a") + item("ii.", "", "b"), {QStringLiteral("i.\ta"), QStringLiteral("ii.\tb")}},
        {item("o", "", "a") + item("o", "", "b"), {QStringLiteral("•\ta"), QStringLiteral("•\tb")}},
        {item("1.", "", "a") + item("o", "\\ilvl1", "b") + item("2.", "", "c"),
         {QStringLiteral("1.\ta"), QStringLiteral(">•\tb"), QStringLiteral("2.\tc")}},
        {item("1.1.", "\\ilvl1", "a") + item("1.2.", "\\ilvl1", "b"), {QStringLiteral(">1.\ta"), QStringLiteral(">2.\tb")}},
        {item("1.", "", "a") + item("5.", "\\ilvl2", "b"), {QStringLiteral("1.\ta"), QStringLiteral(">>5.\tb")}},
    };
    for (const auto& [corpo, esperado] : casos) {
        QTextDocument doc;
        lerRtf("{\\rtf1 " + corpo + "}", doc);
        EXPECT_EQ(itensVistos(doc), esperado) << corpo.constData();
        lerRtf(escreveRtf(doc), doc);
        EXPECT_EQ(itensVistos(doc), esperado) << "saved and read again: " << corpo.constData();
    }
    // A letter list's "i." is its ninth letter, not a roman one.
    QByteArray letras;
    for (char c = 'a'; c <= 'i'; ++c)
        letras += item(QByteArray(1, c) + ".", "", "x");
    QTextDocument doc;
    lerRtf("{\\rtf1 " + letras + "}", doc);
    EXPECT_EQ(doc.lastBlock().previous().textList(), doc.begin().textList());
    EXPECT_EQ(itensVistos(doc).value(8), QStringLiteral("i.\tx"));
}

// Past 20 000 paragraphs lines share blocks: each still shows its own
// alignment, and list items their numbers and levels, written as text.
TEST(Rtf, PastTwentyThousandParagraphsEachLineKeepsItsLook)
{
    const QByteArray rtf = "{\\rtf1 " + QByteArray("\\par ").repeated(20000)
        + "l1\\par l2\\par\\qc c\\par\\pard l3\\par {\\listtext 7.\\tab}\\ls1 a\\par\\pard "
          "{\\listtext o\\tab}\\ls1\\ilvl1 b\\par\\pard {\\listtext 8.\\tab}\\ls1 c\\par\\pard fim}";
    const auto ultimasLinhas = [](const QTextDocument& doc) {
        QStringList linhas;
        for (QTextBlock b = doc.begin(); b != doc.end(); b = b.next()) {
            const QString centro = b.blockFormat().alignment() & Qt::AlignHCenter ? QStringLiteral("^") : QString();
            for (const QString& l : itemVisto(b).split(QChar::LineSeparator))
                linhas << centro + l;
        }
        return linhas.mid(linhas.size() - 8);
    };
    const QStringList esperado = {QStringLiteral("l1"),    QStringLiteral("l2"),    QStringLiteral("^c"),    QStringLiteral("l3"),
                                  QStringLiteral("7.\ta"), QStringLiteral(">•\tb"), QStringLiteral("8.\tc"), QStringLiteral("fim")};
    QTextDocument doc;
    lerRtf(rtf, doc);
    EXPECT_EQ(ultimasLinhas(doc), esperado);
    EXPECT_EQ(doc.find(QStringLiteral("l2")).block().text(), QStringLiteral("l1\u2028l2")) << "lines of one look share a block";
    lerRtf(escreveRtf(doc), doc);
    EXPECT_EQ(ultimasLinhas(doc), esperado) << "saved and read again";
}

TEST(Rtf, LoadingReplacesTheContentAndIsNotAnEditToUndo)
{
    QTextDocument doc;
    QTextCursor(&doc).insertText(QStringLiteral("antigo"));
    ASSERT_TRUE(doc.isUndoAvailable());
    lerRtf("{\\rtf1 novo}", doc);
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("novo"));
    EXPECT_FALSE(doc.isUndoAvailable());
    EXPECT_TRUE(doc.isUndoRedoEnabled()) << "typing after loading can be undone";
    lerTexto("outro", doc);
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("outro"));
    EXPECT_FALSE(doc.isUndoAvailable());
}
