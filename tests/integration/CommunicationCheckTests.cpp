// The communication check as the main window and brix-cli run it, against the simulated
// unit.
#include "ApplicationSettings.h"
#include "BrixAircraftSettings.h"
#include "CommunicationView.h"
#include "Protocol.h"
#include "RecordingNotifier.h"
#include "SettingsSandbox.h"
#include "UnitConnection.h"
#include "UnitLink.h"
#include "UnitSimulator.h"

#include <QElapsedTimer>
#include <QFile>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

class RecordingView : public CommunicationView {
public:
    void setStatus(const QString& text) override { statuses.append(text); }
    void clearPartNumberItems() override { ++clearedItems; }
    void setWaitCursor(bool on) override { cursor.append(on); }
    void showCommunicationFailure() override { ++failuresShown; }

    QStringList statuses;
    int clearedItems = 0;
    QList<bool> cursor;
    int failuresShown = 0;
};

class CommunicationCheck : public ::testing::Test {
protected:
    void SetUp() override {
        resetSettingsAndHome();
        ASSERT_TRUE(simulator.start());
        pointSettingsAtSimulator(simulator.port());
        connection.loadAddressFromSettings(notifier);
    }

    // The unit goes first when a test ends, so that a worker still waiting on it is released
    // at once rather than left behind.
    UnitConnection connection;
    UnitSimulator simulator;
    RecordingView view;
    RecordingNotifier notifier;
};

TEST_F(CommunicationCheck, StartsTheWorkerAndReadsThePartNumbers) {
    ASSERT_TRUE(connection.checkCommunication(view, notifier));
    EXPECT_EQ(view.statuses, QStringList({kCheckingCommunicationText, kGettingPartNumbersText,
                                          kCommunicationOkText}));
    EXPECT_EQ(view.cursor, QList<bool>({true, false}));
    EXPECT_EQ(view.failuresShown, 0);
    EXPECT_EQ(view.clearedItems, 1);
    EXPECT_TRUE(notifier.messages.isEmpty());
    EXPECT_EQ(connection.partNumbers().field(PartNumberRecord::MainSoftware), "ZK4712-SW-0305-C");
    EXPECT_EQ(connection.partNumbers().paddedField(PartNumberRecord::CmfiTable),
              "ZK4730-CF-0007  ");
    EXPECT_FALSE(QFile::exists(responseFilePath())) << "the response file is deleted";

    // A second check finds the worker connected: no connection wait, same connection.
    RecordingView again;
    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(connection.checkCommunication(again, notifier));
    EXPECT_TRUE(again.cursor.isEmpty());
    EXPECT_EQ(again.statuses.last(), kCommunicationOkText);
    EXPECT_EQ(simulator.connectionsAccepted(), 1);
    EXPECT_EQ(simulator.receivedCommands().size(), 2);
}

TEST_F(CommunicationCheck, NoUnitShowsTheFailure) {
    simulator.setRefuseConnections(true);
    // How long the failure takes is measured by bench_link_responsiveness.
    EXPECT_FALSE(connection.checkCommunication(view, notifier));
    EXPECT_EQ(view.statuses, QStringList({kCheckingCommunicationText, kUnableToCommunicateText}));
    EXPECT_EQ(view.failuresShown, 1);
    EXPECT_EQ(view.clearedItems, 1);

    // Once the unit is there, the next check starts a new worker.
    simulator.setRefuseConnections(false);
    RecordingView later;
    EXPECT_TRUE(connection.checkCommunication(later, notifier));
    EXPECT_EQ(later.statuses.last(), kCommunicationOkText);
}

TEST_F(CommunicationCheck, UnitErrorOnPartNumbersFailsTheCheck) {
    simulator.addFault({ReadPartNumbersCommand, FaultKind::AckError, 2, {}, 1});
    EXPECT_FALSE(connection.checkCommunication(view, notifier));
    EXPECT_EQ(view.failuresShown, 1);
    EXPECT_EQ(view.statuses.last(), kUnableToCommunicateText);
    EXPECT_TRUE(notifier.messages.isEmpty());
}

TEST_F(CommunicationCheck, SilentUnitFailsAfterTheWait) {
    ASSERT_TRUE(connection.checkCommunication(view, notifier));
    simulator.addFault({ReadPartNumbersCommand, FaultKind::NoAnswer, 0, {}, 1});
    RecordingView stalled;
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(connection.getPartNumbers(stalled, notifier));
    EXPECT_GE(timer.elapsed(), kPartNumbersWaitMs - 100);
    EXPECT_EQ(stalled.failuresShown, 1);
    EXPECT_EQ(stalled.statuses.last(), kUnableToCommunicateText);
}

// A bare header is an erase's answer, not the part numbers: it may be a stray one, so the
// check does not pass on it.
TEST_F(CommunicationCheck, HeaderOnlyAnswerIsNotThePartNumbers) {
    QByteArray header = QByteArray::fromHex("0000000c0000000000000000");
    simulator.addFault({ReadPartNumbersCommand, FaultKind::RawResponse, 0, header, 1});
    EXPECT_FALSE(connection.checkCommunication(view, notifier));
    EXPECT_EQ(view.statuses.last(), kUnableToCommunicateText);
    EXPECT_TRUE(notifier.messages.isEmpty());
    EXPECT_EQ(connection.partNumbers().field(PartNumberRecord::MainSoftware), QByteArray());
}

