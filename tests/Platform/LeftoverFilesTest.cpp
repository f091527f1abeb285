#include "Platform/Files/LeftoverFiles.h"
#include "Platform/Files/PrivateFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <sys/inotify.h>
#include <unistd.h>

using namespace Quorvel;

namespace {

const QString hex = QStringLiteral("0123456789abcdef0123456789abcdef");

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// What is at path without following a link: "file", "link", "folder" or "" for nothing.
QString kindAt(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink())
        return "link";
    if (!info.exists())
        return {};
    return info.isDir() ? "folder" : "file";
}

// The files a folder of the test's holds as the program's own.
bool written(const QString &name)
{
    return name == "status.json" || name == "deck.json" ||
           name == "deck-2026-12-09T091530-before-Phone_2.json";
}

} // namespace

class LeftoverFilesTest : public QObject {
    Q_OBJECT

private slots:
    void onlyOwnOldTemporaryFilesGo_data();
    void onlyOwnOldTemporaryFilesGo();
    void theNamesAreTheOnesWritesUse();
    void aFolderThatIsALinkIsNotFollowed();
};

void LeftoverFilesTest::onlyOwnOldTemporaryFilesGo_data()
{
    QTest::addColumn<QString>("name");
    // "file", "link" (to a file outside the folder), "folder", or "deeper" (a file in a folder
    // inside the folder).
    QTest::addColumn<QString>("kind");
    // Whether it changed last before the time given, or after (a write still in flight).
    QTest::addColumn<bool>("old");
    QTest::addColumn<bool>("removed");

    QTest::newRow("the status file's") << ".status.json.new-" + hex << "file" << true << true;
    QTest::newRow("the deck's") << ".deck.json.new-" + hex << "file" << true << true;
    QTest::newRow("a history copy's")
        << ".deck-2026-12-09T091530-before-Phone_2.json.new-" + hex << "file" << true << true;
    QTest::newRow("a file not written there") << ".notes.txt.new-" + hex << "file" << true << false;
    QTest::newRow("one still in flight") << ".status.json.new-" + hex << "file" << false << false;
    QTest::newRow("a link named like one") << ".deck.json.new-" + hex << "link" << true << false;
    QTest::newRow("a folder named like one")
        << ".deck.json.new-" + hex << "folder" << true << false;
    QTest::newRow("one in another folder") << ".deck.json.new-" + hex << "deeper" << true << false;
    QTest::newRow("no leading dot") << "deck.json.new-" + hex << "file" << true << false;
    QTest::newRow("no file name") << "..new-" + hex << "file" << true << false;
    QTest::newRow("capital digits") << ".deck.json.new-" + hex.toUpper() << "file" << true << false;
    QTest::newRow("a digit short") << ".deck.json.new-" + hex.chopped(1) << "file" << true << false;
    QTest::newRow("a digit more") << ".deck.json.new-" + hex + "0"
                                  << "file" << true << false;
    QTest::newRow("something after") << ".deck.json.new-" + hex + ".bak"
                                     << "file" << true << false;
    QTest::newRow("another mark") << ".deck.json.old-" + hex << "file" << true << false;
    QTest::newRow("the file itself") << "deck.json"
                                     << "file" << true << false;
}

void LeftoverFilesTest::onlyOwnOldTemporaryFilesGo()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(bool, old);
    QFETCH(bool, removed);
    QTemporaryDir root;
    const QString folder = root.filePath("Quorvel");
    const QString outside = root.filePath("outside");
    QVERIFY(QDir().mkpath(folder + "/inner"));
    QVERIFY(writeFile(outside, "someone else's"));
    QString path = folder + "/" + name;
    if (kind == "file") {
        QVERIFY(writeFile(path, "half a deck"));
    } else if (kind == "link") {
        QVERIFY(QFile::link(outside, path));
    } else if (kind == "folder") {
        QVERIFY(QDir().mkpath(path));
    } else {
        path = folder + "/inner/" + name;
        QVERIFY(writeFile(path, "half a deck"));
    }
    // Its status changed just now; the moment given lies a minute after or before that.
    const QDateTime changedBefore = QDateTime::currentDateTime().addSecs(old ? 60 : -60);

    const QStringList gone = LeftoverFiles::remove(folder, written, changedBefore);
    QCOMPARE(gone, removed ? QStringList{name} : QStringList());
    QCOMPARE(kindAt(path), removed ? QString() : kind == "deeper" ? "file" : kind);
    QCOMPARE(QFile(outside).exists(), true);
    QCOMPARE(kindAt(folder + "/inner"), QString("folder"));
}

void LeftoverFilesTest::theNamesAreTheOnesWritesUse()
{
    // The names the writes really give their temporary files, as the folder saw them made.
    QTemporaryDir root;
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    QVERIFY(watch >= 0);
    const auto closeWatch = qScopeGuard([watch] { ::close(watch); });
    QVERIFY(::inotify_add_watch(watch, QFile::encodeName(root.path()).constData(),
                                IN_CREATE | IN_MOVED_TO) >= 0);
    QCOMPARE(PrivateFile::replace(root.filePath("status.json"), "{}"), 0);
    QCOMPARE(PrivateFile::create(root.filePath("deck-2026-12-09T091530-before-Phone.json"), "{}"),
             0);

    QStringList made;
    alignas(inotify_event) char buffer[4096];
    const ssize_t length = ::read(watch, buffer, sizeof buffer);
    for (ssize_t at = 0; at < length;) {
        const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
        made.append(QFile::decodeName(event->name));
        at += qsizetype(sizeof(inotify_event)) + event->len;
    }
    // One temporary file each, then the file that took its place.
    QCOMPARE(made.size(), 4);
    QCOMPARE(PrivateFile::temporaryFileTarget(made[0]), "status.json");
    QCOMPARE(made[1], "status.json");
    QCOMPARE(PrivateFile::temporaryFileTarget(made[2]), "deck-2026-12-09T091530-before-Phone.json");
    QCOMPARE(PrivateFile::temporaryFileTarget(made[3]), std::nullopt);
}

void LeftoverFilesTest::aFolderThatIsALinkIsNotFollowed()
{
    QTemporaryDir root;
    const QString real = root.filePath("real");
    QVERIFY(QDir().mkpath(real));
    const QString leftover = real + "/.deck.json.new-" + hex;
    QVERIFY(writeFile(leftover, "half a deck"));
    QVERIFY(QFile::link(real, root.filePath("Quorvel")));
    QCOMPARE(LeftoverFiles::remove(root.filePath("Quorvel"), written,
                                   QDateTime::currentDateTime().addSecs(60)),
             QStringList());
    QVERIFY(QFile::exists(leftover));
}

QTEST_GUILESS_MAIN(LeftoverFilesTest)
#include "LeftoverFilesTest.moc"
