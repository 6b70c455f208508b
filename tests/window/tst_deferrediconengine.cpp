#include "DeferredIconEngine.h"
#include "StartUp.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QTest>
#include <QWidget>

#include <utility>

// The window's icon is made only when first asked for; whatever asks, it must answer exactly
// as the icon made at once would, or a task bar shows it blurred, cut or not at all. The
// console's own icon must be these pictures. The console sets it once its window has painted
// its first picture, which it must never hold back.
class tst_DeferredIconEngine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void answersAsTheIconItMakes_data();
    void answersAsTheIconItMakes();
    void makesTheIconOnceWhenAsked();
    void setAfterTheFirstPaintOnly();
};

namespace {

QIcon iconOfFiles()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        icon.addFile(
            QStringLiteral(KELMI_ICONS_DIR "/%1x%1/io.github.kelmi.Console.png").arg(size));
    }
    return icon;
}

QImage painted(const QIcon &icon, const QSize &size, QIcon::Mode mode)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    icon.paint(&painter, image.rect(), Qt::AlignCenter, mode);
    return image;
}

} // namespace

void tst_DeferredIconEngine::answersAsTheIconItMakes_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<qreal>("ratio"); // the screen's device pixels per pixel
    QTest::addColumn<QIcon::Mode>("mode");
    QTest::addColumn<QString>("made"); // which deferred icon
    // The engine's rows keep their names.
    const std::pair<const char *, const char *> icons[]
        = {{"engine", ""}, {"console's", ", console's icon"}};
    for (const auto &[made, suffix] : icons) {
        for (int size : {16, 20, 48, 100, 256, 300}) {
            for (qreal ratio : {1.0, 2.0}) {
                for (QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled}) {
                    QTest::addRow("%d px, ratio %g, %s%s", size, ratio,
                                  mode == QIcon::Normal ? "normal" : "disabled", suffix)
                        << size << ratio << mode << QString::fromLatin1(made);
                }
            }
        }
    }
}

void tst_DeferredIconEngine::answersAsTheIconItMakes()
{
    QFETCH(int, size);
    QFETCH(qreal, ratio);
    QFETCH(QIcon::Mode, mode);
    QFETCH(QString, made);

    const QIcon direct = iconOfFiles();
    const QIcon deferred
        = made == u"engine" ? QIcon(new DeferredIconEngine(iconOfFiles)) : windowIcon();
    QVERIFY(!direct.isNull());
    QCOMPARE(deferred.isNull(), false);
    QCOMPARE(deferred.availableSizes(mode), direct.availableSizes(mode));
    const QSize asked(size, size);
    QCOMPARE(deferred.actualSize(asked, mode), direct.actualSize(asked, mode));
    const QPixmap expected = direct.pixmap(asked, ratio, mode);
    const QPixmap pixmap = deferred.pixmap(asked, ratio, mode);
    QCOMPARE(pixmap.size(), expected.size());
    QCOMPARE(pixmap.devicePixelRatio(), expected.devicePixelRatio());
    QCOMPARE(pixmap.toImage().convertToFormat(QImage::Format_ARGB32),
             expected.toImage().convertToFormat(QImage::Format_ARGB32));
    QCOMPARE(painted(deferred, asked, mode), painted(direct, asked, mode));
}

void tst_DeferredIconEngine::makesTheIconOnceWhenAsked()
{
    int made = 0;
    const QIcon deferred(new DeferredIconEngine([&made] {
        ++made;
        return iconOfFiles();
    }));
    QCOMPARE(made, 0);
    QVERIFY(!deferred.pixmap(32).isNull());
    QVERIFY(!deferred.pixmap(64).isNull());
    QCOMPARE(made, 1);
}

namespace {

class PaintCounter : public QWidget
{
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent *) override { ++paints; }
};

} // namespace

void tst_DeferredIconEngine::setAfterTheFirstPaintOnly()
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

QTEST_MAIN(tst_DeferredIconEngine)
#include "tst_deferrediconengine.moc"
