// The guide's pictures of windows with content: the program at work with the simulated unit,
// as brix-guide shows it before it takes each picture.
#include "GuideStage.h"
#include "UnitSimulatorConfig.h"

#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <gtest/gtest.h>
#include <qcustomplot.h>

namespace {

QStringList listed(QWidget* window, const char* name) {
    QStringList items;
    if (auto* list = window->findChild<QListWidget*>(QLatin1String(name)))
        for (int row = 0; row < list->count(); ++row)
            items.append(list->item(row)->text().trimmed());
    return items;
}

QStringList labelTexts(QWidget* window) {
    QStringList texts;
    for (QLabel* label : window->findChildren<QLabel*>())
        if (label->isVisibleTo(window))
            texts.append(label->text().trimmed());
    return texts;
}

TEST(GuideStage, ShowsTheRegisterThePartNumbersADownloadAndASpectrum) {
    GuideStage stage;
    ASSERT_TRUE(stage.errorText().isEmpty()) << stage.errorText().toStdString();
    const QStringList aircraft{QStringLiteral("F-GZLK")};

    QWidget* screen = stage.show(QStringLiteral("AircraftInfo"));
    ASSERT_NE(screen, nullptr) << stage.errorText().toStdString();
    EXPECT_EQ(listed(screen, "TAIL_NUMBER"), aircraft);
    QWidget* dialog = stage.show(QStringLiteral("AddAircraftDialog"));
    ASSERT_NE(dialog, nullptr) << stage.errorText().toStdString();
    EXPECT_EQ(listed(dialog, "CURRENT_AIRCRAFT"), aircraft);

    // Read from the unit by the communication check.
    screen = stage.show(QStringLiteral("Utilities#2"));
    ASSERT_NE(screen, nullptr) << stage.errorText().toStdString();
    const QStringList labels = labelTexts(screen);
    for (const PartNumberField field : {PartNumberField::MainSoftware, PartNumberField::DspSoftware,
                                        PartNumberField::Configuration})
        EXPECT_TRUE(labels.contains(QString::fromLatin1(defaultPartNumbers()[int(field)])))
            << labels.join(QStringLiteral(" | ")).toStdString();

    const QImage download = stage.picture(QStringLiteral("AutoDownloadDialog"));
    EXPECT_FALSE(download.isNull()) << stage.errorText().toStdString();

    // The viewer opens on the download's flights, on their spectra.
    QWidget* viewer = stage.show(QStringLiteral("Plot2D"));
    ASSERT_NE(viewer, nullptr) << stage.errorText().toStdString();
    auto* samples = viewer->findChild<QGroupBox*>(QStringLiteral("G_SAMPLE"));
    ASSERT_NE(samples, nullptr);
    EXPECT_EQ(samples->title(), QStringLiteral("FFT: Sample Number"));
    auto* chart = viewer->findChild<QCustomPlot*>();
    ASSERT_NE(chart, nullptr);
    ASSERT_EQ(chart->graphCount(), 3);
    for (int graph = 0; graph < chart->graphCount(); ++graph)
        EXPECT_GT(chart->graph(graph)->data()->size(), 100) << "graph " << graph;
    EXPECT_TRUE(stage.errorText().isEmpty()) << stage.errorText().toStdString();
}

} // namespace
