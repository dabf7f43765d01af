#pragma once

#include "LinkWorker.h"
#include "PartNumberRecord.h"

#include <QString>
#include <memory>
#include <optional>

class CommunicationView;
class Notifier;
class UnitLink;

inline const QString kCheckingCommunicationText = QStringLiteral("Checking communication status");
inline const QString kUnableToCommunicateText =
    QStringLiteral("Unable to communicate with the unit.  Check cabling");
inline const QString kGettingPartNumbersText = QStringLiteral("Getting Part Numbers");
inline const QString kCommunicationOkText = QStringLiteral("Communication OK!");

// A new unit address that cannot be used.
inline const QString kCommunicationsTitle = QStringLiteral("Communications");
// %1 = the longest address the request record holds.
inline const QString kAddressLengthText =
    QStringLiteral("The unit address must be 1 to %1 characters");
inline const QString kPortRangeText = QStringLiteral("The port must be a number from 1 to 65535");
// %1 = the address as given (cut for the message). The unit is reached by its address only:
// a name would be sent to a resolver, perhaps onto the network.
inline const QString kNotAnIpv4AddressText =
    QStringLiteral("The setting \"IP Address\" holds %1, which is not an IPv4 address. Correct "
                   "the address in the communication settings.");

inline constexpr int kConnectWaitMs = 2000;
inline constexpr int kPartNumbersWaitMs = 5000;
inline constexpr int kStopWaitMs = 2000;

// The program's side of the unit link: the request record, the handle of its worker and
// the unit's part numbers. The main window owns one; brix-cli too.
class UnitConnection {
public:
    UnitConnection();
    // Stops the worker, waiting at most kStopWaitMs.
    ~UnitConnection();
    UnitConnection(const UnitConnection&) = delete;
    UnitConnection& operator=(const UnitConnection&) = delete;

    UnitLink& link() { return *link_; }
    const PartNumberRecord& partNumbers() const { return partNumbers_; }
    LinkWorker& worker() { return worker_; }

    // Reads the unit's address and port from the settings into the request record. An
    // address longer than the record holds or not a dotted IPv4 address is refused with a
    // message and left empty in the record, so that nothing connects; the setting is kept
    // as it is, for the technician to correct.
    void loadAddressFromSettings(Notifier& notifier);

    // Takes a new unit address: ends the worker, so that the next check connects to the new
    // address, and saves it in the settings. An address that cannot be used (see
    // addressProblem; a port outside 1..65535) is refused with a message titled `title`, and
    // nothing is changed or stopped.
    bool applyAddress(const QString& host, const QString& port, const QString& title,
                      Notifier& notifier);

    // Makes sure a worker is running and connected, then reads the part numbers.
    bool checkCommunication(CommunicationView& view, Notifier& notifier);
    // Starts a worker when none is running and waits up to kConnectWaitMs for it to connect,
    // without reading the part numbers, so that commands sent next reach the unit. A worker
    // still connecting after the wait is told to stop: a connection made later would report
    // itself as the outcome of whatever was sent meanwhile. True when a worker is connected.
    bool ensureWorker(CommunicationView& view);
    // Sends command 1 and decodes its response into the part-number record.
    bool getPartNumbers(CommunicationView& view, Notifier& notifier);
    // Asks the worker to end and waits up to `timeoutMs`; true when it has ended.
    bool stopWorker(int timeoutMs);

private:
    // Starts a new worker and waits up to kConnectWaitMs for its connection.
    bool startWorker(CommunicationView& view);

    std::shared_ptr<UnitLink> link_;
    LinkWorker worker_;
    PartNumberRecord partNumbers_;
};

// Why a unit address given by the technician cannot be used (empty, longer than the
// request record holds, or not a dotted IPv4 address), as the message says it; nothing
// when it can.
std::optional<QString> addressProblem(const QString& host);

// A port number from text: 1..65535, surrounding blanks allowed; nothing otherwise.
std::optional<int> parsePort(const QString& text);

// Reads the response file of command 1 into `record` (zeroed first) and deletes the file.
void DecodePN(const QString& responseFile, PartNumberRecord& record, Notifier& notifier);
