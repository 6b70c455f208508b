#pragma once

#include <QLabel>

// The status line of the reception frame: always one line, drawn whole or cut between two
// characters with "…" where it is wider than the label; the tooltip holds the whole text.
class StatusLine : public QLabel
{
    Q_OBJECT
public:
    explicit StatusLine(QWidget *parent = nullptr);

    // A message of the console: its first line here, all of it (the hint too) in the tooltip.
    void showMessage(const QString &message);
    // Text as received, every character of it, line breaks and other control characters
    // as visible symbols; the tooltip shows it the same way.
    void showReceived(const QString &text);

private:
    void showLine(const QString &line, const QString &whole);
};
