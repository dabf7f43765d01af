#include "MaintenanceReportDialogs.h"

#include "ApplicationSettings.h"
#include "Controls.h"
#include "KORALib.h"
#include "MaintenanceReport.h"
#include "Notifier.h"

#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputDialog>

namespace {

constexpr QSize kSaveDialogSize(800, 480);
const QString kPdfSuffix = QStringLiteral("pdf");
// The suggested file: "<aircraft>_report_<yyyyMMdd>.pdf" in the home directory.
const QString kSuggestedNameFormat = QStringLiteral("%1_report_%2.pdf");

QString chooseTarget(QWidget* parent, const QFont& font, const QString& aircraftId) {
    const QString suggested = QDir::home().filePath(kSuggestedNameFormat.arg(
        aircraftId, QDate::currentDate().toString(QStringLiteral("yyyyMMdd"))));
    QFileDialog dialog(parent, kReportDialogTitle, suggested, kReportFileFilter);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(kPdfSuffix);
    dialog.selectFile(suggested);
    dialog.resize(kSaveDialogSize);
    applyFont(&dialog, font);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

void runMaintenanceReport(QWidget* parent, const QFont& font, Notifier& notifier) {
    const AircraftList aircraft = KORALibListAircraft();
    if (aircraft.items.isEmpty()) {
        notifier.warning(kReportDialogTitle, kNoAircraftForReportText);
        return;
    }
    QInputDialog dialog(parent);
    dialog.setWindowTitle(kReportDialogTitle);
    dialog.setLabelText(kReportAircraftLabel);
    dialog.setComboBoxItems(aircraft.items);
    dialog.setComboBoxEditable(false);
    dialog.setOption(QInputDialog::UseListViewForComboBoxItems);
    dialog.setTextValue(aircraft.items.value(std::max(0, aircraft.selectedIndex)));
    applyFont(&dialog, font);
    placeWindow(&dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.textValue().isEmpty())
        return;
    writeReportFor(parent, font, dialog.textValue(), notifier);
}

void writeReportFor(QWidget* parent, const QFont& font, const QString& aircraftId,
                    Notifier& notifier) {
    const QString path = chooseTarget(parent, font, aircraftId);
    if (path.isEmpty())
        return;
    ReportRequest request;
    request.aircraftId = aircraftId;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    QString error;
    const ReportContent content = collectReport(dataDirectory(), request);
    const bool written =
        writeMaintenanceReport(content, reportPageSize(QLocale::system()), path, &error);
    QGuiApplication::restoreOverrideCursor();
    for (const QString& warning : content.warnings)
        notifier.warning(kReportDialogTitle, warning);
    if (!written)
        notifier.critical(kReportDialogTitle, error);
}
