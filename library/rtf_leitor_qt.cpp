#include "library/rtf.h"
#include "library/rtf_comum_qt.h"
#include "library/rtf_listas_qt.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

#include <algorithm>
#include <climits>
#include <cstring>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zov {

namespace {

using namespace rtf_interno;

constexpr int kMaxGrupos = 100; // deeper groups are skipped, not followed
constexpr int kMaxFontes = 1000;
constexpr int kMaxCores = 1000;
constexpr int kMaxNomeFonte = 256;
constexpr int kMaxUc = 16;

// Marcador: the text of a list item's number or bullet (\listtext, \pntext),
// read to tell a numbered list from a bulleted one, never shown.
enum class Destino : quint8 { Texto, Fontes, Cores, Numeracao, Marcador, Ignora };

struct Grupo {
    Destino destino = Destino::Texto;
    Caracteres car;
    int uc = 1;
};

struct Fonte {
    QString nome;
    int charset = -1;
    int cp = 0; // \cpgN: wins over the charset
};

// A paragraph's own look: what its block is made with.
struct Forma {
    Qt::Alignment alinhamento = Qt::AlignLeft;
    int recuo = 0;
    bool operator==(const Forma&) const = default;
    QTextBlockFormat formato() const
    {
        QTextBlockFormat bf;
        if (alinhamento != Qt::AlignLeft)
            bf.setAlignment(alinhamento);
        if (recuo > 0)
            bf.setIndent(recuo);
        return bf;
    }
};

class Leitor {
public:
    Leitor(const QByteArray& rtf, QTextDocument& doc) : p_(rtf.constData()), fim_(rtf.constData() + rtf.size()), cur_(&doc)
    {
        pilha_.reserve(kMaxGrupos);
    }

    void le()
    {
        cur_.beginEditBlock();
        while (p_ < fim_) {
            const char c = *p_++;
            if (pilha_.empty()) {
                // Before the document's group (a BOM, blanks, junk): nothing is text.
                if (c == '{')
                    pilha_.push_back(Grupo{});
                continue;
            }
            switch (c) {
            case '{': abreGrupo(); break;
            case '}':
                if (fechaGrupo()) {
                    // The document's group closed. With a brace further on, a brace
                    // too many closed it early: read on in its state, as other readers do.
                    if (std::memchr(p_, '}', std::size_t(fim_ - p_)))
                        pilha_.push_back(raiz_);
                    else
                        p_ = fim_;
                }
                break;
            case '\\': controle(); break;
            case '\r':
            case '\n': break;
            default: caracteres(p_ - 1); break;
            }
        }
        despejaBytes();
        despejaTexto();
        if (textoNoParagrafo_)
            formataParagrafo(carTexto_);
        cur_.endEditBlock();
    }

private:
    Grupo& grupo() { return pilha_.back(); }
    // A list item's indent is its list's.
    Forma forma() const { return {alinhamento_, lista_ == Lista::Nenhuma ? recuo_ : 0}; }
    bool ignorando() const { return ignoraDesde_ > 0 || pilha_.back().destino == Destino::Ignora; }

    // Groups deeper than kMaxGrupos share the deepest one's state (their text
    // is kept, their formatting lasts until the deep run ends); a destination
    // opened there is skipped up to its group's end.
    void poeDestino(Destino d)
    {
        if (excesso_ == 0)
            grupo().destino = d;
        else if (d != Destino::Texto && ignoraDesde_ == 0)
            ignoraDesde_ = excesso_;
    }

    void abreGrupo()
    {
        despejaBytes();
        podeNumeracao_ = false;
        pular_ = 0;
        if (excesso_ > 0 || int(pilha_.size()) >= kMaxGrupos) {
            if (excesso_++ == 0)
                antesDoExcesso_ = grupo();
        } else {
            pilha_.push_back(pilha_.back());
        }
    }

