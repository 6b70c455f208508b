// kelmi-plain-console: start-up's floor for the benchmark. The console's window built by the
// same code from the same layout, with the same fonts and list rows, as plain Qt widgets and
// nothing else: no translations, icon, tooltips, key handling, frame style, serial port or
// look at the working folder. Started like kelmi, it reports readiness the same way
// (KELMI_READY_FD).
#include "ReadinessReport.h"
#include "WindowBuilder.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    WindowBuilder().build(&window);
    window.show();
    reportReadiness();
    return QApplication::exec();
}
