#pragma once

#include <QStringList>

class Notifier;
class QTextStream;
class UnitConnection;

// "brix-cli upload main|dsp|config FILE": loads the upload file into the unit's main
// processor, its DSP processors or their configuration, as the "Firmware" page does, on
// `connection` (its address already loaded). `arguments` are the words after "upload".
//
// Runs the communication check, then the upload, ticking as soon as the unit answers each
// packet. Output on out: "Uploading packet N of M" per packet, then "Upload complete" and
// the part numbers read back; on failure the upload's failure text. Messages (the failure,
// and after a main-processor upload the request to restart the unit) go through the
// notifier.
//
// Returns 0 when the unit took every packet; 1 when the unit did not answer, the file
// cannot be uploaded, or the upload failed; 2 on a usage error.
int runUploadCommand(const QStringList& arguments, UnitConnection& connection, Notifier& notifier,
                     QTextStream& out);