    // True when the document's own group closed.
    bool fechaGrupo()
    {
        despejaBytes();
        podeNumeracao_ = false;
        pular_ = 0;
        if (excesso_ > 0) {
            if (excesso_ == ignoraDesde_)
                ignoraDesde_ = 0;
            if (--excesso_ == 0)
                grupo() = antesDoExcesso_;
            return false;
        }
        if (grupo().destino == Destino::Fontes)
            guardaFonte(); // the entry's ';' is optional for some writers
        if (grupo().destino == Destino::Marcador && pilha_.size() > 1 && pilha_[pilha_.size() - 2].destino != Destino::Marcador) {
            // Word writes it before the paragraph's \pard, and \lsN after it.
            textoMarcador_ = marcador_;
            lista_ = listaDoMarcador(marcador_);
            marcador_.clear();
        }
        if (pilha_.size() == 1)
            raiz_ = pilha_.back();
        pilha_.pop_back();
        return pilha_.empty();
    }

    // Plain bytes from `s` on, as far as they go without a control character.
    void caracteres(const char* s)
    {
        podeNumeracao_ = false;
        if (ignorando())
            return;
        switch (grupo().destino) {
        case Destino::Texto:
        case Destino::Marcador: {
            if (pular_ > 0) {
                --pular_;
                return;
            }
            const char* e = s + 1;
            while (e < fim_ && *e != '\\' && *e != '{' && *e != '}' && *e != '\r' && *e != '\n')
                ++e;
            bytes_.append(s, e - s);
            p_ = e;
            return;
        }
        case Destino::Fontes:
            if (pular_ > 0)
                --pular_;
            else if (*s == ';')
                guardaFonte();
            else
                bytes_.append(*s);
            return;
        case Destino::Cores:
            if (*s == ';')
                guardaCor();
            return;
        default: return;
        }
    }

    void controle()
    {
        if (p_ >= fim_)
            return;
        const auto ehLetra = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
        const auto ehDigito = [](char c) { return c >= '0' && c <= '9'; };
        if (!ehLetra(*p_)) {
            simbolo(*p_++);
            return;
        }
        const char* ini = p_;
        while (p_ < fim_ && ehLetra(*p_))
            ++p_;
        // RTF words have at most 32 letters; a longer one is nothing we know.
        const std::string_view nome = p_ - ini <= 32 ? std::string_view(ini, p_ - ini) : std::string_view();
        bool negativo = false;
        if (p_ + 1 < fim_ && *p_ == '-' && ehDigito(p_[1])) {
            negativo = true;
            ++p_;
        }
        bool temParametro = false;
        long long v = 0;
        while (p_ < fim_ && ehDigito(*p_)) {
            temParametro = true;
            if (v <= INT_MAX)
                v = v * 10 + (*p_ - '0');
            ++p_;
        }
        if (p_ < fim_ && *p_ == ' ')
            ++p_;
        v = std::min<long long>(v, INT_MAX);
        palavra(nome, temParametro, int(negativo ? -v : v));
    }

    void simbolo(char c)
    {
        if (c == '\'') {
            const auto hex = [](char h) {
                if (h >= '0' && h <= '9')
                    return h - '0';
                if (h >= 'a' && h <= 'f')
                    return h - 'a' + 10;
                if (h >= 'A' && h <= 'F')
                    return h - 'A' + 10;
                return -1;
            };
            int valor = 0;
            int digitos = 0;
            while (digitos < 2 && p_ < fim_ && hex(*p_) >= 0) {
                valor = valor * 16 + hex(*p_++);
                ++digitos;
            }
            podeNumeracao_ = false;
            if (digitos == 0 || ignorando())
                return;
            if (pular_ > 0) {
                --pular_;
                return;
            }
            const Destino d = grupo().destino;
            if (d == Destino::Texto || d == Destino::Fontes || d == Destino::Marcador)
                bytes_.append(char(valor)); // decoded with the rest, so two-byte code pages work
            return;
        }
        despejaBytes();
        podeNumeracao_ = false;
        if (ignorando())
            return; // a \pn inside a skipped group stays skipped
        if (c == '*') {
            podeNumeracao_ = true;
            // {\*\word ...}: skipped unless it is a word we read (\pn)
            poeDestino(Destino::Ignora);
            return;
        }
        if (pular_ > 0) {
            --pular_;
            return;
        }
        switch (c) {
        case '\\':
        case '{':
        case '}': bytes_.append(c); return;
        case '~': texto(u'\u00A0'); return;
        case '_': texto(u'\u2011'); return;
        case '\r':
        case '\n':
            if (grupo().destino == Destino::Texto)
                fimParagrafo();
            return;
        default: return; // \- optional hyphen, \| \: index marks
        }
    }

