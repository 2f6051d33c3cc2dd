#include "tests/support/scripted_dialogs.h"

namespace zov::test {

namespace {
ScriptedDialogs* instance = nullptr;
}

bool ScriptedDialogs::confirm(const QString& text)
{
    records.push_back({DialogRecord::Confirm, text});
    if (onQuestion)
        onQuestion(text);
    if (answers_.empty()) {
        ADD_FAILURE() << "unexpected question: " << text.toStdString();
        return false;
    }
    const bool a = answers_.front();
    answers_.pop_front();
    return a;
}

QString ScriptedDialogs::openFileName(const QString& title, const QString&)
{
    records.push_back({DialogRecord::OpenFile, title});
    return takeFront(files_);
}

QString ScriptedDialogs::saveFileName(const QString& title, const QString&, const QString& sugerido)
{
    records.push_back({DialogRecord::SaveFile, title});
    sugestoes << sugerido;
    return takeFront(files_);
}

QString ScriptedDialogs::takeFront(std::deque<QString>& queue)
{
    if (queue.empty())
        return {};
    QString next = queue.front();
    queue.pop_front();
    return next;
}

void ScriptedDialogs::clear()
{
    records.clear();
    answers_.clear();
    files_.clear();
    typed_.clear();
    onQuestion = nullptr;
}

QStringList ScriptedDialogs::texts(DialogRecord::Kind kind) const
{
    QStringList out;
    for (const auto& r : records)
        if (r.kind == kind)
            out << r.text;
    return out;
}

ScriptedDialogs& scripted() { return *instance; }

void ScriptedDialogsEnvironment::SetUp()
{
    auto d = std::make_unique<ScriptedDialogs>();
    instance = d.get();
    installDialogs(std::move(d));
}

} // namespace zov::test
