#pragma once
// Qt's QAbstractItemModelTester on a model for the life of a test: every
// breach of the model contract it finds is collected, not fatal, so a test
// can say which (failures()).
#include <QAbstractItemModelTester>
#include <QStringList>
#include <memory>

namespace zov::test {

class ModelChecker {
public:
    explicit ModelChecker(QAbstractItemModel* model);
    ~ModelChecker();
    ModelChecker(const ModelChecker&) = delete;
    ModelChecker& operator=(const ModelChecker&) = delete;
    // The tester's "FAIL!" messages so far.
    QStringList failures() const;

private:
    std::unique_ptr<QAbstractItemModelTester> tester_;
};

} // namespace zov::test
