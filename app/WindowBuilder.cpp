#include "WindowBuilder.h"

#include "FixedSize.h"
#include "WindowLayout.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QPushButton>

void WindowBuilder::build(QWidget *window)
{
    using namespace WindowLayout;
    window->setObjectName(QLatin1String(windowName));
    window->setWindowTitle(windowTitle());
    window->setFixedSize(windowSize());
    keepFixedSize(window);
    window->setFont(windowFont());

    QHash<QString, QWidget *> parents {{window->objectName(), window}};
    QLabel *caption = nullptr; // the one that names the next list
    for (const Control &control : controls()) {
        QWidget *parent = parents.value(QLatin1String(control.parent));
        const QString text = QString::fromUtf16(control.caption);
        QWidget *made = nullptr;
        switch (control.kind) {
        case Kind::Frame: {
            QGroupBox *frame = makeFrame(parent);
            frame->setTitle(text);
            parents.insert(QLatin1String(control.name), frame);
            made = frame;
            break;
        }
        case Kind::Button:
            made = new QPushButton(text, parent);
            break;
        case Kind::Caption:
            caption = new QLabel(text, parent);
            // At the top of its box, clear of the list below.
            caption->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            made = caption;
            break;
        case Kind::StatusLine:
            made = makeStatusLine(parent);
            break;
        case Kind::List:
            made = makeList(control.rows(), parent);
            // It names the list for screen readers and gives the caption a focus target.
            caption->setBuddy(made);
            break;
        }
        made->setObjectName(QLatin1String(control.name));
        made->setGeometry(pixels(control.place));
        if (control.bold) {
            made->setFont(boldFont());
        }
    }
}

QGroupBox *WindowBuilder::makeFrame(QWidget *parent)
{
    return new QGroupBox(parent);
}

QComboBox *WindowBuilder::makeList(const QStringList &rows, QWidget *parent)
{
    auto *list = new QComboBox(parent);
    list->setEditable(true);
    list->addItems(rows);
    list->setCurrentIndex(-1);
    return list;
}

QLabel *WindowBuilder::makeStatusLine(QWidget *parent)
{
    return new QLabel(parent);
}
