#include "QuorvelHostKit/Execution/ExecutorTools.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Quorvel;

namespace {

// What a program printed, or why it failed, for the test's message.
struct Run {
    bool ok = false;
    QString output;
};

Run run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    // Making the package takes a while on a busy machine; the test's own time-out bounds it.
    const bool finished = process.waitForFinished(-1);
    const QString output = QString::fromUtf8(process.readAll()).trimmed();
    return {finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0,
            output};
}

// The names a control field lists, without versions; of alternatives, the first.
QStringList packageNames(const QString &field)
{
    QStringList names;
    for (const QString &entry : field.split(u',', Qt::SkipEmptyParts))
        names.append(entry.trimmed().section(u' ', 0, 0).section(u'|', 0, 0));
    return names;
}

} // namespace

// The Debian package's control data names what the program runs besides its libraries. The
// package is the one cpack makes from this build, written to a temporary folder.
class DebianPackageTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const Run cpack =
            run(QStringLiteral(QUORVEL_CPACK),
                {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("--config"),
                 QStringLiteral(QUORVEL_CPACK_CONFIG), QStringLiteral("-B"), m_dir.path()});
        QVERIFY2(cpack.ok, qPrintable(cpack.output));
        const QStringList packages =
            QDir(m_dir.path()).entryList({QStringLiteral("*.deb")}, QDir::Files);
        QCOMPARE(packages.size(), 1);
        m_package = m_dir.filePath(packages.first());
    }

    void declaresWhatTheProgramRuns_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("program");
        const ExecutorTools tools;
        QTest::newRow("zsh runs every command, readout and check")
            << QStringLiteral("Depends") << tools.zsh;
        QTest::newRow("pgrep tells whether an application runs")
            << QStringLiteral("Depends") << tools.pgrep;
        QTest::newRow("the sample deck's button shows a notice")
            << QStringLiteral("Recommends") << QStringLiteral("/usr/bin/notify-send");
        QTest::newRow("a keyring keeps the pairing codes")
            << QStringLiteral("Recommends") << QStringLiteral("/usr/bin/gnome-keyring-daemon");
    }

    // The package that installs each program, as this computer's package database knows it.
    void declaresWhatTheProgramRuns()
    {
        QFETCH(QString, field);
        QFETCH(QString, program);
        const Run owner = run(QStringLiteral("dpkg-query"), {QStringLiteral("-S"), program});
        QVERIFY2(owner.ok, qPrintable(owner.output));
        const QString package = owner.output.section(u':', 0, 0);
        const QString declared = controlField(field);
        QVERIFY2(packageNames(declared).contains(package),
                 qPrintable(field + QStringLiteral(": ") + declared + QStringLiteral(" lacks ") +
                            package));
    }

    // The libraries the program links against still come from dpkg-shlibdeps.
    void keepsTheLibraries()
    {
        const QString depends = controlField(QStringLiteral("Depends"));
        QVERIFY2(packageNames(depends).contains(QStringLiteral("libqt6core6")),
                 qPrintable(depends));
    }

    // /usr/share/doc/quorvel/copyright in the machine-readable format: its header names the
    // format, a paragraph covers every file with a holder and terms, and every licence named has
    // its text.
    void shipsAMachineReadableCopyright()
    {
        QTemporaryDir unpacked;
        QVERIFY(unpacked.isValid());
        const Run extract =
            run(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), m_package, unpacked.path()});
        QVERIFY2(extract.ok, qPrintable(extract.output));
        QFile file(unpacked.filePath(QStringLiteral("usr/share/doc/quorvel/copyright")));
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
        const QList<Paragraph> paragraphs = readParagraphs(QString::fromUtf8(file.readAll()));
        QVERIFY(paragraphs.size() >= 2);
        QCOMPARE(
            paragraphs.first().value(QStringLiteral("Format")).first,
            QStringLiteral("https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"));
        QVERIFY(!paragraphs.first().value(QStringLiteral("Upstream-Name")).first.isEmpty());
        bool coversEveryFile = false;
        QStringList named;
        QStringList withText;
        for (const Paragraph &paragraph : paragraphs.mid(1)) {
            const auto licence = paragraph.value(QStringLiteral("License"));
            QVERIFY2(!licence.first.isEmpty(), "a paragraph without a licence");
            if (!licence.second.isEmpty())
                withText.append(licence.first);
            if (!paragraph.contains(QStringLiteral("Files")))
                continue;
            QVERIFY(!paragraph.value(QStringLiteral("Copyright")).first.isEmpty());
            named.append(licence.first);
            coversEveryFile |= paragraph.value(QStringLiteral("Files")).first == u'*';
        }
        QVERIFY(coversEveryFile);
        for (const QString &licence : std::as_const(named))
            QVERIFY2(withText.contains(licence), qPrintable(licence));
    }

private:
    // One paragraph of a control-style file: each field's first line and its continuation.
    using Paragraph = QHash<QString, std::pair<QString, QString>>;

    static QList<Paragraph> readParagraphs(const QString &text)
    {
        QList<Paragraph> paragraphs(1);
        QString field;
        for (const QString &line : text.split(u'\n')) {
            if (line.trimmed().isEmpty()) {
                if (!paragraphs.last().isEmpty())
                    paragraphs.append(Paragraph());
                field.clear();
            } else if (line.front().isSpace() && !field.isEmpty()) {
                paragraphs.last()[field].second += line.trimmed() + u'\n';
            } else {
                field = line.section(u':', 0, 0);
                paragraphs.last()[field].first = line.section(u':', 1).trimmed();
            }
        }
        if (paragraphs.last().isEmpty())
            paragraphs.removeLast();
        return paragraphs;
    }

    QString controlField(const QString &name) const
    {
        const Run field = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), m_package, name});
        return field.ok ? field.output : QString();
    }

    QTemporaryDir m_dir;
    QString m_package;
};

QTEST_GUILESS_MAIN(DebianPackageTest)
#include "DebianPackageTest.moc"
