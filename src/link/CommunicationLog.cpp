#include "CommunicationLog.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMutex>

namespace {

// The worker and the GUI thread both log; one record must never interleave with another.
QMutex logMutex;

} // namespace

QString communicationLogPath() {
    return QDir::homePath() + QStringLiteral("/brixCom.log");
}

QString formatLogRecord(qint64 processId, int statusCode, const QString& statusText,
                        const QDateTime& time) {
    // Milliseconds without leading zeros: 7 ms reads ".7", as the log always has.
    const QString stamp = time.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")) +
                          QLatin1Char('.') + QString::number(time.time().msec());
    return QStringLiteral("Process id:   %1\n"
                          "status code:  %2\n"
                          "status msg:   %3\n"
                          "current time: %4\n"
                          "\n")
        .arg(QString::number(processId), QString::number(statusCode), statusText, stamp);
}

void logStatus(const QString& statusText, int statusCode) {
    const QByteArray record = formatLogRecord(QCoreApplication::applicationPid(), statusCode,
                                              statusText, QDateTime::currentDateTime())
                                  .toUtf8();
    QMutexLocker lock(&logMutex);
    QFile log(communicationLogPath());
    if (!log.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    log.write(record);
}
