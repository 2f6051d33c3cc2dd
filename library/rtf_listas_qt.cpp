#include "library/rtf_listas_qt.h"

#include <QTextCursor>
#include <QTextList>

#include <algorithm>

namespace zov::rtf_interno {

namespace {
constexpr int kItensPorLista = 64;
} // namespace

// The list open at the item's level, its number counted; texto is what
// shows for it.
ListasAbertas::ListaAberta& ListasAbertas::conta(const ItemDeLista& item, QString& texto)
{
    // A shallower item ends the deeper lists; a deeper one opens its own.
    abertas_.resize(std::size_t(item.nivel) + 1);
    ListaAberta& a = abertas_.back();
    const QString marcador = item.marcador.trimmed();
    Marcador m;
    if (!marcador.isEmpty())
        m = leMarcador(marcador, a.tipo, a.numero + 1);
    else
        m = {item.lista, item.lista == Lista::Marcador ? 0 : a.tipo == item.lista ? a.numero + 1 : std::max(1, item.inicioPn)};
    const bool numerado = m.tipo != Lista::Marcador;
    if (m.tipo != a.tipo || (numerado && m.numero == 1 && a.numero > 0))
        a = ListaAberta{nullptr, m.tipo, 0, 0, false}; // another list, or the file starts this one again
    const int numero = numerado ? (m.numero > 0 ? m.numero : a.numero + 1) : 0;
    if (numerado && !a.literal && (numero != a.naLista + 1 || a.naLista >= kItensPorLista))
        a.literal = true;
    a.numero = numero;
    texto = !numerado ? QStringLiteral("\u2022") : marcador.isEmpty() ? textoDoNumero(m.tipo, numero) : marcador;
    return a;
}

QString ListasAbertas::comoTexto(const ItemDeLista& item)
{
    QString texto;
    conta(item, texto);
    return texto;
}

// Qt numbers a list's items from 1 and cannot start elsewhere: a number it
// would not show is written as the file has it. A list takes kItensPorLista
// items at most (Qt marks every item of a list for each one added): bullets
// go on in a new one, numbers as written.
void ListasAbertas::poe(QTextCursor& cur, const ItemDeLista& item)
{
    QString texto;
    ListaAberta& a = conta(item, texto);
    if (a.literal) {
        QTextCursor(cur.block()).insertText(texto + QLatin1Char('\t'));
        QTextBlockFormat bf = cur.blockFormat();
        bf.setIndent(item.nivel + 1);
        cur.setBlockFormat(bf);
        return;
    }
    if (a.lista && a.naLista < kItensPorLista) {
        a.lista->add(cur.block());
    } else {
        QTextListFormat lf;
        lf.setStyle(estiloDe(a.tipo));
        lf.setIndent(item.nivel + 1);
        a.lista = cur.createList(lf);
        a.naLista = 0;
    }
    ++a.naLista;
}

} // namespace zov::rtf_interno
