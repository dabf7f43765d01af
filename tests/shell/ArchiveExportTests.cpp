// The archive export's core: quoting of the reported command lines, the target name, the
// archive's content for hostile folder names, failing and missing tools, and replacing or
// refusing the target.
#include "ArchiveExport.h"
#include "RecordingNotifier.h"
#include "SettingsSandbox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

using Message = RecordingNotifier::Message;

void writeFile(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The archive's member names as the system's tar lists them.
QStringList listArchive(const QString& path) {
    QProcess tar;
    tar.start(QStringLiteral("tar"),
              {QStringLiteral("--quoting-style=literal"), QStringLiteral("-tzf"), path});
    if (!tar.waitForFinished(30000) || tar.exitCode() != 0)
        return {QStringLiteral("<unreadable>")};
    QStringList names = QString::fromLocal8Bit(tar.readAllStandardOutput())
                            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    names.sort();
    return names;
}

// A program directory of its own, where a test plants a stand-in tool.
class ArchiveExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetSettingsAndHome();
        programDirectory = QDir::homePath() + QStringLiteral("/program");
        parent = QDir::homePath() + QStringLiteral("/flights");
        data = parent + QStringLiteral("/ZELK-data");
        QDir().mkpath(programDirectory);
        writeFile(data + QStringLiteral("/F-GZLK_data/engine_1/n4orig1.raw"), "raw bytes");
        writeFile(data + QStringLiteral("/SW_uploads/main.dat"), "0000ABCD\n");
    }

    // A tool that writes its arguments, one a line, beside itself, waits as long as asked,
    // explains itself in two lines on its error output and fails.
    void plantFailingTool(const QString& name, const QByteArray& wait = "0",
                          const QByteArray& firstErrorLine = "it went wrong") {
        const QString path = programDirectory + QLatin1Char('/') + name;
        writeFile(path, "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.arguments\"\nsleep " + wait +
                            "\necho '" + firstErrorLine + "' >&2\necho 'the second line' >&2" +
                            "\nexit 1\n");
        QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
    }

    QStringList toolArguments(const QString& name) const {
        return QString::fromLocal8Bit(readFile(programDirectory + QLatin1Char('/') + name +
                                               QStringLiteral(".arguments")))
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    ArchiveResult exportTo(const QString& target) {
        return exportArchive(data, target, locateArchiveTools(programDirectory), notifier);
    }

    QString programDirectory;
    QString parent;
    QString data;
    RecordingNotifier notifier;
};

} // namespace

TEST(ArchiveNames, WordsAreQuotedOnlyWhenAShellWouldReadThemOtherwise) {
    const QList<QPair<QString, QString>> cases = {
        {QStringLiteral("/tmp/qt-x1/ZELK-data.tar"), QStringLiteral("/tmp/qt-x1/ZELK-data.tar")},
        {QStringLiteral("-f"), QStringLiteral("-f")},
        {QStringLiteral("/home/a b"), QStringLiteral("'/home/a b'")},
        {QStringLiteral("$(touch x)"), QStringLiteral("'$(touch x)'")},
        {QStringLiteral("it's"), QStringLiteral("'it'\\''s'")},
        {QStringLiteral("a\"b;c"), QStringLiteral("'a\"b;c'")},
        {QStringLiteral("*"), QStringLiteral("'*'")},
        {QString(), QStringLiteral("''")},
    };
    for (const auto& [word, quoted] : cases)
        EXPECT_EQ(shellQuoted(word), quoted) << qPrintable(word);
    EXPECT_EQ(shellCommandLine(QStringLiteral("/opt/my tools/gzip"),
                               {QStringLiteral("-f"), QStringLiteral("/tmp/it's.tar")}),
              QStringLiteral("'/opt/my tools/gzip' -f '/tmp/it'\\''s.tar'"));
}

