#pragma once

#include "DialogWindow.h"
#include "EraseSequence.h"
#include "EraseView.h"

#include <QFont>

class Notifier;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class UnitLink;
class UserPersist;

// The progress window of the memory erase: runs the erase sequence on a 100-ms timer and
// shows each step's line, the running step's progress text and the seconds spent. "Done (F5)"
// and F5 close it once every step is done. Closed earlier (the close box, Esc), it aborts the
// command in flight so that the link does not wait for its answer.
class KORAEraseProgress : public DialogWindow, private EraseView {
    Q_OBJECT

public:
    static constexpr int kTickEvent = 10000;
    static constexpr int kDoneEvent = 10001;

    // The run starts at once; the link must outlive the window.
    KORAEraseProgress(UnitLink& link, const EraseRequests& requests, const QFont& normalFont,
                      UserPersist& persist, Notifier& notifier, QWidget* parent = nullptr,
                      EraseTimeouts timeouts = {});
    ~KORAEraseProgress() override;

    int handleEvent(int code) override;
    void reject() override;

    const EraseSequence& sequence() const { return sequence_; }
    // False when the form could not be built (already reported); no run was started then.
    bool isBuilt() const { return built_; }

private:
    // EraseView
    void setLine(int engineIndex, EraseKind kind, const QString& text) override;
    void setActivity(const QString& text) override;
    void showSeconds(int value, int maximum) override;
    void showPercent(int value) override;
    void stepEnded(int engineIndex, EraseKind kind, const QString& line) override;
    void finished(const QString& finalText) override;

    void stopRun();

    EraseSequence sequence_;
    bool built_ = false;
    QFont lineFont_;
    QTimer* timer_ = nullptr;
    QLabel* lines_[kEraseEngineCount][kEraseKindCount] = {};
    QLabel* activity_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* done_ = nullptr;
};
