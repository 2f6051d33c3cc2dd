#include "library/rtf.h"
#include "library/rtf_comum_qt.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

#include <vector>

namespace zov {

namespace {

using namespace rtf_interno;

class Escritor {
public:
    explicit Escritor(const QTextDocument& doc) : doc_(doc)
    {
        const QFont padrao = doc.defaultFont();
        familiaPadrao_ = padrao.family();
        tamanhoPadrao_ = padrao.pointSizeF() > 0 ? padrao.pointSizeF() : padrao.pixelSize() > 0 ? padrao.pixelSize() * 0.75 : 12.0;
        indiceFonte(familiaPadrao_); // f0, the \deff
    }

    QByteArray escreve()
    {
        // First pass: the fonts and colours the text uses, for the tables.
        for (QTextBlock b = doc_.begin(); b != doc_.end(); b = b.next()) {
            if (b.textList() && listaDe(b.textList()->format().style()) == Lista::Marcador && simbolo_ < 0)
                simbolo_ = indiceFonte(QStringLiteral("Symbol"));
            forEachTrecho(b, [this](const QTextCharFormat& f, const QString&) { propriedades(f); });
        }

        out_ += "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n{\\fonttbl";
        for (int i = 0; i < fontes_.size(); ++i) {
            out_ += "{\\f" + QByteArray::number(i) + "\\fnil\\fcharset" + (i == simbolo_ ? "2 " : "0 ");
            espaco_ = false;
            QString nome = fontes_[i];
            nome.remove(u';');
            escreveTexto(nome);
            out_ += ";}";
        }
        out_ += "}\n";
        if (!cores_.empty()) {
            out_ += "{\\colortbl ;";
            for (QRgb c : cores_)
                out_ += "\\red" + QByteArray::number(qRed(c)) + "\\green" + QByteArray::number(qGreen(c)) + "\\blue"
                    + QByteArray::number(qBlue(c)) + ';';
            out_ += "}\n";
        }
        out_ += "\\viewkind4\n";

        for (QTextBlock b = doc_.begin(); b != doc_.end(); b = b.next())
            escreveParagrafo(b);
        out_ += "}\n";
        return out_;
    }

private:
    template <typename F>
    static void forEachTrecho(const QTextBlock& b, F&& f)
    {
        bool algum = false;
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment fr = it.fragment();
            if (fr.isValid()) {
                f(fr.charFormat(), fr.text());
                algum = true;
            }
        }
        if (!algum)
            f(b.charFormat(), QString()); // an empty line: its own format, for its size
    }

    int indiceFonte(const QString& familia)
    {
        int i = fontes_.indexOf(familia);
        if (i < 0) {
            i = fontes_.size();
            fontes_.append(familia);
        }
        return i;
    }

    int indiceCor(QRgb c)
    {
        c = qRgb(qRed(c), qGreen(c), qBlue(c));
        auto it = std::find(cores_.begin(), cores_.end(), c);
        if (it == cores_.end()) {
            cores_.push_back(c);
            return int(cores_.size());
        }
        return int(it - cores_.begin()) + 1;
    }

    // What a run looks like, every property made explicit so other readers
    // show the editor's fonts rather than their own defaults.
    Caracteres propriedades(const QTextCharFormat& f)
    {
        Caracteres c;
        QString familia = f.property(QTextFormat::FontFamilies).toStringList().value(0);
        if (familia.isEmpty())
            familia = f.property(QTextFormat::FontFamily).toString();
        c.fonte = indiceFonte(familia.isEmpty() ? familiaPadrao_ : familia);
        double pt = f.fontPointSize();
        if (pt <= 0) {
            const int px = f.intProperty(QTextFormat::FontPixelSize);
            pt = px > 0 ? px * 0.75 : tamanhoPadrao_;
        }
        c.meiosPontos = std::clamp(int(std::lround(pt * 2)), 1, kMaxMeiosPontos);
        c.negrito = f.fontWeight() >= QFont::DemiBold;
        c.italico = f.fontItalic();
        c.sublinhado = f.fontUnderline();
        c.riscado = f.fontStrikeOut();
        if (f.foreground().style() != Qt::NoBrush)
            c.cor = indiceCor(f.foreground().color().rgb());
        return c;
    }

    void palavra(const char* w, int n = INT_MIN)
    {
        out_ += '\\';
        out_ += w;
        if (n != INT_MIN)
            out_ += QByteArray::number(n);
        espaco_ = true;
    }

