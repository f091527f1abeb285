#pragma once

#include <QWidget>

class QCheckBox;
class QPushButton;

namespace Quorvel {

class PlainLabel;
class Updater;

// The "Updates" tab: automatic checks, the running version with "Check Now", a newer version
// with "Download…" once one was found, and test builds. Quorvel never installs an update itself
// here, so nothing offers to.
class UpdateSettings : public QWidget {
    Q_OBJECT

public:
    UpdateSettings(Updater &updater, const QString &version, QWidget *parent = nullptr);

    QCheckBox *automaticChecks() const { return m_automatic; }
    QPushButton *checkNowButton() const { return m_checkNow; }
    QString versionText() const;
    // The available version's line, empty while none is known.
    QString availableText() const;
    QPushButton *downloadButton() const { return m_download; }
    QString resultText() const;
    QCheckBox *testBuilds() const { return m_testBuilds; }

private:
    void refresh();
    // The last check's result under the version; hidden while there is none.
    void showResult(const QString &text);

    Updater &m_updater;
    QCheckBox *m_automatic;
    PlainLabel *m_version;
    QPushButton *m_checkNow;
    QWidget *m_availableRow;
    PlainLabel *m_available;
    QPushButton *m_download;
    PlainLabel *m_result;
    QCheckBox *m_testBuilds;
};

} // namespace Quorvel
