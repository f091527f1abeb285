#pragma once

#include "Platform/Files/PendingWrite.h"

#include <QObject>
#include <QSettings>
#include <QTimer>

#include <memory>

namespace Quorvel {

// Settings whose write failed (a full disk), written again on a timer until a write succeeds,
// with the back-off of PendingWrite: while the program runs, not only at the next change or at
// the quit, so that a kill, a crash or a power cut loses nothing that room returning could have
// saved. Qt keeps the failed changes with the settings file's shared state for as long as some
// settings on that file stay open, and drops them when the last one closes on a file with no
// bytes on disk (a first start): the settings that failed are therefore kept open here on
// purpose until a write succeeds. Lives on the application's thread, as its child.
class PendingSettings : public QObject {
    Q_OBJECT
public:
    // The one for the application, made on first use; null without an application.
    static PendingSettings *instance();
    // The intervals of the attempts; the first applies from the next failure on.
    static void setTimings(PendingWrite::Timings value);
    // Whether the settings are being opened for an attempt, whose failure is not told again.
    static bool isRetrying();
    ~PendingSettings() override;

    // Takes settings whose sync failed and keeps them open, and their changes with them, until a
    // write of that file succeeds; the first attempt follows after the shortest interval.
    void hold(std::unique_ptr<QSettings> failed);
    // A write of the file succeeded, which wrote whatever waited: nothing is held any more.
    void written();

private:
    explicit PendingSettings(QObject *parent);
    bool attempt() const;
    void retry();
    void release();

    std::unique_ptr<QSettings> m_held;
    QTimer m_timer;
};

} // namespace Quorvel
