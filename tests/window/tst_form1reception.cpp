#include "ConsoleWindow.h"
#include "Examples.h"
#include "FixedList.h"
#include "Form1.h"
#include "OperatorInput.h"
#include "OperatorMessages.h"
#include "PlayerSlot.h"
#include "SerialLine.h"
#include "SerialReception.h"
#include "WaitDriver.h"
#include "WindowLayout.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

// A device's transmission goes from a real pseudo-terminal through the window's port
// buttons into the player's lists, with every other handler running during the wait.
class tst_Form1Reception : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void exactly17Bytes_data();
    void exactly17Bytes();
    void typedTextKeptWhereNothingIsSet_data();
    void typedTextKeptWhereNothingIsSet();
    void floodKeepsTheTooltipShort();
    void sixteenBytesThenAbort();
    void abortThenNewReception();
    void receptionClearsOnlyItsSlot();
    void otherSlotSavesDuringWait();
    void ownSlotSaveDuringWaitNeedsSelection();
    void portThatCannotOpen();
    void lineHungUpDuringWait();
    void windowClosedDuringWait();
    void focusDuringReception_data();
    void focusDuringReception();
    void onePressOneWait_data();
    void onePressOneWait();

private:
    // Runs steps one after another from inside the next wait, each once the previous has run.
    void during(QList<WaitDriver::Step> steps);
    // The far end of the window's serial port 1 or 2.
    PseudoTerminal &line(int portNumber) { return m_console->line(portNumber); }

    std::optional<ConsoleWindow> m_console;
    std::optional<WaitDriver> m_wait;
};

namespace {
QByteArray example(const char *name)
{
    return exampleTransmission(name).bytes;
}

// Kind 0, character letter 'C' with group '0' (row 1), strength digit '5'.
const QByteArray kind0Text = example("kind 0, C group 0, strength 5");
} // namespace

void tst_Form1Reception::init()
{
    m_console.emplace();
    QVERIFY2(m_console->setUpError().isEmpty(), qPrintable(m_console->setUpError()));
    QVERIFY(m_console->showWindow());
}

void tst_Form1Reception::cleanup()
{
    m_wait.reset();
    m_console.reset();
}

void tst_Form1Reception::during(QList<WaitDriver::Step> steps)
{
    // A few milliseconds apart, so each lands in its own yield of the wait; a reception that
    // a failed step left waiting is aborted, so the test fails, not hangs.
    m_wait.emplace([this] { m_console->abortWaiting(); });
    m_wait->inTurn(std::move(steps), 20);
}

void tst_Form1Reception::exactly17Bytes_data()
{
    QTest::addColumn<int>("portButton");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QList<int>>("lists"); // Combo1..Combo8 afterwards
    QTest::addColumn<QString>("shown"); // in the status line and its tooltip

    const auto row
        = [](const char *name, int port, const QByteArray &sent, const QList<int> &lists) {
              QTest::newRow(name) << port << sent << lists << QString::fromLatin1(sent);
          };
    row("port 1, kind 0", 1, kind0Text, {0, 1, 5, -1, -1, -1, -1, -1});
    row("port 2, kind 0", 2, kind0Text, {-1, -1, -1, 5, 1, 0, -1, -1});
    row("port 1, kind 1", 1, example("kind 1, keys 1 0 D"), {1, 13, -1, -1, -1, -1, -1, -1});
    row("port 2, kind 2", 2, example("kind 2, digit 6, strength A"),
        {-1, -1, -1, 10, 7, 2, -1, -1});
    // Plain text: markup stays visible, katakana from code page 932, anything else as a
    // replacement mark.
    QTest::newRow("port 1, markup and katakana")
        << 1 << QByteArray("4<b>x</b>\xB1\xB2\xDF\xE0\x80zzz")
        << QList<int> {3, -1, -1, -1, -1, -1, -1, -1}
        << QStringLiteral("4<b>x</b>ｱｲﾟ\uFFFD\uFFFDzzz");
    // Control characters as symbols, so that the line stays one line.
    QTest::newRow("port 2, CR, LF and NUL")
        << 2 << QByteArray("1C5\r\n\0000000000000\x7f", 17)
        << QList<int> {-1, -1, -1, 5, 1, 0, -1, -1} << QStringLiteral("1C5␍␊␀0000000000␡");
}