    void palavra(std::string_view nome, bool temParametro, int n)
    {
        despejaBytes();
        const bool aposEstrela = podeNumeracao_;
        podeNumeracao_ = false;
        const auto& tabela = palavras();
        const auto it = tabela.find(nome);
        if (it == tabela.end()) {
            if (!ignorando() && pular_ > 0)
                --pular_;
            return;
        }
        const Palavra w = it->second.palavra;
        if (w == Palavra::Bin) {
            // Binary data is skipped raw: its bytes may look like braces.
            if (temParametro && n > 0)
                p_ += std::min<qsizetype>(n, fim_ - p_);
            return;
        }
        Grupo& g = grupo();
        if (ignorando()) {
            if (w == Palavra::Pn && aposEstrela && ignoraDesde_ == 0)
                iniciaNumeracao();
            return;
        }
        if (pular_ > 0) {
            --pular_;
            return;
        }
        const bool ligado = !temParametro || n != 0;
        switch (w) {
        case Palavra::Ignora: poeDestino(Destino::Ignora); return;
        case Palavra::Fonttbl:
            poeDestino(Destino::Fontes);
            fonteDef_ = -1;
            nomeDef_.clear();
            return;
        case Palavra::Colortbl:
            poeDestino(Destino::Cores);
            corDefinida_ = false;
            r_ = g_ = b_ = 0;
            return;
        case Palavra::TextoMarcador:
            // The number or bullet older readers show: the paragraph is a list item of that kind.
            poeDestino(Destino::Marcador);
            marcador_.clear();
            return;
        case Palavra::Pn: iniciaNumeracao(); return;
        default: break;
        }
        switch (g.destino) {
        case Destino::Fontes:
            if (w == Palavra::F) {
                guardaFonte();
                fonteDef_ = std::max(0, n);
                charsetDef_ = -1;
                cpgDef_ = 0;
            } else if (w == Palavra::Fcharset) {
                charsetDef_ = n;
            } else if (w == Palavra::Cpg) {
                cpgDef_ = std::max(0, n);
            } else if (w == Palavra::U) {
                unicode(n);
            }
            return;
        case Destino::Cores:
            if (w == Palavra::Red || w == Palavra::Green || w == Palavra::Blue) {
                const int v = std::clamp(n, 0, 255);
                (w == Palavra::Red ? r_ : w == Palavra::Green ? g_ : b_) = v;
                corDefinida_ = true;
            }
            return;
        case Destino::Numeracao:
            switch (w) {
            case Palavra::PnMarcador: lista_ = Lista::Marcador; break;
            case Palavra::PnCorpo:
                lista_ = Lista::Decimal;
                if (temParametro && n > 0)
                    nivel_ = std::clamp(n - 1, 0, kMaxNivel); // \pnlvlN
                break;
            case Palavra::PnInicio: inicioPn_ = std::max(0, n); break;
            case Palavra::PnDec: lista_ = Lista::Decimal; break;
            case Palavra::PnLetraMin: lista_ = Lista::LetraMin; break;
            case Palavra::PnLetraMai: lista_ = Lista::LetraMai; break;
            case Palavra::PnRomanoMin: lista_ = Lista::RomanoMin; break;
            case Palavra::PnRomanoMai: lista_ = Lista::RomanoMai; break;
            default: break;
            }
            return;
        case Destino::Marcador:
            if (w == Palavra::Tab || w == Palavra::U || w == Palavra::Caractere)
                break; // its text: a number, a letter, a bullet
            return;
        case Destino::Texto: break;
        default: return;
        }
        Caracteres& car = g.car;
        switch (w) {
        case Palavra::Ansi: ansi_ = kCp1252; break;
        case Palavra::Mac: ansi_ = 10000; break;
        case Palavra::Pc: ansi_ = 437; break;
        case Palavra::Pca: ansi_ = 850; break;
        case Palavra::Ansicpg:
            if (n > 0)
                ansi_ = n; // one no codec knows shows "?" for what is not ASCII, never garbage
            break;
        case Palavra::Deff: deff_ = std::max(0, n); break;
        case Palavra::Uc: g.uc = std::clamp(n, 0, kMaxUc); break;
        case Palavra::U: unicode(n); break;
        case Palavra::Plain: car = Caracteres{}; break;
        case Palavra::F: car.fonte = std::max(0, n); break;
        case Palavra::Fs: car.meiosPontos = !temParametro ? 24 : n > 0 ? std::min(n, kMaxMeiosPontos) : car.meiosPontos; break;
        case Palavra::B: car.negrito = ligado; break;
        case Palavra::I: car.italico = ligado; break;
        case Palavra::Ul: car.sublinhado = ligado; break;
        case Palavra::UlNenhum: car.sublinhado = false; break;
        case Palavra::Strike: car.riscado = ligado; break;
        case Palavra::Oculto: car.oculto = ligado; break;
        case Palavra::Cf: car.cor = std::max(0, n); break;
        case Palavra::Pard:
            alinhamento_ = Qt::AlignLeft;
            recuo_ = 0;
            lista_ = Lista::Nenhuma;
            nivel_ = 0;
            inicioPn_ = 0;
            break;
        case Palavra::Nivel: nivel_ = std::clamp(n, 0, kMaxNivel); break;
        case Palavra::Recuo: recuo_ = std::clamp((n + 360) / 720, 0, kMaxNivel + 1); break; // in half inches
        case Palavra::Celula:
            // A cell ends with a tab, so its neighbours never run together;
            // the row's last one ends with the row itself.
            despejaTexto();
            tabPendente_ = true;
            break;
        case Palavra::Linha:
            tabPendente_ = false;
            fimParagrafo();
            break;
        case Palavra::Ql: alinhamento_ = Qt::AlignLeft; break;
        case Palavra::Qc: alinhamento_ = Qt::AlignHCenter; break;
        case Palavra::Qr: alinhamento_ = Qt::AlignRight; break;
        case Palavra::Qj: alinhamento_ = Qt::AlignJustify; break;
        case Palavra::Par:
            tabPendente_ = false;
            fimParagrafo();
            break;
        case Palavra::Line: texto(QChar::LineSeparator); break;
        case Palavra::Tab: texto(u'\t'); break;
        case Palavra::Caractere: texto(it->second.caractere); break;
        case Palavra::Ls:
            // Word's lists: their kind is in the skipped \listtable, and in the \listtext before.
            if (n > 0 && lista_ == Lista::Nenhuma)
                lista_ = listaDoMarcador(textoMarcador_);
            break;
        default: break;
        }
    }