TEST(ArchiveNames, GzIsAppendedUnlessTheNameEndsInItExactly) {
    const QList<QPair<QString, QString>> cases = {
        {QStringLiteral("/b/backup"), QStringLiteral("/b/backup.gz")},
        {QStringLiteral("/b/backup.gz"), QStringLiteral("/b/backup.gz")},
        {QStringLiteral("/b/backup.GZ"), QStringLiteral("/b/backup.GZ.gz")},
        {QStringLiteral("/b/backup.tar"), QStringLiteral("/b/backup.tar.gz")},
        {QStringLiteral("/b/backup.gzip"), QStringLiteral("/b/backup.gzip.gz")},
    };
    for (const auto& [chosen, target] : cases)
        EXPECT_EQ(archiveTargetName(chosen), target);
}

TEST_F(ArchiveExportTest, HostileFolderNamesAreArchivedAndNothingIsRun) {
    parent = QDir::homePath() + QStringLiteral("/it's $(touch x) `touch y`; touch z");
    data = parent + QStringLiteral("/ZELK \"data\" $HOME");
    writeFile(data + QStringLiteral("/engine 1/n4orig1.raw"), QByteArray(4096, '\x5a'));
    // The program's index is left out of the archive; a folder of that name deeper down is not.
    writeFile(data + QStringLiteral("/.brix/index.sqlite"), "index");
    writeFile(data + QStringLiteral("/engine 1/.brix"), "kept");
    const QString target = parent + QStringLiteral("/backup");

    const ArchiveResult result = exportTo(target);
    EXPECT_TRUE(notifier.messages.isEmpty());
    ASSERT_TRUE(result.saved);
    EXPECT_EQ(result.path, target + QStringLiteral(".gz"));
    EXPECT_EQ(result.size, QFileInfo(result.path).size());
    EXPECT_EQ(listArchive(result.path),
              QStringList({QStringLiteral("ZELK \"data\" $HOME/"),
                           QStringLiteral("ZELK \"data\" $HOME/engine 1/"),
                           QStringLiteral("ZELK \"data\" $HOME/engine 1/.brix"),
                           QStringLiteral("ZELK \"data\" $HOME/engine 1/n4orig1.raw")}));
    for (const QString& folder : {QDir::currentPath(), QDir::homePath(), parent, data})
        for (const char* name : {"x", "y", "z"})
            EXPECT_FALSE(QFile::exists(folder + QLatin1Char('/') + QLatin1String(name)))
                << qPrintable(folder) << ' ' << name;
}

TEST_F(ArchiveExportTest, AFailingToolIsReportedWithItsCommandLineAndTheOldTargetStays) {
    const QString target = QDir::homePath() + QStringLiteral("/backup.gz");
    writeFile(target, "old archive");

    plantFailingTool(QStringLiteral("tar"));
    EXPECT_FALSE(exportTo(target).saved);
    const QStringList tarArguments = toolArguments(QStringLiteral("tar"));
    ASSERT_EQ(tarArguments.size(), 9);
    const QString archive = tarArguments[1];
    EXPECT_TRUE(archive.endsWith(QStringLiteral("/ZELK-data.tar")));
    EXPECT_EQ(notifier.messages,
              QList<Message>({{QStringLiteral("critical"), QStringLiteral("Error"),
                               QStringLiteral("Failed to build archive file.: %1/tar cf %2 -C %3 "
                                              "--anchored --no-wildcards "
                                              "--exclude=ZELK-data/.brix -- ZELK-data\nit went "
                                              "wrong")
                                   .arg(programDirectory, archive, parent)}}));
    // The intermediate archive's folder was private to the run and has gone with it.
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(archive).absolutePath()));

    notifier.messages.clear();
    QFile::remove(programDirectory + QStringLiteral("/tar"));
    // Only the start of a long first line is kept.
    plantFailingTool(QStringLiteral("gzip"), "0", QByteArray(300, 'x'));
    EXPECT_FALSE(exportTo(target).saved);
    const QStringList gzipArguments = toolArguments(QStringLiteral("gzip"));
    ASSERT_EQ(gzipArguments.size(), 2);
    EXPECT_TRUE(gzipArguments[1].endsWith(QStringLiteral("/ZELK-data.tar")));
    EXPECT_EQ(notifier.messages,
              QList<Message>(
                  {{QStringLiteral("critical"), QStringLiteral("Error"),
                    QStringLiteral("Failed to compress archive file.: %1/gzip -f %2\n%3")
                        .arg(programDirectory, gzipArguments[1], QString(200, QLatin1Char('x')))}}))
        << qPrintable(notifier.messages.value(0).text);
    EXPECT_EQ(readFile(target), QByteArray("old archive"));
}

