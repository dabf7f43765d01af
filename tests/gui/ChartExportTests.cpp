// The chart written to files: each format by its first bytes, the PNG's pixels and the PDF's
// pages, the read-out left out, and failures that leave nothing behind.
#include "ChartExport.h"
#include "PlotWindow.h"
#include "SimulatorFlights.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <qcustomplot.h>

namespace {

constexpr int kWidth = 1366;
constexpr int kHeight = 768;
// The read-out's background over a positive and a negative value.
const QColor kReadoutColours[] = {QColor(204, 204, 255), QColor(255, 255, 0)};

PlotSelection timeHistory() {
    PlotSelection selection;
    selection.plotType = PlotType::SteadyState;
    selection.parameterType = ParameterType::TimeHistory;
    return selection;
}

QByteArray head(const QString& path, int size) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(size) : QByteArray();
}

int readoutPixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixelColor(x, y) == kReadoutColours[0] ||
                     image.pixelColor(x, y) == kReadoutColours[1];
    return count;
}

class ChartExport : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        window.resize(kWidth, kHeight);
        window.show();
        window.loadView(buildPlotView(timeHistory(), flights), timeHistory());
        QCoreApplication::processEvents();
        // The read-out shown, as when the mouse rests over the chart.
        const QPoint middle = window.chart()->axisRect()->center();
        QMouseEvent move(QEvent::MouseMove, middle, window.chart()->mapToGlobal(middle),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(window.chart(), &move);
        ASSERT_TRUE(window.readoutShown());
    }
    QString path(const QString& name) const { return folder.filePath(name); }
    QStringList files() const { return QDir(folder.path()).entryList(QDir::Files); }

    QList<FlightDataElement> flights = simulatorFlights(3);
    PlotWindow window;
    QTemporaryDir folder;
};

struct FormatCase {
    const char* name;
    QByteArray magic;
};

class ChartFormats : public ChartExport, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(ChartFormats, EachExtensionWritesItsFormatThroughATemporaryName) {
    const QString file = path(QString::fromLatin1(GetParam().name));
    EXPECT_EQ(writeChart(window, file, QSize(800, 500)), std::nullopt);
    EXPECT_EQ(head(file, GetParam().magic.size()), GetParam().magic);
    // Only the renamed file is left, and the window's read-out is back.
    EXPECT_EQ(files(), QStringList({QString::fromLatin1(GetParam().name)}));
    EXPECT_TRUE(window.readoutShown());
}

INSTANTIATE_TEST_SUITE_P(Formats, ChartFormats,
                         ::testing::Values(FormatCase{"chart.png", "\x89PNG"},
                                           FormatCase{"chart.PNG", "\x89PNG"},
                                           FormatCase{"chart.svg", "<?xml"},
                                           FormatCase{"chart.pdf", "%PDF"}));

TEST_F(ChartExport, ThePngHasTheSizeTimesThePixelRatioAndNoReadout) {
    ASSERT_GT(readoutPixels(window.chart()->toPixmap(kWidth, kHeight).toImage()), 1000);
    const struct {
        QSize size;
        double ratio;
        QSize pixels;
    } cases[] = {{QSize(kWidth, kHeight), 1, QSize(kWidth, kHeight)},
                 {QSize(640, 400), 2, QSize(1280, 800)},
                 {QSize(300, 200), 1.5, QSize(450, 300)}};
    for (const auto& c : cases) {
        const QString file = path(QStringLiteral("chart.png"));
        ASSERT_EQ(writeChart(window, file, c.size, c.ratio), std::nullopt);
        const QImage image(file);
        EXPECT_EQ(image.size(), c.pixels);
        EXPECT_EQ(readoutPixels(image), 0);
    }
}

TEST_F(ChartExport, TheSvgAndThePdfAreOnePageOfVectors) {
    const QString svg = path(QStringLiteral("chart.svg"));
    ASSERT_EQ(writeChart(window, svg, QSize(kWidth, kHeight)), std::nullopt);
    QFile file(svg);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("<svg")));
    EXPECT_TRUE(text.contains(QStringLiteral("viewBox=\"0 0 1366 768\"")));

    const QString pdf = path(QStringLiteral("chart.pdf"));
    ASSERT_EQ(writeChart(window, pdf, QSize(1280, 720)), std::nullopt);
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    ASSERT_TRUE(info.waitForFinished(30000));
    const QString report = QString::fromLocal8Bit(info.readAllStandardOutput());
    EXPECT_TRUE(report.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))))
        << qPrintable(report);
    // 1280 x 720 pixels at 96 per inch are 960 x 540 points.
    EXPECT_TRUE(report.contains(QRegularExpression(QStringLiteral("Page size:\\s+960 x 540 "))))
        << qPrintable(report);
}

TEST_F(ChartExport, AFailureGivesItsReasonAndLeavesNoFile) {
    EXPECT_EQ(writeChart(window, path(QStringLiteral("chart.jpg")), QSize(400, 300)),
              kUnknownFormatReason);
    const std::optional<QString> missing =
        writeChart(window, path(QStringLiteral("none/chart.png")), QSize(400, 300));
    ASSERT_TRUE(missing.has_value());
    EXPECT_FALSE(missing->isEmpty());
    // A folder in the file's place: it stays as it was.
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("taken.pdf")));
    EXPECT_TRUE(writeChart(window, path(QStringLiteral("taken.pdf")), QSize(400, 300)));
    EXPECT_TRUE(QFileInfo(path(QStringLiteral("taken.pdf"))).isDir());
    EXPECT_TRUE(files().isEmpty()) << qPrintable(files().join(QLatin1Char(',')));
    EXPECT_TRUE(window.readoutShown());
}

TEST(ChartExportOffscreen, RenderChartDrawsTheViewWithoutShowingAWindow) {
    const QList<FlightDataElement> flights = simulatorFlights(2);
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString file = folder.filePath(QStringLiteral("chart.png"));
    ASSERT_EQ(renderChart(buildPlotView(timeHistory(), flights), timeHistory(), file,
                          QSize(kWidth, kHeight)),
              std::nullopt);
    const QImage image(file);
    EXPECT_EQ(image.size(), QSize(kWidth, kHeight));
    // The first flight's curve is drawn in its colour.
    PlotWindow reference;
    reference.loadView(buildPlotView(timeHistory(), flights), timeHistory());
    const QColor first = reference.chart()->graph(0)->pen().color();
    int curve = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            curve += image.pixelColor(x, y) == first;
    EXPECT_GT(curve, 20);
    const QWidgetList windows = QApplication::topLevelWidgets();
    EXPECT_TRUE(std::none_of(windows.cbegin(), windows.cend(),
                             [](const QWidget* widget) { return widget->isVisible(); }));
}

TEST(ChartExportSize, WidthByHeightWithinBounds) {
    const struct {
        const char* text;
        std::optional<QSize> size;
    } cases[] = {{"1366x768", QSize(1366, 768)},
                 {" 800 X 600 ", QSize(800, 600)},
                 {"16x10000", QSize(16, 10000)},
                 {"15x100", std::nullopt},
                 {"100x10001", std::nullopt},
                 {"100", std::nullopt},
                 {"-5x100", std::nullopt},
                 {"axb", std::nullopt},
                 {"", std::nullopt}};
    for (const auto& c : cases)
        EXPECT_EQ(parseChartSize(QString::fromLatin1(c.text)), c.size) << c.text;
}

} // namespace