    void iniciaNumeracao()
    {
        poeDestino(Destino::Numeracao);
        lista_ = Lista::Marcador;
    }

    void unicode(int n)
    {
        long long v = n < 0 ? n + 65536LL : n;
        // Word writes a Symbol font's characters in the private area at F000.
        if (v >= 0xF020 && v <= 0xF0FF && codigoAtual() == kSimbolo)
            v = deSimbolo(uchar(v - 0xF000));
        if (v < 0) {
            // not a character
        } else if (v <= 0xFFFF) {
            texto(char16_t(v));
        } else if (v <= 0x10FFFF) {
            const char32_t c = char32_t(v);
            const QChar par[2] = {QChar::highSurrogate(c), QChar::lowSurrogate(c)};
            texto(QStringView(par, 2));
        }
        pular_ = grupo().uc;
    }

    void texto(QChar c) { texto(QStringView(&c, 1)); }
    void texto(char16_t c) { texto(QChar(c)); }

    void texto(QStringView s)
    {
        switch (grupo().destino) {
        case Destino::Texto: {
            if (grupo().car.oculto || s.isEmpty())
                return;
            bool primeiro = true;
            for (QChar ch : s) {
                char16_t c = ch.unicode();
                if (c < 0x20 && c != u'\t')
                    continue; // line ends and controls are not text in RTF
                if (c == 0x2029)
                    c = QChar::LineSeparator; // would split the block behind our back
                if (c == 0xFDD0 || c == 0xFDD1 || c == 0xFFFC)
                    continue; // the document's own frame and object marks
                if (primeiro) {
                    primeiro = false;
                    abreParagrafo(grupo().car, false);
                    pendente(grupo().car);
                    if (tabPendente_) {
                        tabPendente_ = false;
                        texto_.append(QLatin1Char('\t'));
                    }
                    textoNoParagrafo_ = true;
                }
                // A block's lines, however written, count towards its size:
                // what was read is written and read back the same.
                if (c == QChar::LineSeparator)
                    ++linhasNoBloco_;
                texto_.append(QChar(c));
            }
            return;
        }
        case Destino::Fontes:
            if (nomeDef_.size() < kMaxNomeFonte)
                nomeDef_.append(s.left(kMaxNomeFonte - nomeDef_.size()));
            return;
        case Destino::Marcador:
            if (marcador_.size() < 32)
                marcador_.append(s.left(32 - marcador_.size()));
            return;
        default: return;
        }
    }

