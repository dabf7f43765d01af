#include "UnitResponses.h"

#include <QtEndian>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <numbers>

namespace unit_responses {

namespace {

enum BlockType : quint32 { ByteBlock = 0, Word16Block = 1, Word32Block = 2, RealBlock = 3 };

// splitmix64: tiny, and gives the same sequence with every compiler and library, which the
// standard distributions do not promise.
class Random {
public:
    explicit Random(quint64 seed) : state_(seed) {}
    quint64 next() {
        quint64 z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    double uniform() { return double(next() >> 11) * 0x1.0p-53; }
    double between(double low, double high) { return low + (high - low) * uniform(); }
    int below(int bound) { return int(next() % quint64(bound)); }

private:
    quint64 state_;
};

quint64 mixSeed(quint64 seed, quint64 a, quint64 b) {
    return Random(seed ^ (a * 0x100000001B3ULL) ^ (b << 40)).next();
}

void put32(char* at, quint32 value) {
    qToBigEndian(value, at);
}
void putReal(char* at, float value) {
    put32(at, std::bit_cast<quint32>(value));
}
void putBlockHeader(char* at, quint32 type, quint32 byteCount) {
    put32(at, type);
    put32(at + 4, byteCount);
}

// Writes the block headers of one flight block; the data is left as it is (zero when the
// slot is empty). Walking blocks from the flight's start meets exactly these headers:
//   flight header        type 2,   28 bytes  (7 words; flight number, value, memory last)
//   26 x steady bin:     type 3,   52 bytes  (13 reals)
//                        type 1, 2048 bytes  (1024 samples)
//   4 x phase:           type 3,   24 bytes  (6 reals)
//       10 x sample:     type 3,   28 bytes  (7 reals)
//                        type 1, 2048 bytes  (1024 samples)
//   trailer              type 0,    4 bytes  (the 12 unused bytes of the flight block)
void putFlightBlockHeaders(char* flight) {
    putBlockHeader(flight, Word32Block, kFlightHeaderSize - kBlockHeaderSize);
    for (int bin = 0; bin < kBinCount; ++bin) {
        char* at = flight + kFlightHeaderSize + bin * kBinSize;
        putBlockHeader(at, RealBlock, 4 * kBinFloatCount);
        putBlockHeader(at + kBinSamplesHeaderOffset, Word16Block, 2 * kTimeRecordLength);
    }
    for (int phase = 0; phase < kPhaseCount; ++phase) {
        char* at = flight + kPhasesOffset + phase * kPhaseSize;
        putBlockHeader(at, RealBlock, 4 * kPhaseFloatCount);
        for (int sample = 0; sample < kTransientSampleCount; ++sample) {
            char* s = at + kTransientSamplesOffset + sample * kTransientSampleSize;
            putBlockHeader(s, RealBlock, 4 * kTransientFloatCount);
            putBlockHeader(s + kTransientSamplesHeaderOffset, Word16Block, 2 * kTimeRecordLength);
        }
    }
    putBlockHeader(flight + kFlightTrailerOffset, ByteBlock, 4);
}

struct FlightValues {
    float a4r, tr4r, n1, n2, cn1, cn2, cdn;
};

// The unit samples its accelerometer at 9765.625 Hz; a count is 200/65535 G (±100 G over
// the 16 bits).
constexpr double kSampleRateHz = 9765.625;
constexpr double kCountsPerG = 65535.0 / 200.0;

// Broadband noise: every spectrum line from 3 (29 Hz) to 420 (4 kHz) at one amplitude, each
// line a quarter turn ahead of or behind the one below it at random. Neighbouring lines of
// that kind add no cross terms to a Hann-windowed spectrum, so the noise floor any few lines
// show is nearly the same from record to record, while the waveform stays noise-like. Nothing lies
// near 0 Hz or near half the sample rate. A handful of such records is made once per engine; each
// time record takes one of them, possibly reversed, negated or shifted by half a record (none of
// which changes its windowed spectrum).
class NoiseBank {
public:
    static constexpr int kLowestLine = 3;
    static constexpr int kHighestLine = 420;
    static constexpr double kRmsG = 0.04;

