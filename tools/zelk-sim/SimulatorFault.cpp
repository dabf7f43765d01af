#include "SimulatorFault.h"

#include <array>
#include <utility>

namespace {

// The names used on the simulator's command line, one per kind.
constexpr std::array<std::pair<FaultKind, const char*>, 8> kFaultKindNames = {{
    {FaultKind::AckError, "ack"},
    {FaultKind::DeclaredSize, "size"},
    {FaultKind::BadBlockType, "blocktype"},
    {FaultKind::RawResponse, "raw"},
    {FaultKind::Delay, "delay"},
    {FaultKind::NoAnswer, "silent"},
    {FaultKind::CloseAfterBytes, "close"},
    {FaultKind::Trickle, "trickle"},
}};

} // namespace

QString faultKindName(FaultKind kind) {
    for (const auto& [k, name] : kFaultKindNames)
        if (k == kind)
            return QString::fromLatin1(name);
    return {};
}

std::optional<FaultKind> faultKindFromName(const QString& name) {
    for (const auto& [kind, text] : kFaultKindNames)
        if (name == QLatin1String(text))
            return kind;
    return std::nullopt;
}
