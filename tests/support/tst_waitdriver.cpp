#include "WaitDriver.h"

#include <QAbstractEventDispatcher>
#include <QEventLoop>
#include <QTest>
#include <QTimer>

// The driver that every test acting during a wait goes through: its steps, its watchdog,
// and its promise that nothing of it runs once it is gone.
class TestWaitDriver : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void stepsRunInTurnEachInAYieldOfItsOwn_data();
    void stepsRunInTurnEachInAYieldOfItsOwn();
    void stepWithAWaitOfItsOwnHoldsTheNextBack();
    void stopWhenDropsTheRest();
    void pollRunsUntilTrue();
    void watchdogEndsAWaitThatHangs();
    void nothingRunsOnceTheDriverIsGone();
    void nothingWaitsOnceTheDriverIsGone();
};

void TestWaitDriver::stepsRunInTurnEachInAYieldOfItsOwn_data()
{
    QTest::addColumn<int>("apartMs"); // 0: at the next yield
    for (const int apartMs : {0, 20}) {
        QTest::addRow("%d ms apart", apartMs) << apartMs;
    }
}

void TestWaitDriver::stepsRunInTurnEachInAYieldOfItsOwn()
{
    QFETCH(int, apartMs);
    QEventLoop wait;
    QStringList ran;
    QObject context;
    // Each step leaves a mark for the event loop's next pass; it must come before the next
    // step, which therefore runs in a pass of its own.
    const auto step = [&](const QString &name) {
        return [&, name] {
            ran += name;
            QTimer::singleShot(0, &context,
                               [&, name] { ran += name + QStringLiteral(" yielded"); });
        };
    };
    WaitDriver driver;
    driver.inTurn({step(QStringLiteral("1")), step(QStringLiteral("2")),
                   [&] {
                       ran += QStringLiteral("3");
                       wait.quit();
                   }},
                  apartMs);
    QCOMPARE(driver.stepsRun(), 0);
    wait.exec();
    QCOMPARE(ran, (QStringList {"1", "1 yielded", "2", "2 yielded", "3"}));
    QCOMPARE(driver.stepsRun(), 3);
}

void TestWaitDriver::stepWithAWaitOfItsOwnHoldsTheNextBack()
{
    QEventLoop wait;
    bool nestedWaitRunning = false;
    bool nextRanInsideIt = true;
    WaitDriver driver;
    driver.inTurn({[&] {
                       // As a nested reception does: a wait inside a step.
                       nestedWaitRunning = true;
                       QTest::qWait(50);
                       nestedWaitRunning = false;
                   },
                   [&] {
                       nextRanInsideIt = nestedWaitRunning;
                       wait.quit();
                   }});
    wait.exec();
    QVERIFY(!nextRanInsideIt);
}

void TestWaitDriver::stopWhenDropsTheRest()
{
    bool failed = false;
    int ran = 0;
    WaitDriver driver;
    driver.inTurn({[&] { ++ran; },
                   [&] {
                       ++ran;
                       failed = true;
                   },
                   [&] { ++ran; },
                   [&] {
                       ++ran;
                   }},
                  0, [&] { return failed; });
    QTest::qWait(50);
    QCOMPARE(ran, 2);
    QCOMPARE(driver.stepsRun(), 2);
}

void TestWaitDriver::pollRunsUntilTrue()
{
    int calls = 0;
    WaitDriver driver;
    driver.poll([&] { return ++calls == 5; });
    QTRY_COMPARE(calls, 5);
    QTest::qWait(50);
    QCOMPARE(calls, 5);
}

void TestWaitDriver::watchdogEndsAWaitThatHangs()
{
    QEventLoop wait;
    int ended = 0;
    WaitDriver driver(
        [&] {
            ++ended;
            wait.quit();
        },
        30);
    wait.exec();
    QCOMPARE(ended, 1);
    QTest::qWait(50);
    QCOMPARE(ended, 1);
}

void TestWaitDriver::nothingRunsOnceTheDriverIsGone()
{
    int ran = 0;
    {
        WaitDriver driver([&] { ++ran; }, 10);
        driver.after(0, [&] { ++ran; });
        driver.after(
            10, [&] { ++ran; }, Qt::PreciseTimer);
        driver.inTurn({[&] {
            ++ran;
        }});
        driver.poll([&] { return ++ran > 0; });
    }
    QTest::qWait(50);
    QCOMPARE(ran, 0);
}

// A thousand waits must not leave a thousand watchdogs pending until they are due. Qt parks
// a pending single shot with the event dispatcher, so that is where one would stay.
void TestWaitDriver::nothingWaitsOnceTheDriverIsGone()
{
    const QObject *dispatcher = QAbstractEventDispatcher::instance();
    const qsizetype pendingBefore = dispatcher->children().size();
    {
        WaitDriver driver([] {}, 10000);
        driver.after(
            5000, [] {}, Qt::PreciseTimer);
        driver.inTurn({[] {},
                       [] {
                       }},
                      5000);
        QTest::qWait(10);
    }
    QCOMPARE(dispatcher->children().size(), pendingBefore);
}

QTEST_GUILESS_MAIN(TestWaitDriver)
#include "tst_waitdriver.moc"
