#include "DeferredIconEngine.h"
#include "Form1.h"
#include "QtTranslations.h"
#include "ReadinessReport.h"
#include "Termination.h"

#include <QApplication>
#include <QIcon>

#include <csignal>

namespace {

// The icon theme's picture where the system has one (the installed Linux package), else the
// same pictures built into the program, decoded once something asks for them.
QIcon applicationIcon()
{
    const QIcon builtIn(new DeferredIconEngine([] {
        QIcon pictures;
        for (int size : {16, 24, 32, 48, 64, 128, 256}) {
            pictures.addFile(QStringLiteral(":/icons/%1x%1/io.github.kelmi.Console.png").arg(size));
        }
        return pictures;
    }));
    return QIcon::fromTheme(QStringLiteral("io.github.kelmi.Console"), builtIn);
}

} // namespace

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
    QApplication::setWindowIcon(applicationIcon());
    endOnTermination();
    Form1 form;
    form.show();
    reportReadiness();
    return app.exec();
}