TEST_F(ArchiveExportTest, EventsAreHandledAndProgressToldWhileAToolRuns) {
    plantFailingTool(QStringLiteral("tar"), "1");
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start(50);
    QList<qint64> building;
    exportArchive(data, QDir::homePath() + QStringLiteral("/backup"),
                  locateArchiveTools(programDirectory), notifier,
                  [&building](ArchiveStep step, qint64 elapsedMs) {
                      if (step == ArchiveStep::Building)
                          building.append(elapsedMs);
                  });
    EXPECT_GE(ticks, 5);
    ASSERT_GE(building.size(), 3);
    EXPECT_TRUE(std::is_sorted(building.cbegin(), building.cend()));
    EXPECT_GE(building.constLast(), 500);
    EXPECT_EQ(notifier.messages.size(), 1);
}

TEST_F(ArchiveExportTest, AToolFoundNowhereFailsItsStep) {
    const ArchiveTools tools =
        locateArchiveTools(programDirectory, {QDir::homePath() + QStringLiteral("/nowhere")});
    EXPECT_EQ(tools.tar, QStringLiteral("tar"));
    EXPECT_EQ(tools.gzip, QStringLiteral("gzip"));
    // The PATH may hold tar, so the test runs a name that no system has.
    const ArchiveTools missing{QStringLiteral("no-such-tar-program"), tools.gzip};
    EXPECT_FALSE(
        exportArchive(data, QDir::homePath() + QStringLiteral("/backup"), missing, notifier).saved);
    ASSERT_EQ(notifier.messages.size(), 1);
    const QString text = notifier.messages.constFirst().text;
    EXPECT_TRUE(text.startsWith(QStringLiteral("Failed to build archive file.: "
                                               "no-such-tar-program cf /")))
        << qPrintable(text);
    EXPECT_TRUE(text.endsWith(
        QStringLiteral(" -C %1 --anchored --no-wildcards --exclude=ZELK-data/.brix -- ZELK-data")
            .arg(parent)))
        << qPrintable(text);
    EXPECT_FALSE(QFile::exists(QDir::homePath() + QStringLiteral("/backup.gz")));
}