TEST_F(CommunicationCheck, StoppedWorkerIsReplacedByTheNextCheck) {
    ASSERT_TRUE(connection.checkCommunication(view, notifier));
    ASSERT_TRUE(connection.stopWorker(kStopWaitMs));
    EXPECT_EQ(connection.link().statusCode(), LinkStatusThreadExited);
    RecordingView next;
    EXPECT_TRUE(connection.checkCommunication(next, notifier));
    EXPECT_EQ(next.cursor, QList<bool>({true, false})) << "a new worker was started";
    EXPECT_EQ(simulator.connectionsAccepted(), 2);
}

TEST_F(CommunicationCheck, OverlongAddressIsRefusedAndNothingConnects) {
    BrixAircraftSettings().setValue(kIpAddressKey, QStringLiteral("127.000.000.001.example.invalid"
                                                                  "x"));
    connection.loadAddressFromSettings(notifier);
    ASSERT_EQ(notifier.messages.size(), 1);
    EXPECT_EQ(notifier.messages[0].title, QStringLiteral("Error"));
    EXPECT_TRUE(notifier.messages[0].text.contains(QStringLiteral("longer than 31 characters")));
    EXPECT_TRUE(connection.link().host().isEmpty());
    EXPECT_FALSE(connection.checkCommunication(view, notifier));
    EXPECT_EQ(simulator.connectionsAccepted(), 0);
}

class StoredAddress : public CommunicationCheck, public ::testing::WithParamInterface<QString> {};

// A stored address that is not a dotted IPv4 address is reported, kept for the technician to
// correct, and never connected to (nor looked up: a name would go to the resolver).
TEST_P(StoredAddress, ThatIsNotAnIpv4AddressIsKeptAndNothingConnects) {
    BrixAircraftSettings().setValue(kIpAddressKey, GetParam());
    connection.loadAddressFromSettings(notifier);
    EXPECT_EQ(notifier.messages,
              QList<RecordingNotifier::Message>(
                  {{QStringLiteral("critical"), QStringLiteral("Error"),
                    QStringLiteral("The setting \"IP Address\" holds %1, which is not an IPv4 "
                                   "address. Correct the address in the communication settings.")
                        .arg(GetParam())}}));
    EXPECT_TRUE(connection.link().host().isEmpty());
    EXPECT_FALSE(connection.checkCommunication(view, notifier));
    EXPECT_EQ(simulator.connectionsAccepted(), 0);
    EXPECT_EQ(BrixAircraftSettings().value(kIpAddressKey).toString(), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Addresses, StoredAddress,
                         ::testing::Values(QStringLiteral("127.0.0.999"),
                                           QStringLiteral("localhost"), QStringLiteral("127.1")),
                         [](const auto& info) { return "Row" + std::to_string(info.index); });

} // namespace

namespace {

struct PortRow {
    const char* stored; // nullptr: no such setting
    int port;           // the port taken; 0: refused, nothing connects
};

class PortSetting : public ::testing::TestWithParam<PortRow> {};

// A port outside 1..65535 is never cut into some other port; 0 and missing mean the default.
TEST_P(PortSetting, IsTakenOnlyWhenItIsAPort) {
    resetSettingsAndHome();
    {
        BrixAircraftSettings settings;
        settings.setValue(kIpAddressKey, QStringLiteral("127.0.0.1"));
        if (GetParam().stored != nullptr)
            settings.setValue(kPortKey, QString::fromLatin1(GetParam().stored));
    }
    UnitConnection connection;
    RecordingNotifier notifier;
    connection.loadAddressFromSettings(notifier);
    if (GetParam().port == 0) {
        ASSERT_EQ(notifier.messages.size(), 1);
        EXPECT_EQ(notifier.messages[0].title, QStringLiteral("Error"));
        EXPECT_EQ(notifier.messages[0].text,
                  QStringLiteral("The setting \"Port\" holds %1, which is not a port from 1 to "
                                 "65535. Correct the port in the communication settings.")
                      .arg(QString::fromLatin1(GetParam().stored)));
        EXPECT_TRUE(connection.link().host().isEmpty()) << "nothing connects";
        return;
    }
    EXPECT_TRUE(notifier.messages.isEmpty());
    EXPECT_EQ(connection.link().host(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(connection.link().port(), GetParam().port);
}

INSTANTIATE_TEST_SUITE_P(Values, PortSetting,
                         ::testing::Values(PortRow{"-1", 0}, PortRow{"70000", 0},
                                           PortRow{"99999999999", 0}, PortRow{"65536", 0},
                                           PortRow{"0", 4242}, PortRow{nullptr, 4242},
                                           PortRow{"4243", 4243}, PortRow{"65535", 65535},
                                           PortRow{"1", 1}));

} // namespace
