#pragma once

#include "SimulatorFault.h"
#include "UnitSimulatorConfig.h"

#include <QList>
#include <QString>

#include <optional>
#include <utility>

// Parsers of the simulator's command-line values. Each returns nothing and sets `error`
// when the text is not acceptable.

// "127.0.0.1:PORT", PORT 0 to 65535. Any other address is refused: the simulator must never
// be reachable from outside this machine.
std::optional<quint16> parseListenAddress(const QString& text, QString* error);

// "CODE:KIND[:ARG[:TIMES[:AFTER]]]": CODE a command code or "any"; KIND one of ack, size,
// blocktype, raw, delay, silent, close, trickle; ARG a number (hex bytes for raw); TIMES a
// count or "always" (the default); AFTER the matching commands let through first (0).
std::optional<SimulatorFault> parseFaultOption(const QString& text, QString* error);

// "FIELD=TEXT" with FIELD one of boot-main, main-software, boot-dsp, dsp-software,
// configuration and TEXT at most 16 Latin-1 characters.
std::optional<std::pair<PartNumberField, QByteArray>> parsePartNumberOption(const QString& text,
                                                                            QString* error);

// "ENGINE:FIRST_SLOT": ENGINE 1 or 2, FIRST_SLOT 0 to 19.
std::optional<BearingDefect> parseBearingDefectOption(const QString& text, QString* error);

// The simulated bearing as the register takes it (the options of its bearing command), and
// the outer-race frequency it gives over the N2 range, for the help page.
QString simulatedBearingText();

// A comma-separated list of flight slots 0 to 19; an empty text is an empty list.
std::optional<QList<int>> parseSlotList(const QString& text, QString* error);
