#include "ConsoleWindow.h"
#include "Form1.h"
#include "WindowBuilder.h"
#include "WindowLayout.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMap>
#include <QTest>

// The benchmark's plain console builds the window from the same layout as Form1, with plain
// Qt widgets. It is start-up's floor only while both are the same window: the same controls,
// each with the same name, frame, place, caption, font and rows, Form1's of the plain kind or
// a kind of its own made from it.
class tst_WindowBuilder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void sameWindow();
    void sameControl_data();
    void sameControl();

private:
    ConsoleWindow m_console {ConsoleWindow::Ports::AsNamed};
    QWidget m_plain;
};

namespace {

// A window's controls by name: its frames and what they hold.
QMap<QString, QWidget *> controlsOf(const QWidget *window)
{
    QMap<QString, QWidget *> controls;
    for (QWidget *child : window->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        controls.insert(child->objectName(), child);
        if (qobject_cast<QGroupBox *>(child)) {
            for (QWidget *held : child->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
                controls.insert(held->objectName(), held);
            }
        }
    }
    return controls;
}

// What a control shows and names: a frame's or button's caption, a label's text and the list
// it names, a list's rows and the text in its field.
QStringList textsOf(const QWidget *control)
{
    if (const auto *frame = qobject_cast<const QGroupBox *>(control)) {
        return {frame->title()};
    }
    if (const auto *button = qobject_cast<const QAbstractButton *>(control)) {
        return {button->text()};
    }
    if (const auto *label = qobject_cast<const QLabel *>(control)) {
        return {label->text(), label->buddy() ? label->buddy()->objectName() : QString()};
    }
    QStringList texts;
    if (const auto *list = qobject_cast<const QComboBox *>(control)) {
        for (int row = 0; row < list->count(); ++row) {
            texts += list->itemText(row);
        }
        texts += list->currentText();
    }
    return texts;
}

} // namespace

void tst_WindowBuilder::initTestCase()
{
    QVERIFY2(m_console.setUpError().isEmpty(), qPrintable(m_console.setUpError()));
    QVERIFY(m_console.showWindow());
    WindowBuilder().build(&m_plain);
}

void tst_WindowBuilder::sameWindow()
{
    const Form1 *form = m_console.form();
    QCOMPARE(m_plain.objectName(), form->objectName());
    QCOMPARE(m_plain.windowTitle(), form->windowTitle());
    QCOMPARE(m_plain.minimumSize(), form->minimumSize());
    QCOMPARE(m_plain.maximumSize(), form->maximumSize());
    QCOMPARE(m_plain.font().toString(), form->font().toString());
    QCOMPARE(controlsOf(&m_plain).keys(), controlsOf(form).keys());
}

// A row per control of the layout; sameWindow() finds any control that either window has
// besides.
void tst_WindowBuilder::sameControl_data()
{
    QTest::addColumn<QString>("name");
    for (const WindowLayout::Control &control : WindowLayout::controls()) {
        QTest::newRow(control.name) << QString::fromLatin1(control.name);
    }
}

void tst_WindowBuilder::sameControl()
{
    QFETCH(QString, name);
    const QWidget *console = controlsOf(m_console.form()).value(name);
    const QWidget *plain = controlsOf(&m_plain).value(name);
    QVERIFY(console);
    QVERIFY(plain);
    QVERIFY2(console->inherits(plain->metaObject()->className()),
             console->metaObject()->className());
    QCOMPARE(plain->parentWidget()->objectName(), console->parentWidget()->objectName());
    QCOMPARE(plain->geometry(), console->geometry());
    QCOMPARE(textsOf(plain), textsOf(console));
    QCOMPARE(plain->font().toString(), console->font().toString());
}

QTEST_MAIN(tst_WindowBuilder)
#include "tst_windowbuilder.moc"
