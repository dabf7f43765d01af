#pragma once

#include <QtGlobal>

#include <array>
#include <optional>

// The viewer's selectors. Their numbers are stored in the settings, written in the raw flight
// data files and typed by users of brix-cli, so they never change.

enum class PlotType : int { SteadyState = 0, Transient = 1 };

enum class ParameterType : int {
    A4RAverage = 0,
    TR4RAverage = 1,
    TR4RDeviation = 2,
    CN1Average = 3,
    CN2Average = 4,
    CDNAverage = 5,
    A4R = 6,
    TR4R = 7,
    N1 = 8,
    N2 = 9,
    CN1 = 10,
    CN2 = 11,
    CDN = 12,
    TimeHistory = 13,
    Fft = 14,
    Waterfall = 15,
    EnvelopeFft = 16, // the envelope spectrum of a steady-state bin's record
};
inline constexpr int kParameterTypeCount = 17;

// A flight's memory as its raw file states it; the file may hold any other number too.
enum class MemoryType : qint32 { PreDefect = 0, PostDefect = 1 };

template <typename Enum>
constexpr int valueOf(Enum value) {
    return static_cast<int>(value);
}

// The type of a stored or typed number; nothing for a number that names none.
constexpr std::optional<PlotType> plotTypeFromValue(int value) {
    if (value != valueOf(PlotType::SteadyState) && value != valueOf(PlotType::Transient))
        return std::nullopt;
    return static_cast<PlotType>(value);
}

constexpr std::optional<ParameterType> parameterTypeFromValue(int value) {
    if (value < 0 || value >= kParameterTypeCount)
        return std::nullopt;
    return static_cast<ParameterType>(value);
}

// The entry of `table` at `index`, or null when the index lies outside it: an enum cast from a
// stored number may name no entry, and must never read past the table.
template <typename Entry, std::size_t Size>
constexpr const Entry* tableEntry(const std::array<Entry, Size>& table, int index) {
    return index >= 0 && std::size_t(index) < Size ? &table[std::size_t(index)] : nullptr;
}
