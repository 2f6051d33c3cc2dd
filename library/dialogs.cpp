#include "library/dialogs.h"

#include <QFileInfo>

#include <cstdio>

namespace zov {
namespace {

class ConsoleDialogs final : public Dialogs {
public:
    void error(const QString& text) override { std::fprintf(stderr, "erro: %s\n", qUtf8Printable(text)); }
    void info(const QString& text) override { std::fprintf(stderr, "%s\n", qUtf8Printable(text)); }
    bool confirm(const QString& text) override
    {
        std::fprintf(stderr, "%s [Não]\n", qUtf8Printable(text));
        return false;
    }
    QString openFileName(const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
    void ajuda(const QString&) override {}
    bool printerSetup() override { return false; }
    QString askText(const QString&, const QString&, const QString&) override { return {}; }
};

std::unique_ptr<Dialogs>& current()
{
    static std::unique_ptr<Dialogs> service = std::make_unique<ConsoleDialogs>();
    return service;
}

} // namespace

Dialogs& dialogs() { return *current(); }

std::unique_ptr<Dialogs> installDialogs(std::unique_ptr<Dialogs> service)
{
    if (!service)
        service = std::make_unique<ConsoleDialogs>();
    std::swap(service, current());
    return service;
}

QString comExtensao(const QString& arquivo, const QString& extensao, bool soEsta)
{
    const QString sufixo = QFileInfo(arquivo).suffix();
    if (arquivo.isEmpty() || (soEsta ? sufixo.compare(extensao, Qt::CaseInsensitive) == 0 : !sufixo.isEmpty()))
        return arquivo;
    const QString nome = arquivo + QLatin1Char('.') + extensao;
    if (QFileInfo::exists(nome) && !dialogs().confirm(QStringLiteral("O arquivo \"%1\" já existe. Deseja substituí-lo?").arg(nome)))
        return {};
    return nome;
}

} // namespace zov
