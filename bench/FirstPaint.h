#pragma once
// The probe that a start-up's process carries: at the first paint of any
// window it prints the clock, the peak memory and the number of widgets; then,
// once `ready()` holds, the clock again; and ends the process on the spot.
#include "Process.h"
#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <functional>

class FirstPaint : public QObject {
public:
    explicit FirstPaint(std::function<bool()> isReady = [] { return true; }) : ready(std::move(isReady)) {}

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !painted) {
            painted = true;
            // Once the paint has been flushed: the next turn of the loop.
            QTimer::singleShot(0, [this] {
                std::printf("%lld %lld %lld ", (long long)monotonicNs(), (long long)memory().peak,
                            (long long)QApplication::allWidgets().size());
                waitUntilReady();
            });
        }
        return false;
    }

private:
    void waitUntilReady()
    {
        if (!ready()) {
            QTimer::singleShot(0, [this] { waitUntilReady(); });
            return;
        }
        std::printf("%lld\n", (long long)monotonicNs());
        std::fflush(stdout);
        std::_Exit(0);
    }

    std::function<bool()> ready;
    bool painted = false;
};
