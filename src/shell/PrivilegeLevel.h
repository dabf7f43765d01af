#pragma once

#include <QString>

struct StartArguments;

// The privilege levels: 0 the maker's level (start arguments only), 1 administrator,
// 2 flight line.
inline constexpr int kMakerLevel = 0;
inline constexpr int kAdministratorLevel = 1;
inline constexpr int kFlightLineLevel = 2;

// The access code of the maker's level, compared without regard to letter case.
inline const QString kMakerAccessCode = QStringLiteral("WYND_RAXO");

// "Orvantis", "Administrator", "Flight Line"; empty for any other level.
QString privilegeName(int level);

// The process-wide level.
int privilegeLevel();
void setPrivilegeLevel(int level);

// The inactivity time-out in seconds: 900 until start-up reads "PrivTimeout".
int inactivityTimeout();
void setInactivityTimeout(int seconds);

// The level the start arguments ask for, once their password is checked: level 1 needs
// the stored password, level 0 the access code. Any other level than 0, 1 or 2 gives
// flight line: only the three levels exist, and an unknown one must not open the
// administrator's functions without a password.
int levelFromStartArguments(const StartArguments& arguments);
