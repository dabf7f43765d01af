#pragma once

class QString;
enum class EraseKind : int;

// What the memory erase shows while it runs: the progress dialog's line items, "P_STATUS"
// and "STATUS"; brix-cli prints the lines as they end, tests record everything. Every call
// comes from the thread that ticks the sequence.
class EraseView {
public:
    virtual ~EraseView() = default;

    // The whole text of one line item (kind 0..2 of "G_ENGINE<engineIndex + 1>").
    virtual void setLine(int engineIndex, EraseKind kind, const QString& text) = 0;
    // The progress text of the running step ("P_STATUS").
    virtual void setActivity(const QString& text) = 0;
    // "STATUS" counting the seconds spent on an erase out of `maximum`.
    virtual void showSeconds(int value, int maximum) = 0;
    // "STATUS" in its percentage display, maximum 100.
    virtual void showPercent(int value) = 0;
    // A step has its outcome; `line` is the line's final text.
    virtual void stepEnded(int engineIndex, EraseKind kind, const QString& line) = 0;
    // Every step is done; "Done (F5)" may close the window now. `finalText`, also shown as
    // the progress text, says whether any step failed.
    virtual void finished(const QString& finalText) = 0;
};