    int codigoAtual() const
    {
        const Grupo& g = pilha_.back();
        int charset = -1;
        if (g.destino == Destino::Fontes) {
            if (cpgDef_ > 0)
                return cpgDef_;
            charset = charsetDef_;
        } else {
            const auto it = fontes_.constFind(g.car.fonte >= 0 ? g.car.fonte : deff_);
            if (it != fontes_.constEnd()) {
                if (it->cp > 0)
                    return it->cp;
                if (it->nome.compare(QLatin1String("Symbol"), Qt::CaseInsensitive) == 0)
                    return kSimbolo;
                charset = it->charset;
            }
        }
        const int cp = codigoDoCharset(charset);
        return cp > 0 ? cp : ansi_;
    }

    QString decodifica(const QByteArray& b, int cp)
    {
        if (cp == kUtf8)
            return QString::fromUtf8(b);
        if (cp == kCp1252)
            return deCp1252(b.constData(), b.size());
        if (cp == kSimbolo) {
            QString out(b.size(), Qt::Uninitialized);
            for (qsizetype i = 0; i < b.size(); ++i)
                out[i] = QChar(deSimbolo(uchar(b[i])));
            return out;
        }
        if (nomeCodigo(cp)) {
            auto it = decodificadores_.find(cp);
            if (it == decodificadores_.end())
                it = decodificadores_.emplace(cp, QStringDecoder(nomeCodigo(cp), QStringDecoder::Flag::Stateless)).first;
            if (it->second.isValid())
                return it->second.decode(b);
        }
        // No codec for it: ASCII is the same in every code page, the rest is
        // "?" a character (two bytes in the two-byte code pages).
        QString out;
        out.reserve(b.size());
        for (qsizetype i = 0; i < b.size(); ++i) {
            const auto c = uchar(b[i]);
            if (c < 0x80) {
                out += QLatin1Char(char(c));
                continue;
            }
            out += QLatin1Char('?');
            if (doisBytes(cp) && i + 1 < b.size())
                ++i;
        }
        return out;
    }

    // Pending bytes become text in the code page of the state that wrote them;
    // every change of state calls this first.
    void despejaBytes()
    {
        if (bytes_.isEmpty() || pilha_.empty())
            return;
        const QString s = decodifica(bytes_, codigoAtual());
        bytes_.clear();
        texto(s);
    }

