#pragma once
// The Dialogs service for tests: records every message, answers questions from
// a queue and fails the test on a question nobody expected.
#include "library/dialogs.h"

#include <QStringList>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

#include "tests/support/qt_print.h"

namespace zov::test {

struct DialogRecord {
    enum Kind { Error, Info, Confirm, OpenFile, SaveFile, Printer, AskText } kind;
    QString text;
};

class ScriptedDialogs final : public Dialogs {
public:
    void error(const QString& text) override { records.push_back({DialogRecord::Error, text}); }
    void info(const QString& text) override { records.push_back({DialogRecord::Info, text}); }
    bool confirm(const QString& text) override;
    QString openFileName(const QString& title, const QString& filter) override;
    QString saveFileName(const QString& title, const QString& filter, const QString& sugerido = {}) override;
    void ajuda(const QString& codigoTela) override { ajudas << codigoTela; }
    // The help pages asked for, by screen code.
    QStringList ajudas;
    bool printerSetup() override
    {
        records.push_back({DialogRecord::Printer, {}});
        return false;
    }

    // The text typed for the next askText (records the label asked).
    QString askText(const QString&, const QString& label, const QString&) override
    {
        records.push_back({DialogRecord::AskText, label});
        return takeFront(typed_);
    }
    void textToType(const QString& text) { typed_.push_back(text); }

    // Queues the answers to the next questions (true = Yes).
    void answer(std::initializer_list<bool> answers) { answers_.insert(answers_.end(), answers); }
    void fileToOpen(const QString& path) { files_.push_back(path); }
    // What each save dialog started with.
    QStringList sugestoes;
    void clear();

    QStringList errors() const { return texts(DialogRecord::Error); }
    QStringList infos() const { return texts(DialogRecord::Info); }
    QStringList questions() const { return texts(DialogRecord::Confirm); }
    QStringList texts(DialogRecord::Kind kind) const;
    bool pendingAnswers() const { return !answers_.empty(); }

    std::vector<DialogRecord> records;
    // Runs as each question is asked (a test checks what holds meanwhile).
    std::function<void(const QString&)> onQuestion;

private:
    // The next queued text, or empty when none is queued.
    static QString takeFront(std::deque<QString>& queue);
    std::deque<bool> answers_;
    std::deque<QString> files_;
    std::deque<QString> typed_;
};

// The scripted service installed for the whole run; reset before each test.
ScriptedDialogs& scripted();

class ScriptedDialogsEnvironment : public ::testing::Environment {
public:
    void SetUp() override;
};

// Gives each test a clean record; fails a test that left answers unused.
class DialogsTest : public ::testing::Test {
protected:
    void SetUp() override { scripted().clear(); }
    void TearDown() override
    {
        EXPECT_FALSE(scripted().pendingAnswers()) << "questions were expected but not asked";
        scripted().clear();
    }
    ScriptedDialogs& dialogs() { return scripted(); }
};

} // namespace zov::test
