#include "QtMessageLog.h"

#include "Platform/Foundation/Log.h"

#include <QString>
#include <QtGlobal>

namespace platform {
namespace {

void forward(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtDebugMsg || type == QtInfoMsg) return;
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
