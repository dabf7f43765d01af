// Feeds arbitrary bytes to the response conversion as if the unit had sent them; the
// declared size is taken from the first four bytes, as the worker does.
#include "CommunicationLog.h"
#include "Protocol.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <cstddef>
#include <cstdint>

namespace {

// The response file goes to the home directory; keep it out of the real one.
QTemporaryDir& fuzzHome() {
    static QTemporaryDir home;
    return home;
}

const bool homeRedirected = [] {
    if (fuzzHome().isValid())
        qputenv("HOME", fuzzHome().path().toLocal8Bit());
    return true;
}();

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    (void)homeRedirected;
    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer raw(&bytes);
    const quint32 declaredSize = size >= 4 ? qFromBigEndian<quint32>(data) : 0;

    // Every expected shape in turn, so that the layout checks see the same bytes too.
    static const quint32 codes[] = {0, ReadPartNumbersCommand, DownloadBearing4Command,
                                    EraseBearing4Command};
    const quint32 code = codes[(size > 4 ? data[4] : 0) % 4];
    QString responseFile;
    parseResponse(responseFile, raw, declaredSize, ResponseLayout::forCommand(code));
    if (!responseFile.isEmpty())
        QFile::remove(responseFile);
    // Rejected inputs log; keep the log from growing over a long run.
    QFile::remove(communicationLogPath());
    return 0;
}