TEST_F(ArchiveExportTest, AnExistingTargetIsReplacedAlsoFromAnotherFileSystem) {
    const QString target = QDir::homePath() + QStringLiteral("/backup.GZ");
    const QString written = target + QStringLiteral(".gz");
    const QStringList expected = {QStringLiteral("ZELK-data/"),
                                  QStringLiteral("ZELK-data/F-GZLK_data/"),
                                  QStringLiteral("ZELK-data/F-GZLK_data/engine_1/"),
                                  QStringLiteral("ZELK-data/F-GZLK_data/engine_1/n4orig1.raw"),
                                  QStringLiteral("ZELK-data/SW_uploads/"),
                                  QStringLiteral("ZELK-data/SW_uploads/main.dat")};
    // The second run keeps its intermediate archive in memory-backed storage where there is
    // one, so that the archive has to be copied across rather than renamed.
    const QByteArray savedTemp = qgetenv("TMPDIR");
    const auto restoreTemp = qScopeGuard([&savedTemp] {
        if (savedTemp.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", savedTemp);
    });
    for (const QByteArray& temp : {savedTemp, QByteArray("/dev/shm")}) {
        if (QFileInfo(QString::fromLocal8Bit(temp)).isDir())
            qputenv("TMPDIR", temp);
        writeFile(written, "old archive");
        const ArchiveResult result = exportTo(target);
        EXPECT_TRUE(notifier.messages.isEmpty());
        ASSERT_TRUE(result.saved);
        EXPECT_EQ(result.path, written);
        EXPECT_EQ(listArchive(written), expected);
        EXPECT_FALSE(QFile::exists(target));
        // Nothing staged is left beside the target.
        EXPECT_EQ(QDir::home().entryList({QStringLiteral("backup*")}, QDir::Files),
                  QStringList({QStringLiteral("backup.GZ.gz")}));
    }
}

TEST_F(ArchiveExportTest, AnUnwritableTargetIsReportedAndLeftAsItWas) {
    // As root, permissions do not stop a write: the target's folder is a regular file, or the
    // target is a folder.
    const QString notAFolder = QDir::homePath() + QStringLiteral("/file");
    writeFile(notAFolder, "a file");
    const QString folderTarget = QDir::homePath() + QStringLiteral("/kept.gz");
    QDir().mkpath(folderTarget + QStringLiteral("/inside"));

    for (const QString& target : {notAFolder + QStringLiteral("/backup.gz"), folderTarget}) {
        notifier.messages.clear();
        EXPECT_FALSE(exportTo(target).saved);
        EXPECT_EQ(notifier.messages,
                  QList<Message>({{QStringLiteral("critical"), QStringLiteral("Error"),
                                   QStringLiteral("Failed to save archive file.: ") + target}}));
    }
    EXPECT_EQ(readFile(notAFolder), QByteArray("a file"));
    EXPECT_TRUE(QFileInfo(folderTarget + QStringLiteral("/inside")).isDir());
}

TEST_F(ArchiveExportTest, ATargetInsideTheDataDirectoryIsRefusedBeforeAnythingRuns) {
    const QString linkToData = QDir::homePath() + QStringLiteral("/shortcut");
    ASSERT_TRUE(QFile::link(data, linkToData));
    // A failing tar tells whether the export went as far as running it.
    plantFailingTool(QStringLiteral("tar"));
    const QList<QPair<QString, bool>> cases = {
        {data + QStringLiteral("/backup"), true},
        {data + QStringLiteral("/SW_uploads/backup.gz"), true},
        {data + QStringLiteral("/not yet/backup.gz"), true},
        {linkToData + QStringLiteral("/backup.gz"), true},
        {data + QStringLiteral("/../backup.gz"), false},
        {data + QStringLiteral("-old.gz"), false},
    };
    for (const auto& [target, inside] : cases) {
        SCOPED_TRACE(qPrintable(target));
        notifier.messages.clear();
        QFile::remove(programDirectory + QStringLiteral("/tar.arguments"));
        EXPECT_FALSE(exportTo(target).saved);
        ASSERT_EQ(notifier.messages.size(), 1);
        if (inside) {
            EXPECT_EQ(notifier.messages.constFirst(),
                      Message({QStringLiteral("critical"), QStringLiteral("Error"),
                               QStringLiteral("The archive cannot be saved inside the folder it "
                                              "archives: ") +
                                   data}));
            EXPECT_TRUE(toolArguments(QStringLiteral("tar")).isEmpty());
        } else {
            EXPECT_TRUE(notifier.messages.constFirst().text.startsWith(
                QStringLiteral("Failed to build archive file.: ")));
        }
    }
}

TEST_F(ArchiveExportTest, ADataDirectoryThatIsALinkIsArchivedAsItsFolderUnderTheLinksName) {
    const QString link = QDir::homePath() + QStringLiteral("/ZELK & \\ link");
    ASSERT_TRUE(QFile::link(data, link));
    writeFile(data + QStringLiteral("/.brix/index.sqlite"), "index");
    const ArchiveResult result = exportArchive(link, QDir::homePath() + QStringLiteral("/backup"),
                                               locateArchiveTools(programDirectory), notifier);
    EXPECT_TRUE(notifier.messages.isEmpty());
    ASSERT_TRUE(result.saved);
    const QString name = QStringLiteral("ZELK & \\ link");
    EXPECT_EQ(listArchive(result.path),
              QStringList({name + QStringLiteral("/"), name + QStringLiteral("/F-GZLK_data/"),
                           name + QStringLiteral("/F-GZLK_data/engine_1/"),
                           name + QStringLiteral("/F-GZLK_data/engine_1/n4orig1.raw"),
                           name + QStringLiteral("/SW_uploads/"),
                           name + QStringLiteral("/SW_uploads/main.dat")}));
}
