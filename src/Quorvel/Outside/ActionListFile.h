#pragma once

#include "Platform/Files/PendingWrite.h"
#include "QuorvelCore/Model/Control.h"
#include "QuorvelCore/Model/ControlState.h"

#include <QDateTime>
#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <chrono>
#include <optional>

namespace Quorvel {

class ClientModel;

// Keeps a JSON file listing the remote's actions with their live states and the links that run
// them, so that other programs can offer those actions without talking to the host. The file is
// rewritten whole, atomically, a short quiet time after the last change of what it shows; a
// write that failed is tried again until it succeeds, so the file catches up without waiting for
// the next change.
class ActionListFile : public QObject {
    Q_OBJECT
public:
    // Rapid state updates (one per changed action) end in one write.
    static constexpr std::chrono::milliseconds defaultQuietTime{500};

    // ~/.local/share/Quorvel/remote-actions.json
    static QString defaultPath();

    ActionListFile(ClientModel *model, QString path = defaultPath(),
                   std::chrono::milliseconds quietTime = defaultQuietTime,
                   PendingWrite::Timings retry = {}, QObject *parent = nullptr);

    // Watches the model and schedules the first write.
    void startObserving();
    // (Re)starts the quiet time; the write follows when it ends.
    void scheduleWrite();
    // Writes now; false when the file could not be written (the old one then stays until a
    // later attempt succeeds).
    bool write();
    // At quit: writes at once that no host is connected, whatever is pending.
    bool writeFinal();

    bool writePending() const { return m_quietTimer.isActive(); }
    int writeCount() const { return m_writeCount; }

    // One action's entry.
    static QJsonObject entry(const Control &control, const std::optional<ControlState> &state);

private:
    bool writeDocument(bool connected);

    QPointer<ClientModel> m_model;
    QString m_path;
    QTimer m_quietTimer;
    PendingWrite m_file;
    int m_writeCount = 0;
    // The errno of the last write when it failed, 0 after a good one.
    int m_lastError = 0;
};

} // namespace Quorvel