    explicit NoiseBank(quint64 seed) {
        std::array<double, kTimeRecordLength> cosine{};
        for (int i = 0; i < kTimeRecordLength; ++i)
            cosine[size_t(i)] = std::cos(2 * std::numbers::pi * i / kTimeRecordLength);
        constexpr int lines = kHighestLine - kLowestLine + 1;
        const double lineAmplitude = kRmsG * std::sqrt(2.0 / lines);
        constexpr int quarter = kTimeRecordLength / 4;
        Random random(seed);
        for (auto& record : records_) {
            int quarters = random.below(4);
            for (int k = kLowestLine; k <= kHighestLine; ++k) {
                quarters += random.below(2) == 0 ? 1 : 3;
                for (int n = 0; n < kTimeRecordLength; ++n)
                    record[size_t(n)] +=
                        lineAmplitude *
                        cosine[size_t((k * n + quarters * quarter) % kTimeRecordLength)];
            }
        }
    }

    void addTo(double* values, Random& random) const {
        const auto& record = records_[size_t(random.below(int(records_.size())))];
        const int direction = random.below(2) == 0 ? 1 : -1;
        const int shift = random.below(2) * kTimeRecordLength / 2;
        const double sign = random.below(2) == 0 ? 1.0 : -1.0;
        for (int n = 0; n < kTimeRecordLength; ++n)
            values[n] +=
                sign *
                record[size_t((direction * n + shift + kTimeRecordLength) % kTimeRecordLength)];
    }

private:
    std::array<std::array<double, kTimeRecordLength>, 16> records_{};
};

// The outer-race defect of one flight: every time a rolling element passes the damaged spot
// (at the bearing's outer-race frequency of the shaft speed), a burst ringing at 2 kHz that
// rises and dies away within a millisecond, of a strength that varies from pass to pass.
struct DefectRinging {
    static constexpr double kRingHz = 2000.0;
    static constexpr double kWidthSeconds = 0.25e-3;
    // Mean peak of a burst in the defect's first flight slot, and its growth per slot after.
    static constexpr double kFirstPeakG = 0.12;
    static constexpr double kGrowthPerSlot = 1.35;

    double meanPeakG = 0;

