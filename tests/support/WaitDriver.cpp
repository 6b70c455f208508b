#include "WaitDriver.h"

#include <QTimer>

WaitDriver::WaitDriver(Step endWait, int hangMs)
{
    if (endWait) {
        after(hangMs, std::move(endWait));
    }
}

void WaitDriver::inTurn(QList<Step> steps, int apartMs, std::function<bool()> stopWhen)
{
    m_steps = std::move(steps);
    m_next = 0;
    m_apartMs = apartMs;
    m_stopWhen = std::move(stopWhen);
    after(0, [this] { runNext(); });
}

void WaitDriver::runNext()
{
    if (m_next == m_steps.size() || (m_stopWhen && m_stopWhen())) {
        return;
    }
    // The step may start a wait of its own, in which the next step must not run yet.
    m_steps[m_next++]();
    if (m_next < m_steps.size()) {
        after(m_apartMs, [this] { runNext(); });
    }
}

void WaitDriver::after(int ms, Step step, Qt::TimerType precision)
{
    if (ms == 0) {
        // A call queued for the next yield, dropped with its owner.
        QTimer::singleShot(0, &m_owner, std::move(step));
        return;
    }
    // A timer of the driver's own, stopped when the driver goes. A single shot would stay
    // pending until it was due: a thousand waits would pile up a thousand watchdogs.
    auto *timer = new QTimer(&m_owner);
    timer->setSingleShot(true);
    timer->setTimerType(precision);
    QObject::connect(timer, &QTimer::timeout, &m_owner, std::move(step));
    timer->start(ms);
}

void WaitDriver::poll(std::function<bool()> step)
{
    auto *timer = new QTimer(&m_owner);
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, &m_owner, [timer, step = std::move(step)] {
        if (step()) {
            timer->stop();
        }
    });
    timer->start();
}
