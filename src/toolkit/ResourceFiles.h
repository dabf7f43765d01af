#pragma once

#include <QString>

// The three window-resource files beside the program and where each is opened.
inline const QString kCommonResourceFile = QStringLiteral("/Brix.znc");
inline const QString kApplicationResourceFile = QStringLiteral("/ZELK.znc");
inline const QString kHelpResourceFile = QStringLiteral("/KORAHelp.znc");

inline const QString kCommonResourceRoot = QStringLiteral("/brix");
inline const QString kApplicationResourceRoot = QStringLiteral("/zelk");
inline const QString kHelpResourceRoot = QStringLiteral("/help");

// The root as a path for reading (":/zelk").
QString resourcePath(const QString& root);

// Opens a window-resource file under `root`; false when it cannot be opened. Opening the
// same file twice is harmless.
bool openResourceFile(const QString& path, const QString& root);
void closeResourceFile(const QString& path, const QString& root);

// The program's style sheet, from the common resource file; false when it is missing.
bool applyStyleSheet(const QString& commonRoot);
