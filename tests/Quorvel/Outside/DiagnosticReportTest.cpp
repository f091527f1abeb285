#include "Quorvel/Outside/DiagnosticReport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Quorvel;

namespace {

DiagnosticReport baseReport()
{
    DiagnosticReport report;
    report.now = QDateTime(QDate(2026, 12, 10), QTime(17, 5), Qt::UTC);
    report.version = "1.2 (42)";
    report.location = "/home/alice/bin/quorvel";
    report.homePath = "/home/alice";
    report.osLine = "Linux: Debian GNU/Linux 12 (bookworm)";
    return report;
}

QStringList linesOf(const DiagnosticReport &report)
{
    QString text = report.text();
    if (!text.endsWith(u'\n'))
        return {"(no final line feed)"};
    text.chop(1);
    return text.split(u'\n').mid(2);
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

} // namespace

// The report's lines for each combination of roles and settings, and its two small helpers.
class DiagnosticReportTest : public QObject {
    Q_OBJECT

private slots:
    void lines_data()
    {
        QTest::addColumn<bool>("remote");
        QTest::addColumn<bool>("hosting");
        QTest::addColumn<bool>("editorOpen");
        QTest::addColumn<QStringList>("tail");

        const QStringList head{"App: 1.2 (42), ~/bin/quorvel",
                               "Linux: Debian GNU/Linux 12 (bookworm)"};
        const QStringList settings{"Start at login: off", "Updates: checked automatically"};
        QTest::newRow("no roles") << false << false << false
                                  << head + QStringList{"Roles: none"} + settings;
        QTest::newRow("remote") << true << false << false
                                << head + QStringList{"Roles: remote"} + settings +
                                       QStringList{"", "Remote", "  Status: idle"};
        QTest::newRow("host, editor never opened") << false << true << false
                                                   << head + QStringList{"Roles: host"} + settings +
                                                          QStringList{"", "Host", "  Hosting: on"};
        QTest::newRow("both, editor open")
            << true << true << true
            << head + QStringList{"Roles: remote + host"} + settings +
                   QStringList{"",
                               "Remote",
                               "  Status: idle",
                               "",
                               "Host",
                               "  Hosting: on",
                               "  This computer's editor: open, can edit"};
    }

    void lines()
    {
        QFETCH(bool, remote);
        QFETCH(bool, hosting);
        QFETCH(bool, editorOpen);
        QFETCH(QStringList, tail);
        DiagnosticReport report = baseReport();
        report.remote = remote;
        report.hosting = hosting;
        if (remote)
            report.remoteLines = QStringList{"Status: idle"};
        if (hosting)
            report.hostLines = QStringList{"Hosting: on"};
        report.editor = DiagnosticReport::Editor{editorOpen, true};
        QCOMPARE(linesOf(report), tail);
        QVERIFY(report.text().startsWith("Quorvel diagnostic report, "));
    }

    void settingsLine()
    {
        DiagnosticReport report = baseReport();
        report.startsAtLogin = true;
        report.automaticallyChecks = false;
        report.getsTestBuilds = true;
        report.availableVersion = "1.3";
        QCOMPARE(
            linesOf(report).mid(3),
            (QStringList{"Start at login: on", "Updates: manual, test builds, 1.3 available"}));
    }

    void dateText_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("shown");
        QTest::newRow("United States") << "en_US"
                                       << "Dec 10, 2026 5:05:09 PM";
        QTest::newRow("Britain") << "en_GB"
                                 << "10 Dec 2026 17:05:09";
        QTest::newRow("Germany") << "de_DE"
                                 << "10. Dez. 2026 17:05:09";
    }

    // An abbreviated date and the time with seconds, in the locale's own order.
    void dateText()
    {
        QFETCH(QString, locale);
        QFETCH(QString, shown);
        const QDateTime when(QDate(2026, 12, 10), QTime(17, 5, 9), Qt::UTC);
        QCOMPARE(DiagnosticReport::dateText(when, QLocale(locale)), shown);

        const QLocale before;
        QLocale::setDefault(QLocale(locale));
        DiagnosticReport report = baseReport();
        report.now = when;
        const QString firstLine = report.text().section(u'\n', 0, 0);
        QLocale::setDefault(before);
        QCOMPARE(firstLine, "Quorvel diagnostic report, " + shown);
    }

    void homeRelative_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("home");
        QTest::addColumn<QString>("shown");
        QTest::newRow("inside home") << "/home/al/bin/q"
                                     << "/home/al"
                                     << "~/bin/q";
        QTest::newRow("home itself") << "/home/al"
                                     << "/home/al"
                                     << "~";
        QTest::newRow("a longer name") << "/home/alice/bin/q"
                                       << "/home/al"
                                       << "/home/alice/bin/q";
        QTest::newRow("home later in the path") << "/opt/home/al/q"
                                                << "/home/al"
                                                << "/opt/home/al/q";
        QTest::newRow("twice") << "/home/al/home/al/q"
                               << "/home/al"
                               << "~/home/al/q";
        QTest::newRow("home with a slash") << "/home/al/q"
                                           << "/home/al/"
                                           << "~/q";
        QTest::newRow("root as home") << "/usr/bin/q"
                                      << "/"
                                      << "/usr/bin/q";
        QTest::newRow("outside home") << "/usr/bin/q"
                                      << "/home/al"
                                      << "/usr/bin/q";
    }

    void homeRelative()
    {
        QFETCH(QString, path);
        QFETCH(QString, home);
        QFETCH(QString, shown);
        QCOMPARE(DiagnosticReport::homeRelative(path, home), shown);
    }

    void linuxLine_data()
    {
        QTest::addColumn<QByteArray>("osRelease");
        QTest::addColumn<QByteArray>("product");
        QTest::addColumn<QString>("line");
        QTest::newRow("quoted name and a model")
            << QByteArray("NAME=\"Debian\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n")
            << QByteArray("ThinkPad X1\n")
            << "Linux: Debian GNU/Linux 12 (bookworm) on ThinkPad X1";
        QTest::newRow("unquoted, no model")
            << QByteArray("PRETTY_NAME=Arch Linux\n") << QByteArray() << "Linux: Arch Linux";
        QTest::newRow("blank model")
            << QByteArray("PRETTY_NAME='Fedora 40'\n") << QByteArray("  \n") << "Linux: Fedora 40";
        QTest::newRow("no pretty name")
            << QByteArray("NAME=x\n") << QByteArray("Box") << "Linux: x on Box";
    }

    void linuxLine()
    {
        QFETCH(QByteArray, osRelease);
        QFETCH(QByteArray, product);
        QFETCH(QString, line);
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath("os-release"), osRelease));
        if (!product.isEmpty())
            QVERIFY(writeFile(dir.filePath("product_name"), product));
        QCOMPARE(
            DiagnosticReport::linuxLine(dir.filePath("os-release"), dir.filePath("product_name")),
            line);
    }
};

QTEST_GUILESS_MAIN(DiagnosticReportTest)
#include "DiagnosticReportTest.moc"