void tst_Form1Reception::exactly17Bytes()
{
    QFETCH(int, portButton);
    QFETCH(QByteArray, sent);
    QFETCH(QList<int>, lists);
    QFETCH(QString, shown);

    QString buttonsDuring;
    QString statusDuring;
    during({[&] {
        buttonsDuring = m_console->buttonStates();
        statusDuring = m_console->label(7)->text();
        QVERIFY(line(portButton).deliver(sent));
    }});
    QTest::mouseClick(m_console->button(portButton), Qt::LeftButton);

    QVERIFY2(buttonsDuring.startsWith(QLatin1String("001")), qPrintable(buttonsDuring));
    QCOMPARE(statusDuring, slotFacts(PlayerSlot(portButton)).waitingMessage.toString());
    QCOMPARE(m_console->listIndexes(), lists);
    QCOMPARE(m_console->buttonStates(), QStringLiteral("1101100"));
    QCOMPARE(m_console->label(7)->text(), shown);
    QCOMPARE(m_console->label(7)->toolTip(), shown);
    QVERIFY2(m_console->statusProblem().isEmpty(), qPrintable(m_console->statusProblem()));
}

void tst_Form1Reception::typedTextKeptWhereNothingIsSet_data()
{
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QStringList>("typed"); // into Combo1..Combo3 during the wait
    QTest::addColumn<QStringList>("shown"); // their fields afterwards

    const QStringList kinds = ListRows::deviceKinds();
    const QStringList characters = ListRows::characters();
    const QStringList typed {QStringLiteral("ab"), QStringLiteral("xy"), QStringLiteral("25")};
    QTest::newRow("kind 3") << example("kind 3") << typed
                            << QStringList {kinds.at(3), typed.at(1), typed.at(2)};
    QTest::newRow("kind 1, strength kept")
        << example("kind 1, keys 0 0 C") << typed
        << QStringList {kinds.at(1), characters.at(6), typed.at(2)};
    QTest::newRow("kind 2 with 1 at position 11, character kept")
        << example("kind 2, position 11 not 2") << typed
        << QStringList {kinds.at(2), typed.at(1), QStringLiteral("7")};
    QTest::newRow("device code 0 empties the device kind")
        << example("device code 0") << typed << QStringList {QString(), typed.at(1), typed.at(2)};
    QTest::newRow("strength digit slash empties the strength")
        << example("kind 0, strength slash") << typed
        << QStringList {kinds.at(0), characters.at(1), QString()};
}

void tst_Form1Reception::typedTextKeptWhereNothingIsSet()
{
    QFETCH(QByteArray, sent);
    QFETCH(QStringList, typed);
    QFETCH(QStringList, shown);

    during({[&] {
        for (int n = 1; n <= 3; ++n) {
            QTest::keyClicks(m_console->list(n)->lineEdit(), typed.at(n - 1));
        }
        QVERIFY(line(1).deliver(sent));
    }});
    QTest::mouseClick(m_console->button(1), Qt::LeftButton);

    QCOMPARE(m_console->label(7)->text(), QString::fromLatin1(sent));
    QCOMPARE(m_console->listTexts().first(3), shown);
}

// A device that floods the line: the status line's tooltip shows the first of it, a few
// lines that leave the window in sight.
void tst_Form1Reception::floodKeepsTheTooltipShort()
{
    const QByteArray sent = kind0Text + QByteArray(4095 - kind0Text.size(), 'x');
    during({[&] {
        QVERIFY(line(1).deliver(sent));
    }});
    QTest::mouseClick(m_console->button(1), Qt::LeftButton);
    const QString tip = m_console->label(7)->toolTip();
    QVERIFY2(tip.startsWith(QString::fromLatin1(kind0Text)), qPrintable(tip));
    QVERIFY2(tip.endsWith(u'…'), qPrintable(tip));
    QCOMPARE(tip.count(u'\n'), 3);
}

