#include "search/delay_timer.h"

#include "library/errors.h"

namespace zov {

QtDelayTimer::QtDelayTimer(std::function<void()> onTick) : onTick_(std::move(onTick))
{
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        if (onTick_)
            runGuarded(onTick_);
    });
}

} // namespace zov
