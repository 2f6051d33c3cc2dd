#pragma once
// The RTF reader's lists: each paragraph that is a list item goes into the
// list open at its level, with the kind and number the file gives it.
// Internal to library/.
#include "library/rtf_comum_qt.h"

#include <vector>

class QTextCursor;
class QTextList;

namespace zov::rtf_interno {

constexpr int kMaxNivel = 8; // list levels 0 to 8, as Word's

struct ItemDeLista {
    Lista lista;      // the kind the paragraph's words gave (\pn..., \ls, the marker)
    QString marcador; // its number or bullet as the file writes it (\listtext, \pntext)
    int nivel = 0;    // \ilvlN, \pnlvlN
    int inicioPn = 0; // \pnstartN
};

class ListasAbertas {
public:
    // The cursor's block, a paragraph just ended, as that item.
    void poe(QTextCursor& cur, const ItemDeLista& item);
    // The item's number (or "•") to be written as text: the next in its list.
    QString comoTexto(const ItemDeLista& item);
    // A paragraph that is no list item ends them all.
    void fecha() { abertas_.clear(); }
    bool vazia() const { return abertas_.empty(); }

private:
    struct ListaAberta {
        QTextList* lista = nullptr; // null: none yet, or its numbers are written
        Lista tipo = Lista::Nenhuma;
        int naLista = 0; // items in lista
        int numero = 0;  // the last item's number in the file
        bool literal = false;
    };
    ListaAberta& conta(const ItemDeLista& item, QString& texto);

    std::vector<ListaAberta> abertas_; // by level
};

} // namespace zov::rtf_interno
