#pragma once

#include <QObject>
#include <QTimer>

#include <utility>

// Runs f from the event loop, as soon as it is free, while context lives.
// A real zero-length timer, not a queued call: work that waits for the
// editing engine inside the delivery of a posted event can starve the
// browser's own posted work (the engine's answers among it), so the wait
// runs out although the engine answered at once.
template <typename F>
void runFromEventLoop(QObject *context, F f)
{
    auto *timer = new QTimer(context);
    timer->setSingleShot(true);
    QObject::connect(timer, &QTimer::timeout, context, [timer, f = std::move(f)]() mutable {
        timer->deleteLater();
        f();
    });
    timer->start(0);
}
