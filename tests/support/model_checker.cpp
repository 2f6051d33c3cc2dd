#include "tests/support/model_checker.h"

#include <QtGlobal>
#include <cstring>
#include <mutex>

namespace zov::test {

namespace {

std::mutex& lock()
{
    static std::mutex m;
    return m;
}
QStringList& collected()
{
    static QStringList list;
    return list;
}
QtMessageHandler& previous()
{
    static QtMessageHandler handler = nullptr;
    return handler;
}
int& checkers()
{
    static int n = 0;
    return n;
}

void collect(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (context.category && std::strcmp(context.category, "qt.modeltest") == 0) {
        const std::lock_guard<std::mutex> guard(lock());
        collected() << message;
        return;
    }
    if (previous())
        previous()(type, context, message);
}

} // namespace

ModelChecker::ModelChecker(QAbstractItemModel* model)
{
    {
        const std::lock_guard<std::mutex> guard(lock());
        if (checkers()++ == 0) {
            collected().clear();
            previous() = qInstallMessageHandler(collect);
        }
    }
    tester_ = std::make_unique<QAbstractItemModelTester>(model, QAbstractItemModelTester::FailureReportingMode::Warning);
}

ModelChecker::~ModelChecker()
{
    tester_.reset();
    const std::lock_guard<std::mutex> guard(lock());
    if (--checkers() == 0)
        qInstallMessageHandler(previous());
}

QStringList ModelChecker::failures() const
{
    const std::lock_guard<std::mutex> guard(lock());
    return collected();
}

} // namespace zov::test
