#include "FixedList.h"
#include "OperatorInput.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

class tst_FixedList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void startsWithoutSelection();
    void typingRowTextLeavesNoSelection_data();
    void typingRowTextLeavesNoSelection();
    void typingAfterPickRemovesSelection();
    void pickingFromDropDownSelects();
    void setIndexShowsRow_data();
    void setIndexShowsRow();
    void wheelTurnsOnlyFocusedList_data();
    void wheelTurnsOnlyFocusedList();

private:
    static const QStringList rows;
    QWidget *m_window = nullptr;
    FixedList *m_list = nullptr;
    QLineEdit *m_other = nullptr;
};

namespace {
// Types text key by key, as a keyboard (or an input method) delivers Japanese text.
void type(QWidget *widget, const QString &text)
{
    for (const QChar c : text) {
        QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}
} // namespace

const QStringList tst_FixedList::rows
    = {QStringLiteral("通常"), QStringLiteral("準決勝"), QStringLiteral("決勝")};

void tst_FixedList::init()
{
    // A second control to move the focus to, as in the window.
    m_window = new QWidget;
    m_list = new FixedList(rows, m_window);
    m_other = new QLineEdit(m_window);
    m_other->move(0, 40);
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    m_list->setFocus();
    QVERIFY(m_list->hasFocus());
}

void tst_FixedList::cleanup()
{
    delete m_window;
    m_window = nullptr;
    m_list = nullptr;
}

void tst_FixedList::startsWithoutSelection()
{
    QCOMPARE(m_list->count(), 3);
    QCOMPARE(m_list->listIndex(), -1);
    QCOMPARE(m_list->currentText(), QString());
    QVERIFY(m_list->isEditable());
}

void tst_FixedList::typingRowTextLeavesNoSelection_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("finish"); // key pressed after typing, 0 for none

    QTest::newRow("row text") << QStringLiteral("決勝") << 0;
    QTest::newRow("row text, Enter") << QStringLiteral("決勝") << int(Qt::Key_Return);
    QTest::newRow("row text, keypad Enter") << QStringLiteral("準決勝") << int(Qt::Key_Enter);
    QTest::newRow("row prefix, Enter") << QStringLiteral("準") << int(Qt::Key_Return);
    QTest::newRow("new text, Enter") << QStringLiteral("予選") << int(Qt::Key_Return);
    QTest::newRow("row text, Tab away") << QStringLiteral("通常") << int(Qt::Key_Tab);
}

void tst_FixedList::typingRowTextLeavesNoSelection()
{
    QFETCH(QString, typed);
    QFETCH(int, finish);

    type(m_list, typed);
    if (finish) {
        QTest::keyClick(m_list, Qt::Key(finish));
    }
    if (finish == Qt::Key_Tab) {
        QVERIFY(!m_list->hasFocus());
    }
    QCOMPARE(m_list->listIndex(), -1);
    QCOMPARE(m_list->currentText(), typed);
    // Nothing typed ever becomes a row.
    QCOMPARE(m_list->count(), 3);
    for (int i = 0; i < rows.size(); ++i) {
        QCOMPARE(m_list->itemText(i), rows.at(i));
    }
}

void tst_FixedList::typingAfterPickRemovesSelection()
{
    m_list->setListIndex(1);
    m_list->lineEdit()->selectAll();
    type(m_list, QStringLiteral("決勝"));
    QCOMPARE(m_list->listIndex(), -1);
    QCOMPARE(m_list->currentText(), QStringLiteral("決勝"));

    // Typing in the middle keeps the cursor where the operator types.
    m_list->setListIndex(0);
    m_list->lineEdit()->setCursorPosition(1);
    QTest::keyClick(m_list, Qt::Key_X);
    QCOMPARE(m_list->listIndex(), -1);
    QCOMPARE(m_list->currentText(), QStringLiteral("通x常"));
    QCOMPARE(m_list->lineEdit()->cursorPosition(), 2);
}

void tst_FixedList::pickingFromDropDownSelects()
{
    type(m_list, QStringLiteral("abc"));
    m_list->showPopup();
    QAbstractItemView *view = m_list->view();
    QTRY_VERIFY(view->isVisible());
    const QModelIndex row = view->model()->index(2, 0);
    view->setCurrentIndex(row);
    QTest::keyClick(view, Qt::Key_Return);
    QCOMPARE(m_list->listIndex(), 2);
    QCOMPARE(m_list->currentText(), QStringLiteral("決勝"));
    QCOMPARE(m_list->count(), 3);
}

void tst_FixedList::setIndexShowsRow_data()
{
    QTest::addColumn<QString>("typed"); // into the field before; empty: row 1 picked
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("expectedIndex");
    QTest::addColumn<QString>("expectedText");

    QTest::newRow("first") << QString() << 0 << 0 << rows.at(0);
    QTest::newRow("last") << QString() << 2 << 2 << rows.at(2);
    QTest::newRow("none") << QString() << -1 << -1 << QString();
    QTest::newRow("none, over typed text") << QStringLiteral("typed") << -1 << -1 << QString();
    QTest::newRow("past the rows") << QString() << 3 << -1 << QString();
    QTest::newRow("below -1") << QString() << -5 << -1 << QString();
}

void tst_FixedList::setIndexShowsRow()
{
    QFETCH(QString, typed);
    QFETCH(int, index);
    QFETCH(int, expectedIndex);
    QFETCH(QString, expectedText);

    if (typed.isEmpty()) {
        m_list->setListIndex(1);
    }
    type(m_list, typed);
    m_list->setListIndex(index);
    QCOMPARE(m_list->listIndex(), expectedIndex);
    QCOMPARE(m_list->currentText(), expectedText);
}

void tst_FixedList::wheelTurnsOnlyFocusedList_data()
{
    QTest::addColumn<bool>("focused");
    QTest::addColumn<bool>("overArrow"); // else over the field
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("notches"); // positive: up, to earlier rows
    QTest::addColumn<int>("expected");

    QTest::newRow("unfocused, empty, two down over the field") << false << false << -1 << -2 << -1;
    QTest::newRow("unfocused, one up over the arrow") << false << true << 2 << 1 << 2;
    QTest::newRow("focused, two down over the field") << true << false << -1 << -2 << 1;
    QTest::newRow("focused, one up over the arrow") << true << true << 2 << 1 << 1;
}

void tst_FixedList::wheelTurnsOnlyFocusedList()
{
    QFETCH(bool, focused);
    QFETCH(bool, overArrow);
    QFETCH(int, index);
    QFETCH(int, notches);
    QFETCH(int, expected);

    m_list->setListIndex(index);
    QWidget *focus = focused ? static_cast<QWidget *>(m_list) : m_other;
    focus->setFocus();
    const int y = m_list->height() / 2;
    turnWheel(m_list, QPoint(overArrow ? m_list->width() - 4 : 8, y), notches);
    QCOMPARE(m_list->listIndex(), expected);
    QCOMPARE(QApplication::focusWidget(), focus);
}

QTEST_MAIN(tst_FixedList)
#include "tst_fixedlist.moc"
