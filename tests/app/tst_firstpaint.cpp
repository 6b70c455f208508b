#include "FirstPaint.h"

#include <QTest>
#include <QWidget>

// What main() leaves until the window has painted (the icon) must come once, right after the
// window's first picture, and never hold it back.
class tst_FirstPaint : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void runsOnceAfterTheFirstPaint();
};

namespace {

class PaintCounter : public QWidget
{
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent *) override { ++paints; }
};

} // namespace

void tst_FirstPaint::runsOnceAfterTheFirstPaint()
{
    PaintCounter window;
    QList<int> paintsWhenRun;
    afterFirstPaint(&window, [&] { paintsWhenRun += window.paints; });
    QCoreApplication::processEvents();
    QCOMPARE(paintsWhenRun, QList<int>()); // not shown, not painted

    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_COMPARE(paintsWhenRun.size(), 1);
    QCOMPARE_GE(paintsWhenRun.first(), 1);

    window.repaint();
    QCoreApplication::processEvents();
    QCOMPARE(paintsWhenRun.size(), 1);
}

QTEST_MAIN(tst_FirstPaint)
#include "tst_firstpaint.moc"
