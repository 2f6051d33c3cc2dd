#include "library/messages.h"

#include "library/dialogs.h"

namespace zov {

TMessages::TMessages(std::initializer_list<const char*> lines)
{
    for (const char* line : lines)
        add(QString::fromUtf8(line));
}

void TMessages::add(const QString& line)
{
    const qsizetype bar = line.indexOf(QLatin1Char('|'));
    if (bar < 0)
        texts_.insert(line.toLower(), QString());
    else
        texts_.insert(line.left(bar).toLower(), line.mid(bar + 1));
}

QString TMessages::Msg(const QString& key) const { return texts_.value(key.toLower(), key); }

bool TMessages::contains(const QString& key) const { return texts_.contains(key.toLower()); }

bool TMessages::ShowMsg(const QString& key) const { return dialogs().confirm(Msg(key)); }

const TMessages& msgMensagensPadroes()
{
    // sem_ajuda: the one text every window shows for help it does not have.
    static const TMessages table{"Excl|Confirma exclusão?", "Canc|Cancelar operação?",
                                 "sem_ajuda|A ajuda desta janela não está disponível."};
    return table;
}

} // namespace zov
