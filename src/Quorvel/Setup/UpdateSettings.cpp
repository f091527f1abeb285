#include "Quorvel/Setup/UpdateSettings.h"

#include "Quorvel/Outside/Updater.h"
#include "Widgets/PlainLabel.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace Quorvel {

UpdateSettings::UpdateSettings(Updater &updater, const QString &version, QWidget *parent)
    : QWidget(parent), m_updater(updater),
      m_automatic(new QCheckBox(QStringLiteral("Check for updates automatically"))),
      m_version(new PlainLabel(QStringLiteral("Version %1").arg(version), TextStyle::body)),
      m_checkNow(new QPushButton(QStringLiteral("Check Now"))), m_availableRow(new QWidget),
      m_available(new PlainLabel(QString(), TextStyle::body)),
      m_download(new QPushButton(QStringLiteral("Download…"))),
      m_result(new PlainLabel(QString(), TextStyle::caption, StatusTone::secondary)),
      m_testBuilds(new QCheckBox(QStringLiteral("Get test builds")))
{
    auto *layout = new QVBoxLayout(this);

    auto *main = new QGroupBox;
    auto *mainLayout = new QVBoxLayout(main);
    mainLayout->addWidget(m_automatic);
    auto *versionRow = new QHBoxLayout;
    versionRow->addWidget(m_version, 1);
    versionRow->addWidget(m_checkNow);
    mainLayout->addLayout(versionRow);
    auto *availableRow = new QHBoxLayout(m_availableRow);
    availableRow->setContentsMargins(0, 0, 0, 0);
    availableRow->addWidget(m_available, 1);
    availableRow->addWidget(m_download);
    mainLayout->addWidget(m_availableRow);
    m_result->setWrapping();
    mainLayout->addWidget(m_result);
    layout->addWidget(main);

    auto *testing = new QGroupBox;
    auto *testingLayout = new QVBoxLayout(testing);
    testingLayout->addWidget(m_testBuilds);
    auto *footer = new PlainLabel(QStringLiteral("Test builds come out before everyone gets them, "
                                                 "and may have rough edges."),
                                  TextStyle::caption, StatusTone::secondary);
    footer->setWrapping();
    testingLayout->addWidget(footer);
    layout->addWidget(testing);
    layout->addStretch(1);

    connect(m_automatic, &QCheckBox::toggled, &updater, &Updater::setAutomaticallyChecks);
    connect(m_testBuilds, &QCheckBox::toggled, &updater, &Updater::setGetsTestBuilds);
    connect(m_checkNow, &QPushButton::clicked, this, [this] {
        showResult(QString());
        m_updater.checkNow();
    });
    connect(m_download, &QPushButton::clicked, &updater, [this] { m_updater.openDownload(); });
    connect(&updater, &Updater::automaticallyChecksChanged, this, &UpdateSettings::refresh);
    connect(&updater, &Updater::getsTestBuildsChanged, this, &UpdateSettings::refresh);
    connect(&updater, &Updater::pendingVersionChanged, this, &UpdateSettings::refresh);
    connect(&updater, &Updater::upToDate, this,
            [this] { showResult(QStringLiteral("Quorvel is up to date.")); });
    connect(&updater, &Updater::checkFailed, this, [this](const QString &reason) {
        showResult(QStringLiteral("Couldn't check for updates: ") + reason);
    });
    showResult(QString());
    refresh();
}

void UpdateSettings::showResult(const QString &text)
{
    m_result->setText(text);
    m_result->setHidden(text.isEmpty());
}

QString UpdateSettings::versionText() const
{
    return m_version->text();
}

QString UpdateSettings::availableText() const
{
    return m_available->text();
}

QString UpdateSettings::resultText() const
{
    return m_result->text();
}

void UpdateSettings::refresh()
{
    const QSignalBlocker automaticBlocker(m_automatic);
    const QSignalBlocker testingBlocker(m_testBuilds);
    m_automatic->setChecked(m_updater.automaticallyChecks());
    m_testBuilds->setChecked(m_updater.getsTestBuilds());
    const std::optional<QString> &pending = m_updater.pendingVersion();
    m_available->setText(pending ? Updater::availableText(*pending) : QString());
    m_availableRow->setHidden(!pending);
}

} // namespace Quorvel
