#include "StatusLine.h"

#include "OperatorMessages.h"
#include "TextLines.h"

#include <algorithm>

namespace {

const int receivedTipLines = 4;

} // namespace

QString StatusLine::withVisibleControls(QString text)
{
    for (QChar &c : text) {
        if (c.unicode() < 0x20) {
            c = QChar(char16_t(u'␀' + c.unicode()));
        } else if (c.unicode() == 0x7F) {
            c = QChar(u'␡');
        }
    }
    return text;
}

StatusLine::StatusLine(QWidget *parent)
    : QLabel(parent)
{
    // Received bytes are shown as they came, never interpreted as markup.
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setAutoFillBackground(true);
    QPalette status = palette();
    // The application-workspace colour behind highlighted-text coloured letters;
    // Qt draws workspaces (QMdiArea) in the Dark role.
    status.setColor(QPalette::Window, status.color(QPalette::Dark));
    status.setColor(QPalette::WindowText, status.color(QPalette::HighlightedText));
    setPalette(status);
}

void StatusLine::showText(const QString &text)
{
    showLine(text, text);
}

void StatusLine::showMessage(const OperatorMessage &message)
{
    // A device's or a program's name may hold anything, control characters too.
    QStringList lines;
    for (const QString &line : message.lines) {
        lines += withVisibleControls(line);
    }
    const auto fits = [this](const QString &line) {
        return fontMetrics().horizontalAdvance(line) <= contentsRect().width();
    };
    const auto fitting = std::find_if(lines.begin(), lines.end(), fits);
    showLine(fitting != lines.end() ? *fitting : lines.last(), message.whole());
}

void StatusLine::showReceived(const QString &text)
{
    const QString shown = withVisibleControls(text);
    // A device that floods the line sends thousands of characters: the tooltip shows the
    // first of them, enough to tell what came, and leaves the window in sight.
    showLine(shown, firstLines(shown, receivedTipLines));
}

void StatusLine::showLine(const QString &line, const QString &whole)
{
    // The label's size and font are fixed for the run, so the cut is made once, here.
    setText(fontMetrics().elidedText(line, Qt::ElideRight, contentsRect().width()));
    setToolTip(whole);
}
