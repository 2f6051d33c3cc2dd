#include "transfer/progress_area.h"

#include <QFrame>
#include <QLabel>
#include <QVBoxLayout>

namespace zov {

ProgressArea::ProgressArea(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("pnlProgresso"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    lblProgresso1 = new QLabel(this);
    lblProgresso1->setObjectName(QStringLiteral("lblProgresso1"));
    lblProgresso2 = new QLabel(this);
    lblProgresso2->setObjectName(QStringLiteral("lblProgresso2"));
    bvlProgresso = new QFrame(this);
    bvlProgresso->setObjectName(QStringLiteral("bvlProgresso"));
    bvlProgresso->setFrameShape(QFrame::Panel);
    bvlProgresso->setFrameShadow(QFrame::Sunken);
    bvlProgresso->setFixedHeight(16);
    shpProgresso = new QFrame(bvlProgresso);
    shpProgresso->setObjectName(QStringLiteral("shpProgresso"));
    shpProgresso->setStyleSheet(QStringLiteral("background-color: #005493;"));
    shpProgresso->setGeometry(0, 0, 0, 16);
    layout->addWidget(lblProgresso1);
    layout->addWidget(lblProgresso2);
    layout->addWidget(bvlProgresso);
    for (QWidget* w : {static_cast<QWidget*>(lblProgresso1), static_cast<QWidget*>(lblProgresso2), static_cast<QWidget*>(bvlProgresso),
                       static_cast<QWidget*>(shpProgresso)})
        w->hide();
}

void ProgressArea::show(const ProgressState& s)
{
    lblProgresso1->setVisible(s.label1Visible);
    lblProgresso2->setVisible(s.label2Visible);
    bvlProgresso->setVisible(s.frameVisible || s.barVisible);
    shpProgresso->setVisible(s.barVisible);
    lblProgresso1->setText(s.line1);
    lblProgresso2->setText(s.line2);
    lblProgresso2->setIndent(s.label2AtFrameLeft ? 0 : -1);
    shpProgresso->setFixedWidth(bvlProgresso->width() * s.barPercent / 100);
}

} // namespace zov
