// kelmi-plain-console: start-up's floor for the benchmark. The console's window made from the
// same layout, with the same fonts and list rows, as plain Qt widgets and nothing else: no
// translations, icon, tooltips, key handling, frame style, serial port or look at the working
// folder. Started like kelmi, it reports readiness the same way (KELMI_READY_FD).
#include "StartUp.h"
#include "WindowLayout.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QWidget>

int main(int argc, char *argv[])
{
    using namespace WindowLayout;
    QApplication app(argc, argv);
    QWidget window;
    dressWindow(&window);
    QHash<QString, QWidget *> parents {{window.objectName(), &window}};
    QLabel *caption = nullptr; // the one that names the next list
    for (const Control *control : controls) {
        QWidget *parent = parents.value(QLatin1String(control->parent));
        switch (control->kind) {
        case Kind::Frame:
            parents.insert(QLatin1String(control->name), makeFrame(*control, parent));
            break;
        case Kind::Button:
            makeButton(*control, parent);
            break;
        case Kind::Caption:
            caption = makeCaption(*control, parent);
            break;
        case Kind::StatusLine:
            placed(new QLabel(parent), *control);
            break;
        case Kind::List: {
            auto *list = placed(new QComboBox(parent), *control);
            list->setEditable(true);
            list->addItems(control->rows());
            list->setCurrentIndex(-1);
            caption->setBuddy(list);
            break;
        }
        }
    }
    window.show();
    reportReadiness();
    return QApplication::exec();
}
