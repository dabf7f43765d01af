#pragma once

class QString;
enum class DownloadStepKind : int;

// What the automatic download shows while it runs: the progress dialog's status lines,
// "P_STATUS" and "STATUS"; brix-cli prints the lines as they end, tests record everything.
// Every call comes from the thread that ticks the sequence.
class DownloadView {
public:
    virtual ~DownloadView() = default;

    // The whole text of one status line (kind 0..4 of "G_ENGINE<engineIndex + 1>").
    virtual void setStatusLine(int engineIndex, DownloadStepKind kind, const QString& text) = 0;
    // The text of the current activity ("P_STATUS").
    virtual void setActivity(const QString& text) = 0;
    // "STATUS" in its percentage display, maximum 100.
    virtual void showPercent(int value) = 0;
    // "STATUS" in its counting display: seconds spent on an erase out of `maximum`.
    virtual void showSeconds(int value, int maximum) = 0;
    // A step has its outcome; `statusLine` is the line's final text.
    virtual void stepEnded(int engineIndex, DownloadStepKind kind, const QString& statusLine) = 0;
    // A line under the status lines, after those before it: that nothing was set to be done,
    // or the verdict on an engine that got new flights.
    virtual void showNotice(const QString& text) = 0;
    // The run reached its end (not called after a cancel); the button now reads "Done (F5)"
    // and `finalText`, also shown as the activity, says whether any step failed.
    virtual void finished(const QString& finalText) = 0;
};
