#pragma once

#include "SimulatorFault.h"

#include <QByteArray>
#include <QList>
#include <QtGlobal>

#include <mutex>
#include <optional>
#include <vector>

// What the fault rows that matched one command do to it and to its answer.
class FaultEffect {
public:
    FaultEffect() = default;
    explicit FaultEffect(std::vector<SimulatorFault> rows);

    // A no-answer row: the connection reads on but neither acts nor answers any more.
    bool silencesConnection() const { return silent_; }
    // An ack-error or raw row: the command is not carried out.
    bool suppressesCommand() const { return suppressed_; }
    // The answer with the content rows applied: an ack error replaces it by a header, raw
    // bytes win over everything else, then the first block's type and the size field are
    // spoiled, the type first so that an appended block still counts in the size.
    QByteArray applyTo(QByteArray answer) const;

    // Delivery: the sum of the delays, in ms, before the first byte.
    int delayMs() const { return delayMs_; }
    // Pieces of 1 to 7 bytes, the longest of the rows' pauses apart.
    bool trickles() const { return trickled_; }
    int tricklePauseMs() const { return pauseMs_; }
    // The fewest bytes any close row lets out before the connection is closed.
    std::optional<qsizetype> closeAfterBytes() const { return closeAfter_; }

private:
    std::vector<SimulatorFault> rows_;
    bool silent_ = false;
    bool suppressed_ = false;
    int delayMs_ = 0;
    bool trickled_ = false;
    int pauseMs_ = 0;
    std::optional<qsizetype> closeAfter_;
};

// The fault table: rows added by tests or the command line, taken by the server as commands
// arrive. Thread-safe.
class FaultInjector {
public:
    // A row that affects no command (`times` 0) is not added.
    void add(const SimulatorFault& fault);
    void clear();
    QList<SimulatorFault> rows() const;

    // The effect of the rows that apply to one received command. A row for another command
    // is left alone; one still letting commands through counts one down and stays out of
    // the effect; the others count one use down, and a used-up row leaves the table.
    FaultEffect take(quint32 code);

private:
    mutable std::mutex mutex_;
    QList<SimulatorFault> rows_;
};
