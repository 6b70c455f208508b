#pragma once

#include <QStringList>

class QComboBox;
class QGroupBox;
class QLabel;
class QWidget;

// Makes the console's window from WindowLayout: its name, title, size and font, and every
// control named, placed and captioned on it, a caption the buddy of the list it names. Frames,
// lists and the status line are plain Qt widgets here; Form1 makes its own kinds of them.
class WindowBuilder
{
public:
    virtual ~WindowBuilder() = default;

    void build(QWidget *window);

protected:
    virtual QGroupBox *makeFrame(QWidget *parent);
    // Shows no row, as the console's lists do at start-up.
    virtual QComboBox *makeList(const QStringList &rows, QWidget *parent);
    virtual QLabel *makeStatusLine(QWidget *parent);
};