void tst_Form1Reception::sixteenBytesThenAbort()
{
    m_console->selectInEveryList(1);
    during({[&] { QVERIFY(line(1).deliver(kind0Text.left(16))); },
            [&] {
                QTest::mouseClick(m_console->button(3), Qt::LeftButton);
            }});
    QTest::mouseClick(m_console->button(1), Qt::LeftButton);

    QCOMPARE(m_console->label(7)->text(), QStringLiteral("受信中断"));
    QCOMPARE(m_console->listIndexes(), (QList<int> {-1, -1, -1, 1, 1, 1, 1, 1}));
    QCOMPARE(m_console->buttonStates(), QStringLiteral("1101100"));
}

void tst_Form1Reception::abortThenNewReception()
{
    QString labelInNewWait;
    bool newReceptionNested = false;
    during({[&] {
        // Both clicks are handled in one yield of the first reception's wait, so the new
        // reception runs inside the aborted one.
        QTest::mouseClick(m_console->button(3), Qt::LeftButton);
        m_wait->after(20, [&] {
            labelInNewWait = m_console->label(7)->text();
            QVERIFY(line(2).deliver(example("kind 2, digit 0, strength 7")));
        });
        QTest::mouseClick(m_console->button(2), Qt::LeftButton);
        newReceptionNested = true;
    }});
    QTest::mouseClick(m_console->button(1), Qt::LeftButton);

    QVERIFY(newReceptionNested);
    QCOMPARE(labelInNewWait, slotFacts(PlayerSlot::Two).waitingMessage.toString());
    // The aborted reception left what the new one showed and decoded alone.
    QCOMPARE(m_console->label(7)->text(),
             QString::fromLatin1(example("kind 2, digit 0, strength 7")));
    QCOMPARE(m_console->listIndexes(), (QList<int> {-1, -1, -1, 7, 0, 2, -1, -1}));
    QCOMPARE(m_console->buttonStates(), QStringLiteral("1101100"));
}

void tst_Form1Reception::receptionClearsOnlyItsSlot()
{
    m_console->selectInEveryList(1);
    m_console->button(4)->setEnabled(false); // as if player 1 were saved
    m_console->button(6)->setEnabled(true);
    QList<int> duringWait;
    QString buttonsDuringWait;
    during({[&] {
        duringWait = m_console->listIndexes();
        buttonsDuringWait = m_console->buttonStates();
        QTest::mouseClick(m_console->button(3), Qt::LeftButton);
    }});
    QTest::mouseClick(m_console->button(2), Qt::LeftButton);
    QCOMPARE(duringWait, (QList<int> {1, 1, 1, -1, -1, -1, 1, 1}));
    QCOMPARE(buttonsDuringWait, QStringLiteral("0010110"));
    QCOMPARE(m_console->list(4)->currentText(), QString());
}

