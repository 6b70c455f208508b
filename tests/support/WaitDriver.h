#pragma once

#include <QList>
#include <QObject>

#include <functional>

// Acts from inside a wait: a reception, or the click that starts one, runs a nested event
// loop until the line or the operator ends it, and the test plays the device and the operator
// meanwhile. Every step runs on a timer that this object owns, so that a step still pending
// when it goes (the wait ended early, the case failed) never runs in a later case, as a
// pending single shot without a context object would in Qt 6.4.
class WaitDriver
{
public:
    using Step = std::function<void()>;

    // With endWait: calls it once after hangMs unless the driver is gone by then, so that a
    // wait that never ends fails the case instead of hanging it.
    explicit WaitDriver(Step endWait = {}, int hangMs = 5000);
    Q_DISABLE_COPY(WaitDriver)

    // Runs the steps in turn, each in a yield of its own: the first at the wait's first
    // yield, each next apartMs after the previous returned (0: at the next yield). Stops
    // before a step once stopWhen says so.
    void inTurn(QList<Step> steps, int apartMs = 0, std::function<bool()> stopWhen = {});
    // Runs step once, after ms of the wait (0: at its first yield).
    void after(int ms, Step step, Qt::TimerType precision = Qt::CoarseTimer);
    // Calls step at every yield until it returns true.
    void poll(std::function<bool()> step);

    // How many of inTurn's steps have run.
    qsizetype stepsRun() const { return m_next; }

private:
    void runNext();

    QObject m_owner; // owns every timer
    QList<Step> m_steps;
    qsizetype m_next = 0;
    int m_apartMs = 0;
    std::function<bool()> m_stopWhen;
};
