#include "ViewerSaveDialogs.h"

#include "ApplicationSettings.h"
#include "ChartExport.h"
#include "Controls.h"
#include "Notifier.h"
#include "PlotWindow.h"
#include "Tabulation.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>

#include <qcustomplot.h>

namespace {

constexpr QSize kSaveDialogSize(800, 480);
// The chart export's proposed name: unique to the second, so that Enter saves at once.
const QString kChartNamePattern = QStringLiteral("'chart-'yyyyMMdd-hhmmss'.png'");

QFileDialog* saveDialog(QWidget* viewer, const QString& title, const QString& filter) {
    auto* dialog = new QFileDialog(viewer, title, dataDirectory(), filter);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setOption(QFileDialog::DontConfirmOverwrite);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->resize(kSaveDialogSize);
    return dialog;
}

} // namespace

ViewerSaveDialogs::ViewerSaveDialogs(QWidget* viewer, const QFont& font, Notifier& notifier)
    : notifier_(notifier) {
    waterfall_ = saveDialog(viewer, kWaterfallExportTitle, kWaterfallExportFilter);
    applyFont(waterfall_, font);
    chart_ = saveDialog(viewer, kExportChartTitle, kExportChartFilter);
    chart_->setObjectName(QStringLiteral("ExportChartDialog"));
    // The size field below the file types.
    chartSize_ = new QLineEdit(chart_);
    chartSize_->setObjectName(QStringLiteral("P_CHART_SIZE"));
    if (auto* grid = qobject_cast<QGridLayout*>(chart_->layout())) {
        const int row = grid->rowCount();
        auto* label = new QLabel(kChartSizeLabelText, chart_);
        label->setBuddy(chartSize_);
        grid->addWidget(label, row, 0);
        grid->addWidget(chartSize_, row, 1);
    }
    applyFont(chart_, font);
}

void ViewerSaveDialogs::exportWaterfall(const PlotWindow& chart, qint32 flightNumber) {
    if (waterfall_->exec() != QDialog::Accepted || waterfall_->selectedFiles().isEmpty())
        return;
    saveChosenTextFile(
        waterfall_->selectedFiles().constFirst(), kWaterfallCsvExtension,
        waterfallCsvText(chart.view(), flightNumber, chart.xMinimum(), chart.xMaximum()),
        notifier_);
}

void ViewerSaveDialogs::exportChart(PlotWindow& chart) {
    chart_->selectFile(QDateTime::currentDateTime().toString(kChartNamePattern));
    if (chart_->exec() != QDialog::Accepted || chart_->selectedFiles().isEmpty())
        return;
    QString path = chart_->selectedFiles().constFirst();
    if (!chartFormatFor(path)) {
        const QStringList filters = kExportChartFilter.split(QStringLiteral(";;"));
        const auto filter = filters.indexOf(chart_->selectedNameFilter());
        const ChartFormat formats[] = {ChartFormat::Png, ChartFormat::Svg, ChartFormat::Pdf};
        path += chartExtension(formats[std::max<qsizetype>(0, filter)]);
    }
    const QString sizeText = chartSize_->text().trimmed();
    const std::optional<QSize> given = parseChartSize(sizeText);
    if (!sizeText.isEmpty() && !given) {
        notifier_.critical(kExportChartTitle, kBadChartSizeText.arg(sizeText));
        return;
    }
    if (const std::optional<QString> problem = outputTargetProblem(path)) {
        notifier_.critical(kExportChartTitle,
                           kExportFailedText.arg(QDir::toNativeSeparators(path), *problem));
        return;
    }
    if (QFileInfo::exists(path) &&
        !notifier_.question(kSaveToFileTitle, kOverwriteQuestionText, Notifier::DefaultAnswer::No))
        return;
    const QScreen* screen = chart.screen();
    const double pixelRatio = given || screen == nullptr ? 1.0 : screen->devicePixelRatio();
    const std::optional<QString> failure =
        writeChart(chart, path, given.value_or(chart.chart()->size()), pixelRatio);
    if (failure)
        notifier_.critical(kExportChartTitle,
                           kExportFailedText.arg(QDir::toNativeSeparators(path), *failure));
}
