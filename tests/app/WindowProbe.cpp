#include "WindowProbe.h"

#include "FixedList.h"
#include "Form1.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSpontaneKeyEvent>
#include <QStyleOption>
#include <QTest>
#include <QTimer>

QPushButton *WindowProbe::button(int n) const
{
    return form->findChild<QPushButton *>(QStringLiteral("Command%1").arg(n));
}

FixedList *WindowProbe::list(int n) const
{
    return form->findChild<FixedList *>(QStringLiteral("Combo%1").arg(n));
}

QLabel *WindowProbe::label(int n) const
{
    return form->findChild<QLabel *>(QStringLiteral("Label%1").arg(n));
}

QString WindowProbe::buttonStates() const
{
    QString states;
    for (int n = 1; n <= 7; ++n) {
        states += button(n)->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
    }
    return states;
}

QString WindowProbe::focus() const
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

QString WindowProbe::statusProblem() const
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
    // Cut, it is the start of the tooltip's first line (a shorter form of a message shows
    // whole).
    const QString firstLine = status->toolTip().section(u'\n', 0, 0);
    if (text.endsWith(u'…') && !firstLine.startsWith(text.chopped(1))) {
        return QStringLiteral("\"%1\" is not the start of \"%2\"").arg(text, status->toolTip());
    }
    return QString();
}

void turnWheel(QWidget *widget, QPoint position, int notches)
{
    QWidget *under = widget->childAt(position);
    QWidget *receiver = under ? under : widget;
    const QPointF local = receiver->mapFrom(widget, QPointF(position));
    const QPointF global = widget->mapToGlobal(QPointF(position));
    // One event per notch, as a mouse wheel sends them.
    for (int i = 0; i < std::abs(notches); ++i) {
        QWheelEvent wheel(local, global, QPoint(), QPoint(0, notches > 0 ? 120 : -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        // Only the windowing system's events go on to the parents and move the focus by
        // policy; sendEvent() would make it an application's.
        QSpontaneKeyEvent::setSpontaneous(&wheel);
        QApplication::instance()->notify(receiver, &wheel);
    }
}

std::optional<ShownMessage> clickAndAnswer(QPushButton *button)
{
    std::optional<ShownMessage> shown;
    // The box runs its own event loop; this timer fires inside it.
    QTimer answer;
    answer.setInterval(0);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box) {
            return;
        }
        const QList<QAbstractButton *> buttons = box->buttons();
        shown = ShownMessage {
            box->windowTitle(),
            box->text(),
            box->icon(),
            int(buttons.size()),
            box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"))->font(),
            std::any_of(buttons.begin(), buttons.end(),
                        [](const QAbstractButton *b) { return !b->icon().isNull(); })};
        box->button(QMessageBox::Ok)->click();
    });
    answer.start();
    QTest::mouseClick(button, Qt::LeftButton);
    return shown;
}
