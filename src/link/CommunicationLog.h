#pragma once

#include <QString>

class QDateTime;

// The communication log "brixCom.log" in the home directory: one record per status
// change of the link other than success and "working".

QString communicationLogPath();

// One record, five lines, each ending with a line feed.
QString formatLogRecord(qint64 processId, int statusCode, const QString& statusText,
                        const QDateTime& time);

// Appends a record for this process and the current local time. A log that cannot be
// opened drops the record silently. Safe to call from the worker and the GUI thread.
void logStatus(const QString& statusText, int statusCode);
