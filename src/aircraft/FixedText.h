#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <algorithm>
#include <cstddef>
#include <cstring>

// Text fields of the register are fixed-size, zero-terminated 8-bit text. Every access is
// bounded by the field's size: a value is cut to size - 1 characters and the rest of the
// field is zeroed, and a field read back stops at its terminator or, if a damaged record
// has none, after size - 1 characters.

template <std::size_t N>
constexpr int fixedTextCapacity(const char (&)[N]) {
    return static_cast<int>(N) - 1;
}

template <std::size_t N>
QByteArray readFixedBytes(const char (&field)[N]) {
    const char* end = std::find(field, field + N - 1, '\0');
    return QByteArray(field, static_cast<qsizetype>(end - field));
}

template <std::size_t N>
QString readFixedText(const char (&field)[N]) {
    return QString::fromLatin1(readFixedBytes(field));
}

template <std::size_t N>
void writeFixedBytes(char (&field)[N], QByteArrayView bytes) {
    const std::size_t length = std::min<std::size_t>(static_cast<std::size_t>(bytes.size()), N - 1);
    std::memset(field, 0, N);
    if (length > 0)
        std::memcpy(field, bytes.data(), length);
}

template <std::size_t N>
void writeFixedText(char (&field)[N], const QString& text) {
    writeFixedBytes(field, text.toLatin1());
}

// True when the text can be stored whole: 8-bit characters only, none of them zero, and no
// longer than the field holds.
bool fitsFixedText(const QString& text, int capacity);
