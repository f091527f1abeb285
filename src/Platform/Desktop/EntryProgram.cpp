#include "Platform/Desktop/EntryProgram.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

namespace Quorvel {

namespace {

const QByteArray scriptMark = QByteArrayLiteral("#!");

QString canonical(const QString &path)
{
    return path.isEmpty() ? QString() : QFileInfo(path).canonicalFilePath();
}

QString fileName(const QString &path)
{
    return QFileInfo(path).fileName();
}

// The interpreter a script's first line names: the program itself, or for "env" the first word
// after it that is neither an option nor a setting, found through PATH as env finds it.
QString interpreterOf(const QByteArray &firstLine)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    const QStringList words =
        QString::fromUtf8(firstLine.mid(scriptMark.size())).split(blanks, Qt::SkipEmptyParts);
    if (words.isEmpty())
        return QString();
    if (fileName(words.first()) != QLatin1String("env"))
        return canonical(words.first());
    for (const QString &word : words.mid(1)) {
        if (word.startsWith(u'-') || word.contains(u'='))
            continue;
        return canonical(QStandardPaths::findExecutable(word));
    }
    return QString();
}

// A word of the Exec line, or of a command line read against its working folder: the file it
// names with every link resolved, else the word itself.
QString fileOrText(const QString &word, const QString &folder)
{
    if (folder.isEmpty() && QDir::isRelativePath(word))
        return word;
    const QString file = canonical(QDir(folder).absoluteFilePath(word));
    return file.isEmpty() ? word : file;
}

} // namespace

EntryProgram::EntryProgram(const DesktopEntry &entry)
    : m_flatpakId(entry.flatpakId),
      m_snapFolder(entry.snapName.isEmpty() ? QString()
                                            : QStringLiteral("/snap/") + entry.snapName + u'/')
{
    if (!m_flatpakId.isEmpty() || !m_snapFolder.isEmpty())
        return;
    const std::optional<Executable> program = executableOf(entry.program);
    if (program && program->firstWord.isEmpty() && !entry.argument.isEmpty()) {
        const QString word = fileOrText(entry.argument, QString());
        const bool isFile = !QDir::isRelativePath(word) && QFileInfo(word).isFile();
        m_executables.append({program->path, word, isFile ? fileName(word) : QString()});
        return;
    }
    for (const QString &name : {entry.program, entry.tryExecutable}) {
        if (const auto executable = executableOf(name);
            executable && !m_executables.contains(*executable))
            m_executables.append(*executable);
    }
}

std::optional<EntryProgram::Executable> EntryProgram::executableOf(const QString &program)
{
    if (program.isEmpty())
        return std::nullopt;
    const QString path = canonical(QStandardPaths::findExecutable(program));
    if (path.isEmpty())
        return std::nullopt;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray firstLine = file.readLine(interpreterLineBytes);
        if (firstLine.startsWith(scriptMark)) {
            const QString interpreter = interpreterOf(firstLine.trimmed());
            if (interpreter.isEmpty())
                return std::nullopt;
            return Executable{interpreter, path, fileName(path)};
        }
    }
    return Executable{path, QString(), QString()};
}

QString EntryProgram::firstWordOf(const ProcessInfo &process)
{
    for (const QString &argument : process.arguments.mid(1)) {
        if (argument.startsWith(u'-'))
            continue;
        return fileOrText(argument, process.workingFolder);
    }
    return QString();
}

std::optional<QString> EntryProgram::match(const ProcessInfo &process) const
{
    const QString executableName = fileName(process.executablePath);
    if (!m_flatpakId.isEmpty()) {
        if (process.flatpakId == m_flatpakId)
            return executableName;
        return std::nullopt;
    }
    if (!m_snapFolder.isEmpty()) {
        if (process.executablePath.startsWith(m_snapFolder))
            return executableName;
        return std::nullopt;
    }
    if (process.executablePath.isEmpty())
        return std::nullopt;
    // The kernel gives the executable's path with every link already resolved.
    for (const Executable &executable : m_executables) {
        if (process.executablePath != executable.path)
            continue;
        if (executable.firstWord.isEmpty())
            return executableName;
        if (firstWordOf(process) == executable.firstWord)
            return executable.name.isEmpty() ? executableName : executable.name;
    }
    return std::nullopt;
}

} // namespace Quorvel
