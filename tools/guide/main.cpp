// brix-guide: renders the user guide's HTML source into the PDF that the program opens, with
// pictures of the program's windows made from its own forms, those that hold data shown at
// work with a simulated unit on loopback.
//
//   brix-guide --resources DIR SOURCE.html OUTPUT.pdf
//
// DIR holds the window-resource files (the build's bin folder). Run it on the offscreen
// platform, with QT_HASH_SEED=0 so that the same sources make the same file (the PDF writer
// writes its fonts in the order of a hash, seeded before main runs), and SOURCE_DATE_EPOCH
// for the date the file carries (doc/RenderGuide.cmake does all three); it exits with 1 and
// a message on standard error when anything is missing.
#include "FormPictures.h"
#include "GuideDocument.h"
#include "GuideStage.h"
#include "ProgramFonts.h"
#include "StoreNames.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimeZone>
#include <cstdio>

namespace {

const QString kFooterTitle = QStringLiteral("DOC-814 Rev 1  \u2014  brix User Guide");

int fail(const QString& message) {
    std::fprintf(stderr, "brix-guide: %s\n", qPrintable(message));
    return 1;
}

// The time the guide's file says it was made: SOURCE_DATE_EPOCH when the build gives one (the
// last commit's time), else the time its source was last changed; never the time of the build.
QDateTime creationStamp(const QString& sourcePath) {
    bool given = false;
    const qint64 epoch = qEnvironmentVariable("SOURCE_DATE_EPOCH").toLongLong(&given);
    if (given && epoch > 0)
        return QDateTime::fromSecsSinceEpoch(epoch, QTimeZone::utc());
    return QFileInfo(sourcePath).lastModified().toUTC();
}

bool stampFile(const QString& path, const QDateTime& stamp) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    QByteArray pdf = file.readAll();
    if (!stampCreationDate(pdf, stamp))
        return false;
    file.seek(0);
    return file.write(pdf) == pdf.size();
}

} // namespace

int main(int argc, char** argv) {
    // The pictures get twice the pixels of the screen, so that they stay sharp in print.
    qputenv("QT_SCALE_FACTOR", "2");
    // The windows in the program's default fonts, whatever the settings of whoever builds:
    // an empty home and settings folder of this run's own.
    QTemporaryDir home;
    if (!home.isValid())
        return fail(QStringLiteral("no temporary folder"));
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + QStringLiteral("/.config")));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(home.path()));
    QApplication app(argc, argv);
    // The program's faces and settings names, as it sets them at its start.
    installProgramFontSubstitutions();
    useApplicationStoreNames();

    QCommandLineParser parser;
    const QCommandLineOption resources(QStringLiteral("resources"),
                                       QStringLiteral("Folder of the window-resource files"),
                                       QStringLiteral("DIR"));
    parser.addOption(resources);
    parser.addPositionalArgument(QStringLiteral("SOURCE"), QStringLiteral("The guide's HTML"));
    parser.addPositionalArgument(QStringLiteral("OUTPUT"), QStringLiteral("The PDF to write"));
    parser.process(app);
    if (!parser.isSet(resources) || parser.positionalArguments().size() != 2)
        return fail(QStringLiteral("usage: brix-guide --resources DIR SOURCE.html OUTPUT.pdf"));
    const QString sourcePath = parser.positionalArguments().at(0);
    const QString outputPath = parser.positionalArguments().at(1);

    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("%1 cannot be read").arg(sourcePath));
    const QString html = QString::fromUtf8(source.readAll());

    FormPictures forms(parser.value(resources));
    if (!forms.errorText().isEmpty())
        return fail(forms.errorText());
    // The windows that hold data are pictured as the program shows them at work.
    GuideStage stage;
    if (!stage.errorText().isEmpty())
        return fail(stage.errorText());
    QMap<QString, QImage> pictures;
    for (const QString& reference : pictureReferences(html)) {
        const bool staged = GuideStage::shows(reference);
        const QImage picture = staged ? stage.picture(reference) : forms.picture(reference);
        if (picture.isNull())
            return fail(staged ? stage.errorText() : forms.errorText());
        pictures.insert(reference, picture);
    }
    if (!stage.errorText().isEmpty())
        return fail(stage.errorText());

    GuideDocument guide(html, pictures);
    if (!guide.writePdf(outputPath, kFooterTitle))
        return fail(guide.errorText());
    if (!stampFile(outputPath, creationStamp(sourcePath)))
        return fail(QStringLiteral("%1 cannot be given its date").arg(outputPath));
    return 0;
}
