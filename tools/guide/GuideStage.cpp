#include "GuideStage.h"

#include "AircraftRecord.h"
#include "ApplicationSettings.h"
#include "BrixAircraftSettings.h"
#include "DisplayFonts.h"
#include "FixedText.h"
#include "FlightSelection.h"
#include "FormPictures.h"
#include "KORAAddAircraftDialog.h"
#include "KORAAircraftInfoDialog.h"
#include "KORAAutoDownload.h"
#include "KORALib.h"
#include "KORARemoveAircraftDialog.h"
#include "KORAWindow.h"
#include "MainWindowCodes.h"
#include "Notifier.h"
#include "Plot2D.h"
#include "RegisterEditing.h"
#include "ResourceFiles.h"
#include "Screen.h"
#include "UnitSimulator.h"
#include "UserPersist.h"
#include "ViewerEvents.h"
#include "ViewerTypes.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QProgressBar>
#include <QTabWidget>
#include <QThread>
#include <cstdio>
#include <functional>

namespace {

const QString kNotebookName = QStringLiteral("UTILITIES_NOTEBOOK");
const QString kAircraftId = QStringLiteral("F-GZLK");
const QString kShopId = QStringLiteral("TLS01");
const QString kEngineType = QStringLiteral("CFM56-7");
const char* const kSerialNumbers[] = {"874211", "874390"};
const QString kInstallationDate = QStringLiteral("12-Mar-2024");
// The flights the viewer's picture shows, from the top of the selection's list.
constexpr int kFlightsInTheViewer = 3;
constexpr QSize kViewerSize(1100, 700);
// Bounds of the waits for the program: a download of the simulated unit takes a few seconds.
constexpr int kDownloadBoundMs = 120000;
constexpr int kSettleMs = 200;
constexpr int kPollMs = 10;

// A message of the program means that it did not get where the picture needs it: the render
// fails with it. Questions are answered with their default.
class StageNotifier : public Notifier {
public:
    void critical(const QString& title, const QString& text) override { said(title, text); }
    void warning(const QString& title, const QString& text) override { said(title, text); }
    void information(const QString& title, const QString& text) override { said(title, text); }
    bool question(const QString& title, const QString& text, DefaultAnswer answer) override {
        std::fprintf(stderr, "brix-guide: answered \"%s\": %s\n", qPrintable(title.trimmed()),
                     qPrintable(text));
        return answer == DefaultAnswer::Yes;
    }
    QString firstMessage() const { return first_; }

private:
    void said(const QString& title, const QString& text) {
        if (first_.isEmpty())
            first_ = QStringLiteral("the program said \"%1\": %2").arg(title.trimmed(), text);
    }
    QString first_;
};

// Lets the program run (its timers, the link's completions) until `done` or the bound.
bool runUntil(const std::function<bool()>& done, int boundMs) {
    const QDeadlineTimer deadline(boundMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, kPollMs);
        QThread::msleep(1);
    }
    return true;
}

void settle() {
    runUntil([] { return false; }, kSettleMs);
}

// A bar that has gone a good way but not to its end.
bool showsProgress(const QWidget* window) {
    for (const QProgressBar* bar : window->findChildren<QProgressBar*>())
        if (bar->isVisible() && bar->maximum() > 0 && bar->value() * 3 >= bar->maximum() &&
            bar->value() < bar->maximum())
            return true;
    return false;
}

} // namespace

struct GuideStage::Private {
    StageNotifier notifier;
    UnitSimulator unit;
    UserPersist persist{resourcePath(kApplicationResourceRoot)};
    DisplayFonts fonts = readDisplayFonts();
    AircraftRecord record;
    // What the pre-download dialog fills in.
    AircraftRecord chosen;
    std::unique_ptr<KORAWindow> window;
    // The dialog or viewer shown last.
    std::unique_ptr<QWidget> shown;
    QImage downloadPicture;
    bool downloaded = false;
    QString errorText;

    bool fail(const QString& text) {
        if (errorText.isEmpty())
            errorText = notifier.firstMessage().isEmpty()
                            ? text
                            : QStringLiteral("%1 (%2)").arg(text, notifier.firstMessage());
        return false;
    }
    bool setUp();
    bool registerAircraft();
    QWidget* screen(int code, int page = 0);
    bool download();
    QWidget* viewer();
};