    QTextCharFormat formato(const Caracteres& car) const
    {
        QTextCharFormat f;
        const auto fonte = fontes_.constFind(car.fonte >= 0 ? car.fonte : deff_);
        if (fonte != fontes_.constEnd() && !fonte->nome.isEmpty())
            f.setFontFamilies({fonte->nome});
        if (car.meiosPontos > 0)
            f.setFontPointSize(car.meiosPontos / 2.0);
        if (car.negrito)
            f.setFontWeight(QFont::Bold);
        if (car.italico)
            f.setFontItalic(true);
        if (car.sublinhado)
            f.setFontUnderline(true);
        if (car.riscado)
            f.setFontStrikeOut(true);
        if (car.cor < int(cores_.size()) && cores_[car.cor].isValid())
            f.setForeground(cores_[car.cor]);
        return f;
    }

    void despejaTexto()
    {
        if (texto_.isEmpty())
            return;
        cur_.insertText(texto_, formato(carTexto_));
        texto_.clear();
    }

    // Text in car goes on after what waits to be inserted.
    void pendente(const Caracteres& car)
    {
        if (!texto_.isEmpty() && !(car == carTexto_))
            despejaTexto();
        carTexto_ = car;
    }

    // A paragraph's block is made when it gets text or its \par: a last
    // paragraph with neither is the implicit one after the final \par.
    // Past kBlocosCheios blocks (more paragraphs than anyone types) a
    // paragraph that looks as the block before goes on in it as a line of its
    // own, list items with their numbers written: read linearly and fast.
    void abreParagrafo(const Caracteres& car, bool vazio)
    {
        if (!novoBloco_)
            return;
        novoBloco_ = false;
        const bool cheio = blocos_ >= kBlocosCheios;
        linhaLiteral_ = cheio && lista_ != Lista::Nenhuma;
        const Forma forma = formaDaLinha();
        linhaCompartilhada_ = cheio && blocoCresce_ && forma == formaInserida_ && linhasNoBloco_ < kLinhasPorBloco - 1;
        if (linhaCompartilhada_) {
            pendente(car);
            texto_.append(QChar::LineSeparator);
            ++linhasNoBloco_;
        } else {
            // With the look in force: it rarely changes before the \par, and
            // setting a block's format afterwards costs as much as making it.
            despejaTexto();
            formaInserida_ = forma;
            cur_.insertBlock(forma.formato(), vazio ? formato(car) : QTextCharFormat());
            ++blocos_;
            linhasNoBloco_ = 0;
            blocoCresce_ = true;
            carTexto_ = car;
        }
        if (linhaLiteral_)
            texto_ += listas_.comoTexto({lista_, textoMarcador_, nivel_, inicioPn_}) + QLatin1Char('\t');
    }

    // A list item past kBlocosCheios is a line indented by its level.
    Forma formaDaLinha() const { return linhaLiteral_ ? Forma{alinhamento_, nivel_ + 1} : forma(); }

    void fimParagrafo()
    {
        formataParagrafo(grupo().car);
        textoMarcador_.clear();
        novoBloco_ = true;
        textoNoParagrafo_ = false;
    }

    // Paragraph properties are those in force when the paragraph ends; a
    // line in a shared block keeps the block's.
    void formataParagrafo(const Caracteres& marca)
    {
        if (novoBloco_) {
            // An empty paragraph: its block (or line) is made with its formats
            // at once (a file of blank lines is a million blocks). Its
            // character format keeps an empty line's size for typing.
            abreParagrafo(marca, true);
        } else if (!linhaCompartilhada_) {
            const Forma forma = formaDaLinha();
            if (!(forma == formaInserida_)) {
                cur_.setBlockFormat(forma.formato());
                formaInserida_ = forma;
            }
            if (!textoNoParagrafo_)
                cur_.setBlockCharFormat(formato(marca));
        }
        if (lista_ == Lista::Nenhuma) {
            listas_.fecha();
        } else if (!linhaLiteral_) {
            listas_.poe(cur_, {lista_, textoMarcador_, nivel_, inicioPn_});
            blocoCresce_ = false; // a list item takes no lines
        }
    }

