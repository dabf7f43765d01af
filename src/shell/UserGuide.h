#pragma once

#include <QString>

#include <functional>

class Notifier;
class QUrl;

// The user guide, in the "doc" folder beside the program's folder.
inline const QString kUserGuideRelativePath = QStringLiteral("/../doc/DOC-814-Rev1.pdf");
// %1 = the guide's path.
inline const QString kFileNotFoundText = QStringLiteral("File not found: %1");
// %1 = the guide's path.
inline const QString kNoPdfReaderText = QStringLiteral("No PDF reader is available to open %1");

// `programDirectory` + "/../doc/DOC-814-Rev1.pdf".
QString userGuidePath(const QString& programDirectory);

// Opens the user guide in the desktop's PDF reader, without waiting for it. A missing guide,
// or a desktop with no reader for it, is reported as a warning. `open` hands the file to the
// desktop; it is false when nothing took it.
void openUserGuide(const QString& programDirectory, Notifier& notifier,
                   const std::function<bool(const QUrl&)>& open);
void openUserGuide(const QString& programDirectory, Notifier& notifier);
