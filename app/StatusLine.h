#pragma once

#include <QLabel>

struct OperatorMessage;

// The status line of the reception frame: always one line, drawn whole or cut between two
// characters with "…" where it is wider than the label; the tooltip holds the whole text.
class StatusLine : public QLabel
{
    Q_OBJECT
public:
    explicit StatusLine(QWidget *parent = nullptr);

    // A text of the console's own, such as the waiting message: the same in the tooltip.
    void showText(const QString &text);
    // A failure: the fullest of its lines that fits, the whole message in the tooltip.
    void showMessage(const OperatorMessage &message);
    // Text as received, every character of it, line breaks and other control characters
    // as visible symbols; the tooltip shows its first lines the same way.
    void showReceived(const QString &text);

    // Unicode's control pictures (␀ ␍ ␊ … ␡) in place of control characters, which would
    // break the line, end it or show as nothing.
    static QString withVisibleControls(QString text);

private:
    void showLine(const QString &line, const QString &whole);
};
