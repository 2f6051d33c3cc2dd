#pragma once
// The timer behind the delayed searches. The logic classes see only this
// interface, so their tests fire the ticks themselves instead of waiting.
#include <QObject>
#include <QTimer>
#include <functional>

namespace zov {

class DelayTimer {
public:
    virtual ~DelayTimer() = default;
    // Starts (or restarts) ticking every interval until stopped.
    virtual void start(int intervalMs) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
};

// The real one: a QTimer whose ticks run through the guard.
class QtDelayTimer final : public DelayTimer {
public:
    explicit QtDelayTimer(std::function<void()> onTick);
    void start(int intervalMs) override { timer_.start(intervalMs); }
    void stop() override { timer_.stop(); }
    bool isActive() const override { return timer_.isActive(); }
    void setOnTick(std::function<void()> onTick) { onTick_ = std::move(onTick); }

private:
    QTimer timer_;
    std::function<void()> onTick_;
};

} // namespace zov