bool GuideStage::Private::setUp() {
    if (!unit.start(0))
        return fail(QStringLiteral("the simulated unit did not start: %1").arg(unit.errorString()));
    // The only unit the guide's build may talk to: the simulated one, on loopback.
    const QString dataDirectory = QDir::homePath() + QStringLiteral("/ZELK-data");
    {
        BrixAircraftSettings settings;
        settings.setValue(kIpAddressKey, QStringLiteral("127.0.0.1"));
        settings.setValue(kPortKey, unit.port());
        settings.setValue(kDataDirKey, dataDirectory);
        settings.sync();
    }
    if (!QDir().mkpath(dataDirectory))
        return fail(QStringLiteral("%1 cannot be made").arg(dataDirectory));
    setCurrentDataDirectory(dataDirectory);
    if (!registerAircraft())
        return false;
    // The utilities are shown at the administrator level: the program is started with its
    // password, the default one of a fresh home (place, level, password).
    window = std::make_unique<KORAWindow>(persist, notifier,
                                          QStringList{QStringLiteral("-x0"), QStringLiteral("-y0"),
                                                      QStringLiteral("-l1"),
                                                      QStringLiteral("-p") + kDefaultPassword});
    window->resize(kPictureMainWindowSize);
    window->show();
    settle();
    if (!window->checkCommunication())
        return fail(QStringLiteral("the simulated unit did not answer the communication check"));
    return true;
}

bool GuideStage::Private::registerAircraft() {
    if (!addEngineType(kEngineType, notifier) || !addAircraft(kAircraftId, notifier))
        return fail(QStringLiteral("the aircraft %1 could not be registered").arg(kAircraftId));
    record = KORALibReadAircraft(kAircraftId);
    writeFixedText(record.shopId, kShopId);
    for (int engine = 0; engine < AircraftRecord::kEngineCount; ++engine) {
        EngineRecord& entry = record.engines[engine];
        writeFixedText(entry.engineType, kEngineType);
        writeFixedText(entry.serialNumber, QString::fromLatin1(kSerialNumbers[engine]));
        writeFixedText(entry.installDate, kInstallationDate);
        entry.downloadBearing4 = true;
    }
    if (!KORALibWriteAircraft(kAircraftId, record))
        return fail(QStringLiteral("the aircraft %1 could not be stored").arg(kAircraftId));
    return true;
}

// A screen of the main window, shown from the main menu as the technician opens it.
QWidget* GuideStage::Private::screen(int code, int page) {
    window->handleEvent(kShowMainMenuCode);
    if (code != kShowMainMenuCode)
        window->handleEvent(code);
    if (page != 0) {
        auto* notebook = window->currentScreen()
                             ? window->currentScreen()->findChild<QTabWidget*>(kNotebookName)
                             : nullptr;
        if (notebook == nullptr || page >= notebook->count()) {
            fail(QStringLiteral("the screen has no page %1").arg(page));
            return nullptr;
        }
        notebook->setCurrentIndex(page);
    }
    settle();
    return window.get();
}

// Downloads both engines of the simulated unit as the download window does it, and pictures
// the window while the data comes in.
bool GuideStage::Private::download() {
    if (downloaded)
        return !downloadPicture.isNull();
    downloaded = true;
    KORAAutoDownload dialog(window->connection().link(), window->connection().partNumbers(), record,
                            fonts.normal, fonts.mid, persist, notifier, window.get());
    dialog.setWindowTitle(kDownloadDialogTitle.arg(kProgramTitle));
    if (!dialog.isBuilt())
        return fail(QStringLiteral("the download window could not be built"));
    // The conversion moves the bar from within one of the window's ticks: the picture is
    // taken as the bar moves.
    for (QProgressBar* bar : dialog.findChildren<QProgressBar*>())
        QObject::connect(bar, &QProgressBar::valueChanged, &dialog, [this, &dialog] {
            if (downloadPicture.isNull() && showsProgress(&dialog))
                downloadPicture = pictureOf(&dialog);
        });
    dialog.show();
    if (!runUntil([&dialog] { return !dialog.sequence().isRunning(); }, kDownloadBoundMs))
        return fail(QStringLiteral("the download of the simulated unit did not end"));
    if (downloadPicture.isNull())
        return fail(QStringLiteral("the download of the simulated unit showed no progress"));
    if (dialog.sequence().anyStepFailed())
        return fail(QStringLiteral("a step of the download of the simulated unit failed"));
    dialog.close();
    return true;
}

