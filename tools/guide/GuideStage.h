#pragma once

#include <QImage>
#include <QString>

#include <memory>

class QWidget;

// The program as a technician sees it, for the guide's pictures of windows with content: a
// simulated unit on loopback (an ephemeral port of 127.0.0.1, which the settings of this
// process's own home point at), an aircraft in the register, the unit's part numbers read by
// a communication check, a download of the simulated unit's flights in progress and, once it
// has ended, a spectrum of those flights in the viewer. The window-resource files must be
// open and the home must be a fresh one of the process's own.
class GuideStage {
public:
    GuideStage();
    ~GuideStage();
    GuideStage(const GuideStage&) = delete;
    GuideStage& operator=(const GuideStage&) = delete;

    // Empty while the stage is set and the program has said nothing; what went wrong (or the
    // first message the program showed) otherwise.
    QString errorText() const;

    // Whether the stage pictures `reference` ("AircraftInfo", "Utilities#2", "Plot2D", ...);
    // the others are pictured as their bare forms.
    static bool shows(const QString& reference);
    // The picture of a reference that the stage shows; a null image with errorText() when the
    // program did not get there (the unit did not answer, the download did not run, ...).
    QImage picture(const QString& reference);
    // The window that picture() takes for `reference`, shown as the program shows it, until
    // the next call; nullptr with errorText() when the program did not get there. The download
    // window, pictured while the download runs, is gone by the time it ends: nullptr.
    QWidget* show(const QString& reference);

private:
    struct Private;
    std::unique_ptr<Private> d;
};
