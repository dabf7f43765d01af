#include "ProgramFonts.h"

#include <QFont>

#include <utility>

namespace {

// Each family the program names, and the face that stands for it.
constexpr std::pair<const char*, const char*> kSubstitutions[] = {
    {"Arial", "Liberation Sans"},
    {"Helvetica [Cronyx]", "Liberation Sans"},
    {"Times", "Liberation Serif"},
    {"Courier New", "Liberation Mono"},
};

} // namespace

void installProgramFontSubstitutions() {
    for (const auto& [family, face] : kSubstitutions)
        QFont::insertSubstitution(QString::fromLatin1(family), QString::fromLatin1(face));
}
