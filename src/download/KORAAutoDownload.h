#pragma once

#include "Controls.h"
#include "DialogWindow.h"
#include "DownloadSequence.h"
#include "DownloadView.h"

#include <functional>
#include <memory>

class Notifier;
class PartNumberRecord;
class QFont;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class UnitLink;
class UserPersist;
struct AircraftRecord;

inline const QString kReportButtonText = QStringLiteral("Report (F6)");

// The progress window of the automatic download: runs the step sequence on a 100-ms timer
// and shows its status lines, the current activity and the progress. The button cancels the
// run while it goes and closes the window once it is done.
class KORAAutoDownload : public DialogWindow, private DownloadView {
    Q_OBJECT

public:
    static constexpr int kTickEvent = 10000;
    static constexpr int kButtonEvent = 10001;
    static constexpr int kReportEvent = 10002;

    // Writes a report of the downloaded aircraft (its identifier given), asking what it needs
    // with dialogs over `parent`; the window offers "Report (F6)" only when given one.
    using ReportAction = std::function<void(QWidget* parent, const QString& aircraftId)>;

    // The run starts at once; the link, the part numbers and the notifier must outlive the
    // window. Accepted when the run reached its end, rejected when it was cancelled.
    KORAAutoDownload(UnitLink& link, const PartNumberRecord& partNumbers,
                     const AircraftRecord& record, const QFont& normalFont, const QFont& midFont,
                     UserPersist& persist, Notifier& notifier, QWidget* parent = nullptr,
                     DownloadSequence::Options options = {});
    ~KORAAutoDownload() override;

    int handleEvent(int code) override;
    // The close box and Esc act as the button.
    void reject() override;

    const DownloadSequence& sequence() const { return sequence_; }
    // Offers "Report (F6)" once a download has ended with data downloaded.
    void setReportAction(ReportAction action);
    // False when the form could not be built (already reported); no run was started then.
    bool isBuilt() const { return built_; }

private:
    // DownloadView
    void setStatusLine(int engineIndex, DownloadStepKind kind, const QString& text) override;
    void setActivity(const QString& text) override;
    void showPercent(int value) override;
    void showSeconds(int value, int maximum) override;
    void stepEnded(int engineIndex, DownloadStepKind kind, const QString& statusLine) override;
    void showNotice(const QString& text) override;
    void finished(const QString& finalText) override;

    void setBar(int value, int maximum, ProgressText text);
    void cancelRun();
    bool downloadedData() const;

    DownloadSequence sequence_;
    bool built_ = false;
    // Cancelled during a conversion: the window closes once the conversion has ended.
    bool closing_ = false;
    QTimer* timer_ = nullptr;

    QLabel* lines_[AircraftRecord::kEngineCount][DownloadSequence::kStepsPerEngine] = {};
    QLabel* activity_ = nullptr;
    QLabel* notice_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* button_ = nullptr;
    QPushButton* reportButton_ = nullptr;
    ReportAction reportAction_;
    QString aircraftId_;
};