void tst_Form1Reception::otherSlotSavesDuringWait()
{
    m_console->list(6)->setListIndex(3);
    m_console->list(5)->setListIndex(21);
    m_console->list(4)->setListIndex(60);
    std::optional<ShownMessage> shown;
    during({[&] { shown = clickAndAnswer(m_console->button(5)); },
            [&] {
                QVERIFY(line(1).deliver(kind0Text));
            }});
    QTest::mouseClick(m_console->button(1), Qt::LeftButton);

    QCOMPARE(shown, std::nullopt);
    QFile file(QStringLiteral("player2.dat"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll().left(17), QByteArray(" 3 \r\n 21 \r\n 60 \r\n"));
    QCOMPARE(m_console->buttonStates(), QStringLiteral("1101001"));
    QCOMPARE(m_console->listIndexes(), (QList<int> {0, 1, 5, 60, 21, 3, -1, -1}));
}

void tst_Form1Reception::ownSlotSaveDuringWaitNeedsSelection()
{
    m_console->selectInEveryList(0);
    std::optional<ShownMessage> shown;
    during({[&] { shown = clickAndAnswer(m_console->button(4)); },
            [&] {
                QTest::mouseClick(m_console->button(3), Qt::LeftButton);
            }});
    QTest::mouseClick(m_console->button(1), Qt::LeftButton);
    QVERIFY(shown);
    QCOMPARE(shown->text, QStringLiteral("データがすべて入力されていません。"));
    QVERIFY(!QFile::exists(QStringLiteral("player1.dat")));
}

// The status line says what failed and why within its width, the tooltip all of it: here
// for a port named as an adapter's lasting name, which no status line holds whole.
void tst_Form1Reception::portThatCannotOpen()
{
    QTemporaryDir scratch;
    const QString device = QDir::toNativeSeparators(scratch.filePath(
        QStringLiteral("serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0")));
    QVERIFY(QDir().mkpath(QFileInfo(device).path()));
    QVERIFY(QFile(device).open(QIODevice::WriteOnly)); // a file, no serial port
    qputenv("KELMI_PORT1", device.toLocal8Bit());
    m_console->selectInEveryList(1);
    QTest::mouseClick(m_console->button(1), Qt::LeftButton);

    const PortFailure failure = SerialReception().receive(PlayerSlot::One).failure;
    QCOMPARE(failure.kind, PortFailure::NotSerialPort);
    const OperatorMessage message = portFailureMessage(failure);
    QCOMPARE(m_console->label(7)->toolTip(), message.whole());
    QVERIFY2(message.lines.contains(m_console->label(7)->text()),
             qPrintable(m_console->label(7)->text()));
    QVERIFY2(m_console->statusProblem().isEmpty(), qPrintable(m_console->statusProblem()));
    QCOMPARE(m_console->buttonStates(), QStringLiteral("1101100"));
    QCOMPARE(m_console->listIndexes(), (QList<int> {-1, -1, -1, 1, 1, 1, 1, 1}));
}

void tst_Form1Reception::lineHungUpDuringWait()
{
    PortFailure lineLost;
    lineLost.kind = PortFailure::LineLost;
    during({[&] { QVERIFY(line(1).deliver("12345")); },
            [&] {
                line(1).closeMaster();
            }});
    QTest::mouseClick(m_console->button(1), Qt::LeftButton);

    QCOMPARE(m_console->label(7)->text(), portFailureMessage(lineLost).lines.first());
    QVERIFY2(m_console->statusProblem().isEmpty(), qPrintable(m_console->statusProblem()));
    QCOMPARE(m_console->buttonStates(), QStringLiteral("1101100"));
    QCOMPARE(m_console->listIndexes().first(), -1);
}

void tst_Form1Reception::windowClosedDuringWait()
{
    // As in the console: the click runs inside the application's event loop, and closing
    // the last window must end the wait and let that loop return.
    WaitDriver inTheEventLoop;
    inTheEventLoop.after(0, [&] {
        during({[&] {
            m_console->form()->close();
        }});
        QTest::mouseClick(m_console->button(1), Qt::LeftButton);
    });
    QCOMPARE(QApplication::exec(), 0);
    // The close ended the wait, not the abort that during() clicks after a while.
    QVERIFY(m_console->label(7)->text() != QStringLiteral("受信中断"));
    QVERIFY(!m_console->form()->isVisible());
    QVERIFY(!m_console->port()->isOpen());
}

void tst_Form1Reception::focusDuringReception_data()
{
    QTest::addColumn<int>("portButton");
    QTest::addColumn<int>("key"); // that presses it; 0: a mouse click
    QTest::addColumn<QString>("ending"); // "received", "Enter" or "click" on 中断, "hang-up"
    QTest::addColumn<QString>("focusDuring"); // ConsoleWindow::focus
    QTest::addColumn<QString>("focusAfter");
    QTest::addColumn<QList<int>>("laterKeys"); // pressed on whatever has the focus afterwards
    QTest::addColumn<QString>("focusAtEnd"); // after the later keys

    const auto row
        = [](const char *name, int port, int key, const char *ending, const char *during,
             const char *after, const QList<int> &laterKeys = {}, const char *atEnd = nullptr) {
              QTest::newRow(name) << port << key << QString::fromLatin1(ending)
                                  << QString::fromLatin1(during) << QString::fromLatin1(after)
                                  << laterKeys << QString::fromLatin1(atEnd ? atEnd : after);
          };
    const int space = Qt::Key_Space;
    const int enter = Qt::Key_Return;
    const int letter = Qt::Key_A;
    // A reception that received leaves the focus on no control, so no key starts a new wait
    // (which would clear the lists) or types into a list.
    row("port 1 by click, received", 1, 0, "received", "Command3", "Form1");
    row("port 2 by Space, received", 2, space, "received", "Command3*", "Form1*");
    row("port 1 by click, received, Enter, Space, a letter", 1, 0, "received", "Command3", "Form1",
        {enter, space, letter});
    row("port 2 by Enter, received, a letter, Space, Enter, Tab", 2, enter, "received", "Command3*",
        "Form1*", {letter, space, enter, Qt::Key_Tab}, "Command1*");
    row("port 1 by Space, received, Space, Tab", 1, space, "received", "Command3*", "Form1*",
        {space, Qt::Key_Tab}, "Command1*");
    row("port 1 by Enter, Enter on 中断", 1, Qt::Key_Return, "Enter", "Command3*", "Command1*");
    row("port 2 by click, Enter on 中断", 2, 0, "Enter", "Command3", "Command2*");
    row("port 2 by keypad Enter, click on 中断", 2, Qt::Key_Enter, "click", "Command3*",
        "Command2*");
    row("port 1 by click, hang-up", 1, 0, "hang-up", "Command3", "Command1");
    row("port 2 by Space, hang-up", 2, space, "hang-up", "Command3*", "Command2*");
}

// The wait holds the focus on 中断, where a stray key changes nothing, and gives it back to
// the port button when it ends without a transmission.
void tst_Form1Reception::focusDuringReception()
{
    QFETCH(int, portButton);
    QFETCH(int, key);
    QFETCH(QString, ending);
    QFETCH(QString, focusDuring);
    QFETCH(QString, focusAfter);
    QFETCH(QList<int>, laterKeys);
    QFETCH(QString, focusAtEnd);

    m_console->selectInEveryList(1);
    QString focusSeen;
    during({[&] {
        focusSeen = m_console->focus();
        const QStringList before = m_console->listTexts();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_X);
        QCOMPARE(m_console->listTexts(), before);
        if (ending == QLatin1String("received")) {
            QVERIFY(line(portButton).deliver(kind0Text));
        } else if (ending == QLatin1String("Enter")) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        } else if (ending == QLatin1String("click")) {
            QTest::mouseClick(m_console->button(3), Qt::LeftButton);
        } else {
            line(portButton).closeMaster();
        }
    }});
    if (key) {
        m_console->button(portButton)->setFocus();
        QTest::keyClick(m_console->button(portButton), Qt::Key(key));
    } else {
        QTest::mouseClick(m_console->button(portButton), Qt::LeftButton);
    }

    QCOMPARE(focusSeen, focusDuring);
    QCOMPARE(m_console->focus(), focusAfter);
    QCOMPARE(m_console->buttonStates(), QStringLiteral("1101100"));

    // What the reception left is what the later keys leave: no port opened, no wait begun,
    // the decoded rows and their texts in place.
    const QList<int> picks = m_console->listIndexes();
    const QStringList shown = m_console->listTexts();
    const QString status = m_console->label(7)->text();
    for (int later : laterKeys) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(later));
        QVERIFY(!m_console->port()->isOpen());
    }
    QCOMPARE(m_console->focus(), focusAtEnd);
    QCOMPARE(m_console->listIndexes(), picks);
    QCOMPARE(m_console->listTexts(), shown);
    QCOMPARE(m_console->label(7)->text(), status);
    QCOMPARE(m_console->buttonStates(), QStringLiteral("1101100"));
}

