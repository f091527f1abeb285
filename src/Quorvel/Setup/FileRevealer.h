#pragma once

#include <QDBusConnection>
#include <QObject>

namespace Quorvel {

// "Show in Files": asks the desktop's file manager to open a window with the file selected
// (org.freedesktop.FileManager1), and opens the file's folder instead when no file manager
// answers on the bus.
class FileRevealer : public QObject {
    Q_OBJECT

public:
    static inline const QString service = QStringLiteral("org.freedesktop.FileManager1");
    static inline const QString path = QStringLiteral("/org/freedesktop/FileManager1");

    explicit FileRevealer(QDBusConnection bus = QDBusConnection::sessionBus(),
                          QObject *parent = nullptr);

    void reveal(const QString &filePath);

signals:
    // The file manager took the request, or the folder was opened instead.
    void revealed(bool byFileManager);

private:
    QDBusConnection m_bus;
};

} // namespace Quorvel