    void escreveParagrafo(const QTextBlock& b)
    {
        out_ += "\\pard";
        espaco_ = true;
        const Qt::Alignment a = b.blockFormat().alignment();
        if (a & Qt::AlignHCenter)
            palavra("qc");
        else if (a & Qt::AlignJustify)
            palavra("qj");
        else if (a & Qt::AlignRight)
            palavra("qr");
        if (QTextList* l = b.textList()) {
            const Lista tipo = listaDe(l->format().style());
            if (tipo == Lista::Marcador) {
                out_ += "{\\pntext\\f" + QByteArray::number(simbolo_) + "\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf" + QByteArray::number(simbolo_)
                    + "\\pnindent0{\\pntxtb\\'b7}}";
            } else {
                static constexpr const char* kTipos[] = {"", "", "pndec", "pnlcltr", "pnucltr", "pnlcrm", "pnucrm"};
                out_ += "{\\pntext\\f0 ";
                espaco_ = false;
                escreveTexto(l->itemText(b));
                out_ += "\\tab}{\\*\\pn\\pnlvlbody\\pnf0\\pnindent0\\pnstart1\\";
                out_ += kTipos[int(tipo)];
                out_ += "{\\pntxta.}}";
            }
            // The level for this reader, the indent for every other.
            const int nivel = std::max(1, l->format().indent());
            if (nivel > 1)
                palavra("ilvl", nivel - 1);
            palavra("fi", -360);
            palavra("li", 720 * nivel);
        } else if (const int recuo = b.blockFormat().indent(); recuo > 0) {
            palavra("li", 720 * recuo);
        }
        forEachTrecho(b, [this](const QTextCharFormat& f, const QString& t) {
            mudaPara(propriedades(f));
            escreveTexto(t);
        });
        out_ += "\\par\n";
        espaco_ = false;
    }

    // Character properties persist across paragraphs (\pard leaves them):
    // only the differences are written.
    void mudaPara(const Caracteres& c)
    {
        if (c.fonte != atual_.fonte)
            palavra("f", c.fonte);
        if (c.meiosPontos != atual_.meiosPontos)
            palavra("fs", c.meiosPontos);
        if (c.negrito != atual_.negrito)
            palavra(c.negrito ? "b" : "b0");
        if (c.italico != atual_.italico)
            palavra(c.italico ? "i" : "i0");
        if (c.sublinhado != atual_.sublinhado)
            palavra(c.sublinhado ? "ul" : "ulnone");
        if (c.riscado != atual_.riscado)
            palavra(c.riscado ? "strike" : "strike0");
        if (c.cor != atual_.cor)
            palavra("cf", c.cor);
        atual_ = c;
    }

    void escreveTexto(QStringView t)
    {
        static constexpr char kHex[] = "0123456789abcdef";
        for (QChar ch : t) {
            const char16_t c = ch.unicode();
            if (c == u'\t') {
                palavra("tab");
            } else if (c == QChar::LineSeparator || c == QChar::ParagraphSeparator) {
                palavra("line");
            } else if (c < 0x20 || c == 0xFDD0 || c == 0xFDD1 || c == 0xFFFC) {
                continue; // controls, frame marks and embedded objects have no RTF here
            } else if (c < 0x80) {
                if (espaco_)
                    out_ += ' ';
                espaco_ = false;
                if (c == u'\\' || c == u'{' || c == u'}')
                    out_ += '\\';
                out_ += char(c);
            } else if (const int b = paraCp1252(c); b >= 0) {
                out_ += "\\'";
                out_ += kHex[b >> 4];
                out_ += kHex[b & 15];
                espaco_ = false;
            } else {
                // \uN takes a signed 16-bit N; '?' is what readers without Unicode show.
                out_ += "\\u" + QByteArray::number(int(qint16(c))) + '?';
                espaco_ = false;
            }
        }
    }

    const QTextDocument& doc_;
    QString familiaPadrao_;
    double tamanhoPadrao_ = 12;
    QStringList fontes_;
    std::vector<QRgb> cores_;
    int simbolo_ = -1;
    QByteArray out_;
    Caracteres atual_{-1, 0, 0}; // nothing known: the first run states everything
    bool espaco_ = false;        // a control word waits for its delimiter
};

} // namespace

QByteArray escreveRtf(const QTextDocument& doc) { return Escritor(doc).escreve(); }

} // namespace zov
