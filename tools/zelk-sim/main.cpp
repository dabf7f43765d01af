// zelk-sim: the simulated unit as a program of its own, for scripts, the demo and the
// end-to-end tests. It prints one line with its port when it is ready and serves until it
// gets SIGINT or SIGTERM.
#include "SimulatorCommandLine.h"
#include "UnitSimulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <pthread.h>

namespace {

constexpr int kUsageError = 2;
constexpr int kStartFailure = 1;

int usageError(const QString& message) {
    std::fprintf(stderr, "zelk-sim: %s\n", qPrintable(message));
    return kUsageError;
}

} // namespace

int main(int argc, char** argv) {
    // Blocked before any thread starts, so that only the wait below takes these signals.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zelk-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Simulates a ZELK unit on loopback.\n"
                       "Fault: CODE:KIND[:ARG[:TIMES[:AFTER]]], CODE a command code or 'any', "
                       "KIND one of ack (ARG = ack value, default 1), size (declared size, "
                       "default 16777216), blocktype (default 4), raw (ARG = hex bytes sent "
                       "instead), delay (ms, default 1000), silent, close (after ARG bytes), "
                       "trickle (ARG = ms between pieces); TIMES a count or 'always'; AFTER "
                       "the matching commands let through first.\n"
                       "Uploads: the hexadecimal digits of the first 8 bytes of an uploaded "
                       "image become the part number of its kind.\n"
                       "Bearing defect: from flight slot FIRST_SLOT on, the outer race of "
                       "engine ENGINE's bearing wears, more with every slot. The bearing, as "
                       "brix-cli aircraft bearing takes it: %1.")
            .arg(simulatedBearingText()));
    parser.addHelpOption();
    const QCommandLineOption listen(
        QStringLiteral("listen"), QStringLiteral("Address to listen on; PORT 0 picks a free one."),
        QStringLiteral("127.0.0.1:PORT"));
    const QCommandLineOption seed(QStringLiteral("seed"),
                                  QStringLiteral("Seed of the recorded data (default 4242)."),
                                  QStringLiteral("N"));
    const QCommandLineOption fault(QStringLiteral("fault"),
                                   QStringLiteral("Adds a fault row; may be repeated."),
                                   QStringLiteral("CODE:KIND[:ARG[:TIMES[:AFTER]]]"));
    const QCommandLineOption partNumber(
        QStringLiteral("part-number"),
        QStringLiteral("Sets a part number: boot-main, main-software, boot-dsp, dsp-software "
                       "or configuration."),
        QStringLiteral("FIELD=TEXT"));
    const QCommandLineOption emptySlots(QStringLiteral("empty-slots"),
                                        QStringLiteral("Flight slots holding no flight."),
                                        QStringLiteral("LIST"));
    const QCommandLineOption postDefectSlots(
        QStringLiteral("post-defect-slots"),
        QStringLiteral("Flight slots in the post-defect memory."), QStringLiteral("LIST"));
    const QCommandLineOption negativeValues(QStringLiteral("negative-values"),
                                            QStringLiteral("Records a few negative amplitudes."));
    const QCommandLineOption bearingDefect(
        QStringLiteral("bearing-defect"),
        QStringLiteral("Wears the outer race of an engine's bearing from a flight slot on."),
        QStringLiteral("ENGINE:FIRST_SLOT"));
    const QCommandLineOption refuse(QStringLiteral("refuse-connections"),
                                    QStringLiteral("Starts without accepting connections."));
    parser.addOptions({listen, seed, fault, partNumber, emptySlots, postDefectSlots, negativeValues,
                       bearingDefect, refuse});

    if (!parser.parse(QCoreApplication::arguments()))
        return usageError(parser.errorText());
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (!parser.positionalArguments().isEmpty())
        return usageError(QStringLiteral("unexpected argument '%1'")
                              .arg(parser.positionalArguments().constFirst()));
    if (!parser.isSet(listen))
        return usageError(QStringLiteral("--listen 127.0.0.1:PORT is required"));

    QString error;
    const std::optional<quint16> port = parseListenAddress(parser.value(listen), &error);
    if (!port)
        return usageError(error);

    UnitSimulatorConfig config;
    if (parser.isSet(seed)) {
        bool ok = false;
        config.seed = parser.value(seed).toULongLong(&ok);
        if (!ok)
            return usageError(QStringLiteral("bad seed '%1'").arg(parser.value(seed)));
    }
    for (const QString& text : parser.values(partNumber)) {
        const auto parsed = parsePartNumberOption(text, &error);
        if (!parsed)
            return usageError(error);
        config.partNumbers[size_t(parsed->first)] = parsed->second;
    }
    if (parser.isSet(emptySlots)) {
        const auto slotList = parseSlotList(parser.value(emptySlots), &error);
        if (!slotList)
            return usageError(error);
        config.emptySlots = *slotList;
    }
    if (parser.isSet(postDefectSlots)) {
        const auto slotList = parseSlotList(parser.value(postDefectSlots), &error);
        if (!slotList)
            return usageError(error);
        config.postDefectSlots = *slotList;
    }
    config.negativeValues = parser.isSet(negativeValues);
    if (parser.isSet(bearingDefect)) {
        config.bearingDefect = parseBearingDefectOption(parser.value(bearingDefect), &error);
        if (!config.bearingDefect)
            return usageError(error);
    }

    UnitSimulator simulator(config);
    for (const QString& text : parser.values(fault)) {
        const std::optional<SimulatorFault> row = parseFaultOption(text, &error);
        if (!row)
            return usageError(error);
        simulator.addFault(*row);
    }
    simulator.setRefuseConnections(parser.isSet(refuse));
    if (!simulator.start(*port)) {
        std::fprintf(stderr, "zelk-sim: cannot listen: %s\n", qPrintable(simulator.errorString()));
        return kStartFailure;
    }
    std::printf("zelk-sim listening on 127.0.0.1:%u\n", unsigned(simulator.port()));
    std::fflush(stdout);

    int received = 0;
    while (sigwait(&stopSignals, &received) != 0) {
    }
    simulator.stop();
    return 0;
}
