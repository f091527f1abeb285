#pragma once

#include "Platform/Files/PendingWrite.h"

#include <QSettings>
#include <QString>

#include <memory>

// The program's settings file, ~/.config/Quorvel/Quorvel.ini, in the text of Qt's INI format.
// It is read and written through a settings format of its own rather than Qt's INI format: Qt
// 6.4's INI writer buffers the text in its safe-save file, the close that flushes it does not
// count a failure as one of the write, and so a full disk replaced the file with an empty or
// truncated one while every QSettings call reported success. Here the text goes to disk through
// PrivateFile::fill: a failed write leaves the old file as it was, byte for byte, is logged with
// the file's path, and the changes stay pending in the program (PendingSettings keeps the failed
// settings open, so that Qt keeps them) and are written again on a timer until a write succeeds.
// The file is the user's alone (0600), and so is its folder (0700).
namespace Quorvel::SettingsFile {

// Closes settings: writes what is still pending, and logs a failure that Qt found before any
// byte was written (no room or no permission for its lock file or its new copy of the file).
// Settings whose write failed go to PendingSettings, which writes them once there is room.
class Closer {
public:
    Closer() = default;
    explicit Closer(int failedWritesBefore) : m_failedWritesBefore(failedWritesBefore) {}
    void operator()(QSettings *settings) const;

private:
    int m_failedWritesBefore = 0;
};

using Handle = std::unique_ptr<QSettings, Closer>;

// The format to open any settings file of the program with.
QSettings::Format format();
// The program's settings, with the folder made first (the user's alone), so that Qt never
// makes it with the umask's mode.
Handle open();
QString filePath();
QString folderPath();
// At start: makes the folder if needed, and takes the group's and others' permissions away from
// the folder and the file that an earlier version left readable by everyone. 0 or the errno of
// the first failure.
int makePrivate();
// The intervals at which changes that could not be written are tried again (PendingWrite's).
void setRetryTimings(PendingWrite::Timings timings);

} // namespace Quorvel::SettingsFile
