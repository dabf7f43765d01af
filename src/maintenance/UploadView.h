#pragma once

class QString;

// What an upload shows while it runs: the "Firmware" page's status text
// ("P_UPLOAD_PROGRESS"), its bar ("UPLOAD_PROGRESS") and part numbers, the wait cursor;
// brix-cli prints a line per packet, tests record everything. Every call comes from the
// thread that ticks the upload.
class UploadView {
public:
    virtual ~UploadView() = default;

    // "P_UPLOAD_PROGRESS".
    virtual void setStatusText(const QString& text) = 0;
    // "UPLOAD_PROGRESS": seconds spent on the packet in flight, out of `maximum`.
    virtual void setProgress(int seconds, int maximum) = 0;
    // The bar in the upload colours while an upload runs, in its default ones otherwise.
    virtual void setUploadColours(bool on) = 0;
    virtual void setWaitCursor(bool on) = 0;
    // Packet `number` (from 1) of `total` has gone out.
    virtual void packetSent(int number, int total) = 0;
    // The part numbers read back after a complete upload, each as "%16.16s" prints it; the
    // uploaded kind's is kPartNumberNotReadText when the read failed.
    virtual void showPartNumbers(const QString& mainSoftware, const QString& dspSoftware,
                                 const QString& configuration) = 0;
    // After a main-processor upload and the restart message: the program should end now.
    virtual void exitRequested() = 0;
};
