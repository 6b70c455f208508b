#include "StartUp.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QTest>
#include <QWidget>

// The console's icon must answer whatever asks exactly as the icon of its picture files would,
// or a task bar shows it blurred, cut or not at all. It is set once the window has painted
// its first picture, which it must never hold back.
class tst_WindowIcon : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void answersAsTheIconOfItsFiles_data();
    void answersAsTheIconOfItsFiles();
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

class PaintCounter : public QWidget
{
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent *) override { ++paints; }
};

} // namespace

void tst_WindowIcon::answersAsTheIconOfItsFiles_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<qreal>("ratio"); // the screen's device pixels per pixel
    QTest::addColumn<QIcon::Mode>("mode");
    for (int size : {16, 20, 48, 100, 256, 300}) {
        for (qreal ratio : {1.0, 2.0}) {
            for (QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled}) {
                QTest::addRow("%d px, ratio %g, %s, console's icon", size, ratio,
                              mode == QIcon::Normal ? "normal" : "disabled")
                    << size << ratio << mode;
            }
        }
    }
}

void tst_WindowIcon::answersAsTheIconOfItsFiles()
{
    QFETCH(int, size);
    QFETCH(qreal, ratio);
    QFETCH(QIcon::Mode, mode);

    const QIcon direct = iconOfFiles();
    const QIcon console = windowIcon();
    QVERIFY(!direct.isNull());
    QCOMPARE(console.isNull(), false);
    QCOMPARE(console.availableSizes(mode), direct.availableSizes(mode));
    const QSize asked(size, size);
    QCOMPARE(console.actualSize(asked, mode), direct.actualSize(asked, mode));
    const QPixmap expected = direct.pixmap(asked, ratio, mode);
    const QPixmap pixmap = console.pixmap(asked, ratio, mode);
    QCOMPARE(pixmap.size(), expected.size());
    QCOMPARE(pixmap.devicePixelRatio(), expected.devicePixelRatio());
    QCOMPARE(pixmap.toImage().convertToFormat(QImage::Format_ARGB32),
             expected.toImage().convertToFormat(QImage::Format_ARGB32));
    QCOMPARE(painted(console, asked, mode), painted(direct, asked, mode));
}

void tst_WindowIcon::setAfterTheFirstPaintOnly()
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

QTEST_MAIN(tst_WindowIcon)
#include "tst_windowicon.moc"
