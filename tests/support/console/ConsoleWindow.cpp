#include "ConsoleWindow.h"

#include "FixedList.h"
#include "Form1.h"
#include "SerialLine.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStyleOption>
#include <QTest>

ConsoleWindow::ConsoleWindow(Ports ports)
{
    if (ports == Ports::OnPseudoTerminals) {
        m_lines.emplace();
    }
}

ConsoleWindow::~ConsoleWindow() = default;

QString ConsoleWindow::setUpError() const
{
    if (!m_directory.isValid()) {
        return QStringLiteral("no scratch working directory");
    }
    if (m_lines && !m_lines->isOpen()) {
        return QStringLiteral("no pseudo-terminal: ") + m_lines->errorString();
    }
    return QString();
}

bool ConsoleWindow::showWindow()
{
    m_form = std::make_unique<Form1>();
    m_form->show();
    return QTest::qWaitForWindowActive(m_form.get());
}

SerialLine *ConsoleWindow::port() const
{
    return m_form->findChild<SerialLine *>(QStringLiteral("MSComm1"));
}

QPushButton *ConsoleWindow::button(int n) const
{
    return m_form->findChild<QPushButton *>(QStringLiteral("Command%1").arg(n));
}

FixedList *ConsoleWindow::list(int n) const
{
    return m_form->findChild<FixedList *>(QStringLiteral("Combo%1").arg(n));
}

QLabel *ConsoleWindow::label(int n) const
{
    return m_form->findChild<QLabel *>(QStringLiteral("Label%1").arg(n));
}

QList<int> ConsoleWindow::listIndexes() const
{
    QList<int> indexes;
    for (int n = 1; n <= 8; ++n) {
        indexes += list(n)->listIndex();
    }
    return indexes;
}

QStringList ConsoleWindow::listTexts() const
{
    QStringList texts;
    for (int n = 1; n <= 8; ++n) {
        texts += list(n)->currentText();
    }
    return texts;
}

void ConsoleWindow::selectInEveryList(int row) const
{
    for (int n = 1; n <= 8; ++n) {
        list(n)->setListIndex(row);
    }
}

QString ConsoleWindow::buttonStates() const
{
    QString states;
    for (int n = 1; n <= 7; ++n) {
        states += button(n)->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
    }
    return states;
}

QString ConsoleWindow::focus() const
{
    QWidget *focus = QApplication::focusWidget();
    if (!focus) {
        return QString();
    }
    QStyleOption option;
    option.initFrom(focus);
    const bool drawn
        = option.state.testFlags(QStyle::State_HasFocus | QStyle::State_KeyboardFocusChange);
    return focus->objectName() + (drawn ? QStringLiteral("*") : QString());
}

QString ConsoleWindow::statusProblem() const
{
    const QLabel *status = label(7);
    const QString text = status->text();
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Separator_Line
            || c.category() == QChar::Separator_Paragraph) {
            return QStringLiteral("U+%1 in \"%2\"")
                .arg(c.unicode(), 4, 16, QLatin1Char('0'))
                .arg(text);
        }
    }
    const int width = status->fontMetrics().horizontalAdvance(text);
    if (width > status->contentsRect().width()) {
        return QStringLiteral("\"%1\" is %2 pixels wide").arg(text).arg(width);
    }
    // Cut, it is the start of the tooltip's first sentence, which the tooltip may show on
    // several lines (a shorter form of a message shows whole).
    const QString tip = QString(status->toolTip()).remove(u'\n');
    if (text.endsWith(u'…') && !tip.startsWith(text.chopped(1))) {
        return QStringLiteral("\"%1\" is not the start of \"%2\"").arg(text, status->toolTip());
    }
    return QString();
}

void ConsoleWindow::abortWaiting() const
{
    if (button(3)->isEnabled()) {
        QTest::mouseClick(button(3), Qt::LeftButton);
    }
}
