#include "QtMessageLog.h"

#include "Platform/Foundation/Log.h"

#include <QString>
#include <QtGlobal>

#include <cstdlib>

namespace platform {
namespace {

// Qt's X11 platform reports a broken display connection (the X server ended,
// the session logged out) with this warning and then calls exit(), which runs
// every static destructor while the window, the audio thread and Qt's own
// event reader are still alive: a crash on the way out. Every settings write
// is durable the moment it is made, so nothing is left to save; the program
// ends here with one line instead.
bool endsForLostDisplay(const QString& message) {
    if (!message.startsWith(QLatin1String("The X11 connection broke"))) return false;
    Log("The connection to the display was lost; ending");
    std::_Exit(1);
}

void forward(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtDebugMsg || type == QtInfoMsg) return;
    if (endsForLostDisplay(message)) return;
    // One line per message, whatever Qt put in it.
    QString line = message;
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    Log("Qt: " + line.toStdString());
}

}  // namespace

void QtMessageLog::install() {
    qInstallMessageHandler(forward);
}

}  // namespace platform
