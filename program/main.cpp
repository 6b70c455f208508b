#include "Form1.h"
#include "StartUp.h"
#include "Termination.h"

#include <QApplication>

#include <csignal>

int main(int, char *argv[])
{
#ifdef SIGXFSZ
    // Past a file-size limit the system would end the console and the operator's picks with
    // it; ignored, the save fails with its message instead.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    // The console takes no arguments: Qt's own options (-reverse, -style, -qwindowgeometry
    // and the like) would alter the fixed window, so Qt sees the program's name alone.
    int argc = 1;
    QApplication app(argc, argv);
    installQtTranslations(&app);
    QApplication::setApplicationDisplayName(QStringLiteral("ケルミ"));
    // The menu entry's and icon's name, so that docks and task bars show the console's icon.
    QApplication::setDesktopFileName(QStringLiteral("io.github.kelmi.Console"));
    endOnTermination();
    Form1 form;
    form.show();
    reportReadiness();
    // X11 takes a window's icon as the window is made, and decoding its pictures then held
    // the window back. Given once the window has painted, the icon reaches the task bar a
    // moment later, and every dialog has it from the start. (Windows shows the program's own
    // icon meanwhile.)
    afterFirstPaint(&form, [] { QApplication::setWindowIcon(windowIcon()); });
    return app.exec();
}
