#include "Termination.h"

#include <QApplication>

void endOnTermination()
{
    // Windows ends a session with WM_ENDSESSION, which Qt answers with aboutToQuit; the system
    // ends the process right after. The windows close then, as on a click of their close
    // button, so that a wait lets its port go first.
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit,
                     [] { QApplication::closeAllWindows(); });
}