    void guardaFonte()
    {
        despejaBytes();
        if (fonteDef_ >= 0 && (fontes_.size() < kMaxFontes || fontes_.contains(fonteDef_))) {
            const QString nome = nomeDef_.trimmed();
            if (!nome.isEmpty())
                fontes_.insert(fonteDef_, Fonte{nome, charsetDef_, cpgDef_});
        }
        nomeDef_.clear();
        fonteDef_ = -1;
    }

    void guardaCor()
    {
        if (cores_.size() < kMaxCores)
            cores_.push_back(corDefinida_ ? QColor(r_, g_, b_) : QColor());
        corDefinida_ = false;
        r_ = g_ = b_ = 0;
    }

    const char* p_;
    const char* fim_;
    std::vector<Grupo> pilha_;
    int excesso_ = 0;            // groups open beyond kMaxGrupos
    int ignoraDesde_ = 0;        // the excess depth a skipped destination opened at, 0 for none
    Grupo antesDoExcesso_;       // the deepest group's state, back when the excess closes
    Grupo raiz_;                 // the document's group as it closed
    int pular_ = 0;              // characters still to skip after \uN
    bool podeNumeracao_ = false; // \* just read
    int ansi_ = kCp1252;
    int deff_ = -1;
    QByteArray bytes_; // text bytes not yet decoded

    QHash<int, Fonte> fontes_;
    int fonteDef_ = -1;
    int charsetDef_ = -1;
    int cpgDef_ = 0;
    QString nomeDef_;
    std::vector<QColor> cores_;
    int r_ = 0, g_ = 0, b_ = 0;
    bool corDefinida_ = false;
    std::unordered_map<int, QStringDecoder> decodificadores_;

    Qt::Alignment alinhamento_ = Qt::AlignLeft;
    int recuo_ = 0; // \li in levels, for a paragraph that is no list item
    Lista lista_ = Lista::Nenhuma;
    QString textoMarcador_; // the paragraph's number or bullet as the file writes it (\listtext, \pntext)
    int nivel_ = 0;         // its level (\ilvlN, \pnlvlN)
    int inicioPn_ = 0;      // \pnstartN
    QString marcador_;
    bool tabPendente_ = false; // a cell ended: a tab before the next cell's text
    int blocos_ = 0;
    int linhasNoBloco_ = 0;
    Forma formaInserida_;             // the current block's
    bool blocoCresce_ = false;        // the current block may take more paragraphs as lines
    bool linhaCompartilhada_ = false; // this paragraph is a line in the block before's
    bool linhaLiteral_ = false;       // this paragraph is a list item written as text

    QTextCursor cur_;
    QString texto_; // text not yet inserted, all in carTexto_
    Caracteres carTexto_;
    bool textoNoParagrafo_ = false;
    bool novoBloco_ = false;
    ListasAbertas listas_;
};

} // namespace

bool pareceRtf(const QByteArray& bytes)
{
    QByteArrayView v(bytes);
    if (v.startsWith("\xEF\xBB\xBF"))
        v = v.sliced(3);
    qsizetype i = 0;
    while (i < v.size() && (v[i] == ' ' || v[i] == '\t' || v[i] == '\r' || v[i] == '\n'))
        ++i;
    return v.sliced(i).startsWith("{\\rtf");
}

void lerRtf(const QByteArray& rtf, QTextDocument& doc)
{
    const bool desfazer = doc.isUndoRedoEnabled();
    doc.setUndoRedoEnabled(false); // loading is not an edit to undo
    doc.clear();
    Leitor(rtf, doc).le();
    doc.setUndoRedoEnabled(desfazer);
}

void lerObservacao(const QByteArray& bytes, QTextDocument& doc)
{
    if (pareceRtf(bytes))
        lerRtf(bytes, doc);
    else
        lerTexto(bytes, doc);
}

} // namespace zov