void tst_Form1Reception::onePressOneWait_data()
{
    QTest::addColumn<int>("portButton");
    QTest::addColumn<int>("key"); // held down; 0: a double-click
    QTest::addColumn<QStringList>("events"); // the held key's, as OperatorInput's holdKey()

    const QStringList none;
    QTest::newRow("port 2 double-clicked, its device answering the greeting at once")
        << 2 << 0 << none;
    QTest::newRow("port 1 double-clicked") << 1 << 0 << none;
    // The press, the repeats after the keyboard's delay, the release.
    QTest::newRow("Enter held on port 1")
        << 1 << int(Qt::Key_Return)
        << QStringList {QStringLiteral("P0"),    QStringLiteral("R500a"), QStringLiteral("P500a"),
                        QStringLiteral("R533a"), QStringLiteral("P533a"), QStringLiteral("R566")};
    // Qt takes a repeat's release for the key's last when the press after it has not arrived
    // yet: the button clicks then, and the key, still held, goes on at 「中断」.
    QTest::newRow("Enter held on port 2, a repeat taken for the key's release")
        << 2 << int(Qt::Key_Return)
        << QStringList {QStringLiteral("P0"),    QStringLiteral("R500"),  QStringLiteral("P500"),
                        QStringLiteral("R533a"), QStringLiteral("P533a"), QStringLiteral("R566")};
    QTest::newRow("Space held on port 1, every repeat taken for a release")
        << 1 << int(Qt::Key_Space)
        << QStringList {QStringLiteral("P0"),   QStringLiteral("R500"), QStringLiteral("P500"),
                        QStringLiteral("R533"), QStringLiteral("P533"), QStringLiteral("R566")};
}

