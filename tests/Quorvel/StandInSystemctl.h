#pragma once

#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace Quorvel::AppTest {

// A systemctl of the test's own: it records every call, answers is-enabled with the state the
// test sets, and on start runs the test's agent command in the background (or fails when told
// to). The agent's process group is ended when the stand-in goes.
class StandInSystemctl {
public:
    StandInSystemctl();
    ~StandInSystemctl();

    QString path() const { return m_folder.filePath(QStringLiteral("systemctl")); }
    QString unitFolder() const { return m_folder.filePath(QStringLiteral("units")); }

    // What is-enabled prints: "enabled", "disabled", or nothing (the unit is not found).
    void setState(const QString &state);
    // A shell command that start runs in the background; none starts nothing.
    void setAgent(const QString &command);
    // start fails with this status and message.
    void failStart();

    // Each call's arguments after --user, one call per entry.
    QStringList calls() const;

private:
    void write(const QString &name, const QByteArray &bytes) const;

    QTemporaryDir m_folder;
};

} // namespace Quorvel::AppTest
