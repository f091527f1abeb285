#include "Platform/Session/LoginAgentUnit.h"

#include "Platform/Files/PrivateFile.h"
#include "Platform/Session/SessionLogging.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace Quorvel {

namespace {

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

} // namespace

LoginAgentUnit::LoginAgentUnit() : LoginAgentUnit(Options()) {}

LoginAgentUnit::LoginAgentUnit(Options options) : m_options(std::move(options)) {}

QString LoginAgentUnit::unitPath() const
{
    QString folder = m_options.unitFolder;
    if (folder.isEmpty()) {
        folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                 QStringLiteral("/systemd/user");
    }
    return folder + u'/' + QString::fromLatin1(unitName);
}

QString LoginAgentUnit::executable() const
{
    return m_options.executable.isEmpty() ? QCoreApplication::applicationFilePath()
                                          : m_options.executable;
}

QString LoginAgentUnit::quotedExecPath(const QString &path)
{
    QString escaped = path;
    escaped.replace(u'\\', QStringLiteral("\\\\"));
    escaped.replace(u'"', QStringLiteral("\\\""));
    escaped.replace(u'%', QStringLiteral("%%"));
    escaped.replace(u'$', QStringLiteral("$$"));
    return u'"' + escaped + u'"';
}

QString LoginAgentUnit::conditionPath(const QString &path)
{
    QString escaped = path;
    escaped.replace(u'%', QStringLiteral("%%"));
    return escaped;
}

QString LoginAgentUnit::unitText() const
{
    // The unit outlives the program when its package is removed or its build folder deleted:
    // without the program it is skipped at login, where it would fail and be restarted to fail.
    return QStringLiteral("[Unit]\n"
                          "Description=Quorvel\n"
                          "PartOf=graphical-session.target\n"
                          "After=graphical-session.target\n"
                          "ConditionFileIsExecutable=%4\n"
                          "\n"
                          "[Service]\n"
                          "ExecStart=%1\n"
                          "Environment=%2=%3\n"
                          "Restart=on-failure\n"
                          "\n"
                          "[Install]\n"
                          "WantedBy=graphical-session.target\n")
        .arg(quotedExecPath(executable()), QString::fromLatin1(agentVariable),
             QString::fromLatin1(label), conditionPath(executable()));
}

bool LoginAgentUnit::unitMatchesExecutable() const
{
    QFile file(unitPath());
    return file.open(QIODevice::ReadOnly) && QString::fromUtf8(file.readAll()) == unitText();
}

bool LoginAgentUnit::isRunningAsAgent()
{
    for (const char *variable : {agentVariable, earlierAgentVariable}) {
        if (qEnvironmentVariableIsSet(variable) &&
            qEnvironmentVariable(variable) == QLatin1String(label))
            return true;
    }
    return false;
}

LoginAgentUnit::Result LoginAgentUnit::systemctl(const QStringList &arguments) const
{
    QProcess process;
    process.start(m_options.systemctl, QStringList{QStringLiteral("--user")} + arguments);
    Result result;
    if (!process.waitForStarted(int(m_options.commandTimeout.count()))) {
        result.error = QStringLiteral("%1 could not be started: %2")
                           .arg(m_options.systemctl, process.errorString());
        return result;
    }
    if (!process.waitForFinished(int(m_options.commandTimeout.count()))) {
        process.kill();
        process.waitForFinished();
        result.error =
            QStringLiteral("systemctl --user %1 did not finish in time").arg(arguments.join(u' '));
        return result;
    }
    result.output = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    result.error = QString::fromUtf8(process.readAllStandardError()).trimmed();
    result.ok = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (!result.ok && result.error.isEmpty()) {
        result.error = QStringLiteral("systemctl --user %1 failed with status %2")
                           .arg(arguments.join(u' '))
                           .arg(process.exitCode());
    }
    return result;
}

LoginAgentUnit::Status LoginAgentUnit::status() const
{
    const Result result = systemctl({QStringLiteral("is-enabled"), QString::fromLatin1(unitName)});
    // "enabled-runtime" is enabled until the next boot only, which does not start at login.
    if (result.output == QLatin1String("enabled"))
        return Status::enabled;
    if (result.output.isEmpty()) {
        qCDebug(lcLoginItem) << "No start-at-login unit:" << result.error;
        return Status::notFound;
    }
    return Status::notRegistered;
}

bool LoginAgentUnit::writeUnit(QString *error) const
{
    const QString path = unitPath();
    if (const int failure = PrivateFile::makeFolder(QFileInfo(path).path())) {
        setError(error, QStringLiteral("Could not make the folder of %1: %2")
                            .arg(path, PrivateFile::errorText(failure)));
        return false;
    }
    if (const int failure = PrivateFile::replace(path, unitText().toUtf8())) {
        setError(
            error,
            QStringLiteral("Could not write %1: %2").arg(path, PrivateFile::errorText(failure)));
        return false;
    }
    return true;
}

bool LoginAgentUnit::registerAgent(QString *error) const
{
    if (!writeUnit(error))
        return false;
    // `enable` also makes a running user manager reload its units.
    const Result result = systemctl({QStringLiteral("enable"), QString::fromLatin1(unitName)});
    if (!result.ok)
        setError(error, result.error);
    return result.ok;
}

bool LoginAgentUnit::unregisterAgent(QString *error) const
{
    if (!QFileInfo::exists(unitPath())) {
        setError(error, QStringLiteral("Quorvel is not set to start at login"));
        return false;
    }
    const Result result = systemctl({QStringLiteral("disable"), QString::fromLatin1(unitName)});
    if (!result.ok) {
        setError(error, result.error);
        return false;
    }
    if (!QFile::remove(unitPath())) {
        setError(error, QStringLiteral("Could not remove %1").arg(unitPath()));
        return false;
    }
    return true;
}

bool LoginAgentUnit::start(QString *error) const
{
    if (!unitMatchesExecutable()) {
        qCInfo(lcLoginItem) << "The start-at-login unit is out of date; it now starts"
                            << executable();
        if (!writeUnit(error))
            return false;
        const Result reload = systemctl({QStringLiteral("daemon-reload")});
        if (!reload.ok) {
            setError(error, reload.error);
            return false;
        }
    }
    const Result result = systemctl({QStringLiteral("start"), QString::fromLatin1(unitName)});
    if (!result.ok)
        setError(error, result.error);
    return result.ok;
}

} // namespace Quorvel