// The viewer on the first flights of the download, showing their spectra.
QWidget* GuideStage::Private::viewer() {
    if (!download())
        return nullptr;
    {
        BrixAircraftSettings settings;
        settings.setValue(kPlotTypeKey, valueOf(PlotType::SteadyState));
        settings.setValue(kParameterTypeKey, valueOf(ParameterType::Fft));
    }
    // The flights that the selection lists first, loaded as its OK loads them.
    const FlightSelection selection;
    QList<int> first;
    for (const FlightEntry& entry : selection.entries().mid(0, kFlightsInTheViewer))
        first.append(entry.value);
    const std::optional<QList<FlightDataElement>> flights = selection.load(first, notifier);
    if (!flights || flights->isEmpty()) {
        fail(QStringLiteral("the viewer found no flights of the download"));
        return nullptr;
    }
    auto* plot = new Plot2D(*flights, persist, fonts.normal, notifier);
    // Closed by its owner, not by itself.
    plot->setAttribute(Qt::WA_DeleteOnClose, false);
    shown.reset(plot);
    if (!plot->isBuilt()) {
        fail(QStringLiteral("the viewer could not be built"));
        return nullptr;
    }
    plot->resize(kViewerSize);
    plot->show();
    plot->handleEvent(kOpenViewerEvent);
    settle();
    return plot;
}

GuideStage::GuideStage() : d(std::make_unique<Private>()) {
    d->setUp();
}

GuideStage::~GuideStage() {
    // The dialogs belong to the main window too.
    d->shown.reset();
    d->window.reset();
    d->unit.stop();
}

QString GuideStage::errorText() const {
    if (d->errorText.isEmpty() && !d->notifier.firstMessage().isEmpty())
        return d->notifier.firstMessage();
    return d->errorText;
}

bool GuideStage::shows(const QString& reference) {
    static const QStringList shown = {QStringLiteral("MenuWindow"),
                                      QStringLiteral("AircraftInfo"),
                                      QStringLiteral("ClearData"),
                                      QStringLiteral("Utilities"),
                                      QStringLiteral("Utilities#1"),
                                      QStringLiteral("Utilities#2"),
                                      QStringLiteral("AddAircraftDialog"),
                                      QStringLiteral("RemoveAircraftDialog"),
                                      QStringLiteral("AircraftInfoDialog"),
                                      QStringLiteral("AutoDownloadDialog"),
                                      QStringLiteral("Plot2D")};
    return shown.contains(reference);
}

QImage GuideStage::picture(const QString& reference) {
    if (reference == QLatin1String("AutoDownloadDialog"))
        return d->errorText.isEmpty() && d->download() ? d->downloadPicture : QImage();
    QWidget* window = show(reference);
    return window != nullptr ? pictureOf(window) : QImage();
}

QWidget* GuideStage::show(const QString& reference) {
    d->shown.reset();
    if (!d->errorText.isEmpty())
        return nullptr;
    if (reference == QLatin1String("MenuWindow"))
        return d->screen(kShowMainMenuCode);
    if (reference == QLatin1String("AircraftInfo"))
        return d->screen(kAircraftInformationCode);
    if (reference == QLatin1String("ClearData"))
        return d->screen(kMemoryEraseCode);
    if (reference.startsWith(QLatin1String("Utilities")))
        return d->screen(kUtilitiesCode, reference.section(QLatin1Char('#'), 1).toInt());
    if (reference == QLatin1String("AddAircraftDialog"))
        d->shown = std::make_unique<KORAAddAircraftDialog>(d->fonts.normal, d->persist, d->notifier,
                                                           d->window.get());
    else if (reference == QLatin1String("RemoveAircraftDialog"))
        d->shown = std::make_unique<KORARemoveAircraftDialog>(d->fonts.normal, d->persist,
                                                              d->notifier, d->window.get());
    else if (reference == QLatin1String("AircraftInfoDialog")) {
        auto dialog = std::make_unique<KORAAircraftInfoDialog>(
            d->fonts.normal, d->chosen, d->persist, d->notifier, d->window.get());
        dialog->setWindowTitle(kDownloadDialogTitle.arg(kProgramTitle));
        d->shown = std::move(dialog);
    } else if (reference == QLatin1String("AutoDownloadDialog")) {
        d->download();
        return nullptr;
    } else if (reference == QLatin1String("Plot2D"))
        return d->viewer();
    else {
        d->fail(QStringLiteral("\"%1\" is not pictured with content").arg(reference));
        return nullptr;
    }
    return d->shown.get();
}
