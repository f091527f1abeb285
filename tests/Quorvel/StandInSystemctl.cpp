#include "StandInSystemctl.h"

#include <QFile>
#include <QProcess>

#include <csignal>

namespace Quorvel::AppTest {

namespace {

const char script[] = R"(#!/bin/sh
dir=$(dirname "$0")
shift
echo "$*" >> "$dir/calls"
case "$1" in
is-enabled)
    [ -s "$dir/state" ] || { echo "Failed to get unit file state for $2" >&2; exit 1; }
    state=$(cat "$dir/state")
    echo "$state"
    [ "$state" = enabled ]
    ;;
start)
    if [ -e "$dir/fail-start" ]; then
        echo "Job for $2 failed." >&2
        exit 1
    fi
    if [ -s "$dir/agent" ]; then
        setsid sh "$dir/agent" >/dev/null 2>&1 < /dev/null &
        echo $! > "$dir/agent.pid"
    fi
    ;;
esac
exit 0
)";

} // namespace

StandInSystemctl::StandInSystemctl()
{
    write(QStringLiteral("systemctl"), script);
    QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

StandInSystemctl::~StandInSystemctl()
{
    QFile pidFile(m_folder.filePath(QStringLiteral("agent.pid")));
    if (pidFile.open(QIODevice::ReadOnly)) {
        // setsid made the agent the leader of its own group.
        const pid_t group = pid_t(pidFile.readAll().trimmed().toLongLong());
        if (group > 0)
            ::kill(-group, SIGKILL);
    }
}

void StandInSystemctl::write(const QString &name, const QByteArray &bytes) const
{
    QFile file(m_folder.filePath(name));
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

void StandInSystemctl::setState(const QString &state)
{
    write(QStringLiteral("state"), state.toUtf8());
}

void StandInSystemctl::setAgent(const QString &command)
{
    write(QStringLiteral("agent"), ("exec " + command + "\n").toUtf8());
}

void StandInSystemctl::failStart()
{
    write(QStringLiteral("fail-start"), "1");
}

QStringList StandInSystemctl::calls() const
{
    QFile file(m_folder.filePath(QStringLiteral("calls")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

} // namespace Quorvel::AppTest