// Operators double-click buttons by habit and hold keys down: one reception all the same,
// whose rows stay.
void tst_Form1Reception::onePressOneWait()
{
    QFETCH(int, portButton);
    QFETCH(int, key);
    QFETCH(QStringList, events);

    // Each wait greets the device once as it opens the port (port 2 does; port 1 sends
    // nothing): more than one greeting is more than one wait.
    const QByteArray greeting = slotFacts(PlayerSlot(portButton)).greeting.toByteArray();
    qsizetype next = 0;
    during({[&] {
        // The rest of a held key's events, then the device's answer to the greeting.
        holdKey(Qt::Key(key), events, next);
        QCOMPARE(line(portButton).waitForBytes(greeting.size(), greeting.isEmpty() ? 0 : 2000),
                 greeting);
        QVERIFY(line(portButton).deliver(kind0Text));
    }});
    if (key) {
        m_console->button(portButton)->setFocus();
        holdKey(Qt::Key(key), events, next);
    } else {
        doubleClick(m_console->button(portButton));
    }

    QCOMPARE(m_console->label(7)->text(), QString::fromLatin1(kind0Text));
    const QList<int> decoded = portButton == 1 ? QList<int> {0, 1, 5, -1, -1, -1, -1, -1}
                                               : QList<int> {-1, -1, -1, 5, 1, 0, -1, -1};
    QCOMPARE(m_console->listIndexes(), decoded);
    QCOMPARE(m_console->buttonStates(), QStringLiteral("1101100"));
    QVERIFY(!m_console->port()->isOpen());
    // No second wait greeted the device.
    QCOMPARE(line(portButton).waitForBytes(1, 50), QByteArray());
}

QTEST_MAIN(tst_Form1Reception)
#include "tst_form1reception.moc"
