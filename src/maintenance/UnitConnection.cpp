#include "UnitConnection.h"

#include "ApplicationSettings.h"
#include "BrixAircraftSettings.h"
#include "CommunicationView.h"
#include "EchoedText.h"
#include "Notifier.h"
#include "Protocol.h"
#include "SocketLayer.h"
#include "UnitLink.h"

#include <QFile>

#include <optional>

namespace {

const QString kDecodeTitle = QStringLiteral("DecodePN()");
const QString kDecodeOpenFailedText = QStringLiteral("Failed to open %1 (error = %2)");
const QString kFileFormatErrorTitle = QStringLiteral("File Format Error");
const QString kFileFormatErrorText = QStringLiteral("Error decoding Part Number message");
const QString kAddressTooLongText =
    QStringLiteral("The unit address \"%1\" is longer than %2 characters. Correct the IP "
                   "address in the communication settings.");
const QString kPortOutOfRangeText =
    QStringLiteral("The setting \"%1\" holds %2, which is not a port from 1 to 65535. Correct "
                   "the port in the communication settings.");
constexpr qint64 kHighestPort = 65535;

} // namespace

UnitConnection::UnitConnection() : link_(std::make_shared<UnitLink>()) {}

UnitConnection::~UnitConnection() {
    stopWorker(kStopWaitMs);
}

bool UnitConnection::stopWorker(int timeoutMs) {
    if (!worker_.isRunning())
        return true;
    // A worker that is ending on its own at this moment never sees the request; waiting
    // for the thread rather than for its reply covers both.
    link_->requestStop();
    return worker_.waitForEnd(timeoutMs);
}

void UnitConnection::loadAddressFromSettings(Notifier& notifier) {
    BrixAircraftSettings settings;
    QString host = settings.value(kIpAddressKey, kDefaultIpAddress).toString();
    // Read wide, so that a value beyond an int is not cut into some other port. Missing and
    // non-numeric read as 0, which means the default.
    const QString storedPort = settings.value(kPortKey).toString();
    qint64 port = storedPort.trimmed().toLongLong();
    if (port == 0)
        port = kDefaultPort;
    if (host.size() > kMaxIpAddressLength) {
        notifier.critical(kErrorTitle, kAddressTooLongText.arg(
                                           echoedText(host), QString::number(kMaxIpAddressLength)));
        host.clear();
    } else if (!host.isEmpty() && !TcpSocket::isIpv4Address(host)) {
        notifier.critical(kErrorTitle, kNotAnIpv4AddressText.arg(echoedText(host)));
        host.clear();
    }
    // An empty address never connects.
    if (port < 1 || port > kHighestPort) {
        notifier.critical(kErrorTitle, kPortOutOfRangeText.arg(kPortKey, echoedText(storedPort)));
        host.clear();
        port = kDefaultPort;
    }
    link_->setAddress(host, int(port));
}

std::optional<QString> addressProblem(const QString& host) {
    if (host.isEmpty() || host.size() > kMaxIpAddressLength)
        return kAddressLengthText.arg(QString::number(kMaxIpAddressLength));
    if (!TcpSocket::isIpv4Address(host))
        return kNotAnIpv4AddressText.arg(echoedText(host));
    return std::nullopt;
}

std::optional<int> parsePort(const QString& text) {
    bool ok = false;
    const qint64 port = text.trimmed().toLongLong(&ok);
    if (!ok || port < 1 || port > kHighestPort)
        return std::nullopt;
    return int(port);
}

bool UnitConnection::applyAddress(const QString& host, const QString& port, const QString& title,
                                  Notifier& notifier) {
    const std::optional<int> number = parsePort(port);
    if (!number) {
        notifier.critical(title, kPortRangeText);
        return false;
    }
    if (const std::optional<QString> problem = addressProblem(host)) {
        notifier.critical(title, *problem);
        return false;
    }
    // The worker holds the connection to the old address; a check made while it is still
    // ending would go on using it.
    stopWorker(kStopWaitMs);
    link_->setAddress(host, *number);
    link_->resetStatus();
    BrixAircraftSettings settings;
    settings.setValue(kPortKey, *number);
    settings.setValue(kIpAddressKey, host);
    return true;
}

bool UnitConnection::checkCommunication(CommunicationView& view, Notifier& notifier) {
    link_->stopRequested = false;
    view.setStatus(kCheckingCommunicationText);
    if (worker_.isRunning() || startWorker(view))
        return getPartNumbers(view, notifier);

    view.setStatus(kUnableToCommunicateText);
    view.clearPartNumberItems();
    view.showCommunicationFailure();
    return false;
}

bool UnitConnection::ensureWorker(CommunicationView& view) {
    link_->stopRequested = false;
    if (worker_.isRunning() || startWorker(view))
        return true;
    if (worker_.isRunning())
        link_->requestStop();
    return false;
}

bool UnitConnection::startWorker(CommunicationView& view) {
    // A command or stop left signalled for an earlier worker must not start this one.
    link_->commandEvent.reset();
    link_->doneEvent.reset();
    link_->resetStatus();
    worker_.start(link_);
    view.setWaitCursor(true);
    const bool signalled = link_->waitForReport(kConnectWaitMs);
    view.setWaitCursor(false);
    return signalled && link_->statusCode() == LinkStatusThreadInitialised;
}

bool UnitConnection::getPartNumbers(CommunicationView& view, Notifier& notifier) {
    view.setStatus(kGettingPartNumbersText);
    const quint32 payload[] = {0};
    const quint64 sequence = link_->submit(ReadPartNumbersCommand, payload, sizeof payload);
    bool result = false;
    QString text = kUnableToCommunicateText;
    if (!link_->waitForCompletion(sequence, kPartNumbersWaitMs) ||
        link_->statusCode() != LinkStatusOk) {
        view.showCommunicationFailure();
    } else {
        DecodePN(link_->responseFile(), partNumbers_, notifier);
        link_->clearResponseFile();
        text = kCommunicationOkText;
        result = true;
    }
    view.clearPartNumberItems();
    view.setStatus(text);
    return result;
}

void DecodePN(const QString& responseFile, PartNumberRecord& record, Notifier& notifier) {
    record.clear();
    QFile file(responseFile);
    if (!file.open(QIODevice::ReadOnly)) {
        notifier.critical(kDecodeTitle, kDecodeOpenFailedText.arg(
                                            responseFile, QString::number(int(file.error()))));
    } else {
        char header[kResponseHeaderSize];
        if (file.read(header, sizeof header) != qint64(sizeof header) ||
            file.read(record.data(), PartNumberRecord::kSize) != PartNumberRecord::kSize)
            notifier.critical(kFileFormatErrorTitle, kFileFormatErrorText);
        file.close();
    }
    if (!responseFile.isEmpty() && QFile::exists(responseFile))
        QFile::remove(responseFile);
}