    void addTo(double* values, Random& random, double shaftRpm) const {
        const double passHz = bearingFrequencies(kSimulatedBearing, shaftRpm / 60).outerRace;
        if (!(passHz > 0))
            return;
        const double period = kSampleRateHz / passHz; // in samples
        const double width = kWidthSeconds * kSampleRateHz;
        const double ring = 2 * std::numbers::pi * kRingHz / kSampleRateHz;
        const int reach = int(std::ceil(4 * width));
        for (double at = -random.between(0, period); at < kTimeRecordLength + reach; at += period) {
            // Exponentially distributed strengths (mean 1): most passes knock lightly, a few
            // hard, as a spall does.
            const double peak = meanPeakG * -std::log(1.0 - random.uniform());
            const int first = std::max(0, int(std::ceil(at - reach)));
            const int last = std::min(kTimeRecordLength - 1, int(std::floor(at + reach)));
            for (int n = first; n <= last; ++n) {
                const double t = (n - at) / width;
                values[n] += peak * std::exp(-0.5 * t * t) * std::sin(ring * (n - at));
            }
        }
    }
};

// What one flight's time records hold beyond their bin's values: the engine's noise and any
// bearing defect, which draws from a sequence of its own so that every other value of the
// flight is the same with and without it.
struct RecordSources {
    const NoiseBank& noise;
    std::optional<DefectRinging> defect;
    Random defectRandom;
};

// One acceleration time record in counts: tones at 1x and 2x N1 and at 1x N2 (the 1x tones
// of amplitudes CN1 and CN2, in G), the engine's noise and any bearing defect.
void putTimeRecord(char* at, Random& random, const FlightValues& v, RecordSources& sources) {
    std::array<double, kTimeRecordLength> values{};
    const double w1 = 2 * std::numbers::pi * (double(v.n1) / 60) / kSampleRateHz;
    const double w2 = 2 * std::numbers::pi * (double(v.n2) / 60) / kSampleRateHz;
    const double a1 = v.cn1;
    const double a2 = 0.4 * a1;
    const double a3 = v.cn2;
    const double p1 = random.between(0, 2 * std::numbers::pi);
    const double p2 = random.between(0, 2 * std::numbers::pi);
    const double p3 = random.between(0, 2 * std::numbers::pi);
    for (int i = 0; i < kTimeRecordLength; ++i)
        values[size_t(i)] = a1 * std::sin(w1 * i + p1) + a2 * std::sin(2 * w1 * i + p2) +
                            a3 * std::sin(w2 * i + p3);
    sources.noise.addTo(values.data(), random);
    if (sources.defect)
        sources.defect->addTo(values.data(), sources.defectRandom,
                              kSimulatedBearing.shaft == BearingShaft::N2 ? v.n2 : v.n1);
    for (int i = 0; i < kTimeRecordLength; ++i) {
        const auto sample =
            qint16(std::clamp(std::lround(values[size_t(i)] * kCountsPerG), -32768L, 32767L));
        qToBigEndian(sample, at + 2 * i);
    }
}

struct EngineTotals {
    quint32 flights;
    quint32 hours;
    quint32 minutes;
    quint32 unitValue;
    quint32 currentAlarm;
    quint32 historicAlarm;
};

EngineTotals engineTotals(int engine, quint64 seed) {
    Random random(mixSeed(seed, quint64(engine), 0xE0));
    EngineTotals totals{};
    totals.flights = 2500 + quint32(random.below(5000));
    totals.hours = quint32(totals.flights * random.between(1.4, 2.6));
    totals.minutes = quint32(random.below(60));
    totals.unitValue = 1000 + quint32(random.below(9000));
    totals.currentAlarm = quint32(random.below(3));
    totals.historicAlarm = totals.currentAlarm + quint32(random.below(2));
    return totals;
}

// The values at a power setting from 0 (ground idle) to 1 (take-off). N2 follows N1 over its
// own range, so that it stays well above twice N1 and their lines never meet. CN1 and CN2
// are the amplitudes in G of the N1 and N2 tones of the time record.
FlightValues shaftValues(Random& random, double power, double severity) {
    FlightValues v{};
    const double n1 =
        std::clamp(kN1MinRpm + (kN1MaxRpm - kN1MinRpm) * power + random.between(-40.0, 40.0),
                   kN1MinRpm, kN1MaxRpm);
    const double n1Fraction = (n1 - kN1MinRpm) / (kN1MaxRpm - kN1MinRpm);
    v.n1 = float(n1);
    v.n2 = float(
        std::clamp(kN2MinRpm + (kN2MaxRpm - kN2MinRpm) * n1Fraction + random.between(-120.0, 120.0),
                   kN2MinRpm, kN2MaxRpm));
    const double load = 0.2 + 0.8 * n1Fraction;
    v.a4r = float(severity * (0.3 + 3.2 * load) * random.between(0.85, 1.15));
    v.tr4r = float(v.a4r * random.between(0.5, 0.8));
    v.cn1 = float(severity * random.between(0.15, 0.3) * (0.6 + 0.4 * load));
    v.cn2 = float(severity * random.between(0.1, 0.25) * (0.6 + 0.4 * load));
    v.cdn = float(random.between(0.0, 0.4) * severity);
    return v;
}

// Power at the 10 samples of a transient phase, in the order TOC, TOD, AOD, AOA.
double transientPower(int phase, int sample) {
    const double t = sample / double(kTransientSampleCount - 1);
    switch (phase) {
    case 0:
        return 0.9 - 0.07 * t; // top of climb: settling from climb power
    case 1:
        return 0.26 - 0.12 * t; // top of descent: pulled back to idle
    case 2:
        return 0.94 - 0.88 * t; // deceleration
    default:
        return 0.06 + 0.88 * t; // acceleration
    }
}

std::optional<DefectRinging> flightDefect(int engine, int slot, const UnitSimulatorConfig& config) {
    const std::optional<BearingDefect>& defect = config.bearingDefect;
    if (!defect || defect->engine != engine || slot < defect->firstSlot)
        return std::nullopt;
    return DefectRinging{DefectRinging::kFirstPeakG *
                         std::pow(DefectRinging::kGrowthPerSlot, slot - defect->firstSlot)};
}

void putFlight(char* flight, int engine, int slot, quint32 flightNumber, bool postDefect,
               const UnitSimulatorConfig& config, const NoiseBank& noise) {
    Random random(mixSeed(config.seed, quint64(engine), quint64(slot) + 1));
    RecordSources sources{noise, flightDefect(engine, slot, config),
                          Random(mixSeed(config.seed, quint64(engine), quint64(slot) + 0x100))};
    put32(flight + 24, flightNumber);
    put32(flight + 28, 45 + quint32(random.below(360))); // flight duration, minutes
    put32(flight + 32, postDefect ? 1 : 0);

    // Engine 2 runs a little rougher; a post-defect flight clearly so.
    const double severity =
        (engine == 2 ? 1.25 : 1.0) * (postDefect ? 1.6 : 1.0) * random.between(0.8, 1.2);
    // Each flight sets its power a little differently; the 26 bins then cover the range from
    // ground idle to take-off.
    const double flightTrim = random.between(-0.02, 0.02);
    for (int bin = 0; bin < kBinCount; ++bin) {
        char* at = flight + kFlightHeaderSize + bin * kBinSize;
        FlightValues v = shaftValues(random, double(bin) / (kBinCount - 1) + flightTrim, severity);
        if (config.negativeValues && bin == 3)
            v.a4r = -v.a4r;
        const float reals[kBinFloatCount] = {float(v.a4r * random.between(0.92, 1.08)),
                                             float(v.tr4r * random.between(0.92, 1.08)),
                                             float(v.tr4r * random.between(0.05, 0.15)),
                                             float(v.cn1 * random.between(0.92, 1.08)),
                                             float(v.cn2 * random.between(0.92, 1.08)),
                                             float(v.cdn * random.between(0.92, 1.08)),
                                             v.a4r,
                                             v.tr4r,
                                             v.n1,
                                             v.n2,
                                             v.cn1,
                                             v.cn2,
                                             v.cdn};
        for (int p = 0; p < kBinFloatCount; ++p)
            putReal(at + kBlockHeaderSize + 4 * p, reals[p]);
        putTimeRecord(at + kBinSamplesHeaderOffset + kBlockHeaderSize, random, v, sources);
    }
    for (int phase = 0; phase < kPhaseCount; ++phase) {
        char* at = flight + kPhasesOffset + phase * kPhaseSize;
        double sums[kPhaseFloatCount] = {};
        double tr4rSquares = 0;
        for (int sample = 0; sample < kTransientSampleCount; ++sample) {
            char* s = at + kTransientSamplesOffset + sample * kTransientSampleSize;
            FlightValues v =
                shaftValues(random, transientPower(phase, sample) + flightTrim, severity * 1.1);
            if (config.negativeValues && phase == 2 && sample == 4)
                v.tr4r = -v.tr4r;
            const float reals[kTransientFloatCount] = {v.a4r, v.tr4r, v.n1, v.n2,
                                                       v.cn1, v.cn2,  v.cdn};
            for (int q = 0; q < kTransientFloatCount; ++q)
                putReal(s + kBlockHeaderSize + 4 * q, reals[q]);
            putTimeRecord(s + kTransientSamplesHeaderOffset + kBlockHeaderSize, random, v, sources);
            sums[0] += v.a4r;
            sums[1] += v.tr4r;
            tr4rSquares += double(v.tr4r) * v.tr4r;
            sums[3] += v.cn1;
            sums[4] += v.cn2;
            sums[5] += v.cdn;
        }
        const double n = kTransientSampleCount;
        const double tr4rMean = sums[1] / n;
        const float averages[kPhaseFloatCount] = {
            float(sums[0] / n),
            float(tr4rMean),
            float(std::sqrt(std::max(0.0, tr4rSquares / n - tr4rMean * tr4rMean))),
            float(sums[3] / n),
            float(sums[4] / n),
            float(sums[5] / n)};
        for (int a = 0; a < kPhaseFloatCount; ++a)
            putReal(at + kBlockHeaderSize + 4 * a, averages[a]);
    }
}

} // namespace

QByteArray headerOnlyResponse(quint32 ack) {
    QByteArray response(kResponseHeaderSize, '\0');
    put32(response.data(), kResponseHeaderSize);
    put32(response.data() + 4, ack);
    return response;
}

QByteArray partNumberResponse(const PartNumbers& partNumbers) {
    QByteArray response(kPartNumberResponseSize, '\0');
    char* data = response.data();
    put32(data, kPartNumberResponseSize);
    put32(data + 8, 1);
    char* record = data + kResponseHeaderSize;
    putBlockHeader(record, ByteBlock, kPartNumberRecordSize - kBlockHeaderSize);
    // The hardware part number and serial number of the unit fill the front of the record;
    // the ground program carries them without reading them.
    std::copy_n("ZK4700-HW-0003", 14, record + 8);
    std::copy_n("SN-000417", 9, record + 24);
    for (int field = 0; field < kPartNumberFieldCount; ++field) {
        const QByteArray& text = partNumbers[size_t(field)];
        std::copy_n(text.constData(), std::min<qsizetype>(text.size(), kPartNumberLength),
                    record + kPartNumberOffsets[size_t(field)]);
    }
    return response;
}

QByteArray downloadResponse(int engine, const UnitSimulatorConfig& config, bool erased) {
    QByteArray response(kDownloadResponseSize, '\0');
    char* data = response.data();
    put32(data, kDownloadResponseSize);
    put32(data + 8, kDownloadBlockCount);

    // The unit data header: one block of 7 words after its 8-byte header.
    char* header = data + kResponseHeaderSize;
    const EngineTotals totals = engineTotals(engine, config.seed);
    putBlockHeader(header, Word32Block, kUnitDataHeaderSize - kBlockHeaderSize);
    put32(header + 12, totals.flights);
    put32(header + 16, totals.hours);
    put32(header + 20, totals.minutes);
    put32(header + 24, totals.unitValue);
    put32(header + 28, totals.currentAlarm);
    put32(header + 32, totals.historicAlarm);

    int recordedSlots = 0;
    for (int slot = 0; slot < kFlightSlots; ++slot)
        recordedSlots += config.emptySlots.contains(slot) ? 0 : 1;

    // Flight numbers rise slot by slot and end at the engine's last flight.
    Random numbering(mixSeed(config.seed, quint64(engine), 0xF1));
    const NoiseBank noise(mixSeed(config.seed, quint64(engine), 0xA5));
    quint32 flightNumber = totals.flights - quint32(recordedSlots) * 3;
    for (int slot = 0; slot < kFlightSlots; ++slot) {
        char* flight = data + kFlightsOffset + slot * kFlightBlockSize;
        putFlightBlockHeaders(flight);
        if (erased || config.emptySlots.contains(slot))
            continue;
        flightNumber += 1 + quint32(numbering.below(3));
        putFlight(flight, engine, slot, flightNumber, config.postDefectSlots.contains(slot), config,
                  noise);
    }
    return response;
}

std::optional<QByteArray> hostOrderResponse(const QByteArray& wireResponse) {
    if (wireResponse.size() < kResponseHeaderSize)
        return std::nullopt;
    QByteArray host = wireResponse;
    char* data = host.data();
    const qsizetype size = host.size();
    if (qFromBigEndian<quint32>(data) != quint64(size))
        return std::nullopt;
    auto swapWord = [](char* at) { qToLittleEndian(qFromBigEndian<quint32>(at), at); };
    for (int i = 0; i < 3; ++i)
        swapWord(data + 4 * i);
    qsizetype at = kResponseHeaderSize;
    while (at < size) {
        if (size - at < kBlockHeaderSize)
            return std::nullopt;
        const quint32 type = qFromBigEndian<quint32>(data + at);
        const quint32 byteCount = qFromBigEndian<quint32>(data + at + 4);
        if (type > RealBlock || byteCount > kMaxByteCount ||
            byteCount > quint64(size - at - kBlockHeaderSize))
            return std::nullopt;
        swapWord(data + at);
        swapWord(data + at + 4);
        char* elements = data + at + kBlockHeaderSize;
        if (type == Word16Block) {
            for (quint32 i = 0; i + 2 <= byteCount; i += 2)
                qToLittleEndian(qFromBigEndian<quint16>(elements + i), elements + i);
        } else if (type != ByteBlock) {
            for (quint32 i = 0; i + 4 <= byteCount; i += 4)
                swapWord(elements + i);
        }
        at += kBlockHeaderSize + byteCount;
    }
    return host;
}

} // namespace unit_responses
