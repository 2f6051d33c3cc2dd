#pragma once
// A window's progress area: the labels lblProgresso1 and lblProgresso2, the
// frame bvlProgresso and the bar shpProgresso inside it. Hidden until a
// transfer shows something.
#include "transfer/progress.h"

#include <QWidget>

class QFrame;
class QLabel;

namespace zov {

class ProgressArea final : public QWidget {
    Q_OBJECT
public:
    explicit ProgressArea(QWidget* parent = nullptr);
    void show(const ProgressState& state);

private:
    QLabel* lblProgresso1;
    QLabel* lblProgresso2;
    QFrame* bvlProgresso;
    QFrame* shpProgresso;
};

} // namespace zov
