#include "library/dialogs.h"

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

} // namespace zov
