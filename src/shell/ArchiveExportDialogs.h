#pragma once

#include <QString>

#include <memory>

class Notifier;
class QFont;
class QProgressDialog;
class QWidget;

inline const QString kArchiveDialogCaption = QStringLiteral("Save as...");
inline const QString kArchiveFileFilter = QStringLiteral("Compressed Files (*.gz)");
// %1 = the seconds since the export began.
inline const QString kArchivingText = QStringLiteral("Archiving the data directory... %1 s");
inline const QString kCompressingText = QStringLiteral("Compressing the data directory... %1 s");
inline const QString kSavingArchiveText = QStringLiteral("Saving the archive file... %1 s");
// %1 = the archive's path, %2 = its size in millions of bytes with one decimal.
inline const QString kArchiveSavedText = QStringLiteral("Archive saved: %1 (%2 MB)");

// The busy dialog shown while the archive is made: the step and the seconds passed, no cancel
// button (the tools finish what they started), modal to the whole program.
std::unique_ptr<QProgressDialog> createArchiveBusyDialog(QWidget* parent, const QFont& font);

// The archive export of the File menu: asks for the target with the save dialog, which opens
// in the user's home (the working directory may be the data directory itself), then packs
// the data directory with the tools beside the program (else the system's) under a busy
// dialog that keeps the windows painted and takes the input until it ends. Failures, and a
// success with the archive's path and size, are told through the notifier; a cancelled
// dialog says nothing.
void runArchiveExport(QWidget* parent, const QFont& font, Notifier& notifier);
