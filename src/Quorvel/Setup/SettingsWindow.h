#pragma once

#include "Quorvel/Setup/GeneralSettings.h"
#include "Quorvel/Setup/HostSettings.h"

#include <QWidget>

class QTabWidget;

namespace Quorvel {

class ActivitySettings;
class AppState;
class Updater;
class UpdateSettings;

// The settings window: its four tabs and nothing else. Made once per process and kept when
// closed, so the chosen tab stays chosen.
class SettingsWindow : public QWidget {
    Q_OBJECT

public:
    static inline const QString windowTitleText = QStringLiteral("Quorvel Settings");
    static constexpr QSize defaultSize{560, 520};
    static constexpr QSize minimumTabSize{480, 420};
    // The tabs' tags, in their order.
    static inline const QStringList tags = {QStringLiteral("general"), QStringLiteral("host"),
                                            QStringLiteral("activity"), QStringLiteral("updates")};

    struct Services {
        GeneralSettings::Options general;
        HostSettings::ShowInFiles showInFiles;
        Updater *updater = nullptr;
        QString version;
    };

    SettingsWindow(AppState &app, Services services, QWidget *parent = nullptr);

    QTabWidget *tabs() const { return m_tabs; }
    QString currentTag() const;
    void selectTab(const QString &tag);

    GeneralSettings *general() const { return m_general; }
    HostSettings *hostSettings() const { return m_host; }
    ActivitySettings *activity() const { return m_activity; }
    // Null without an updater.
    UpdateSettings *updates() const { return m_updates; }

private:
    QTabWidget *m_tabs;
    GeneralSettings *m_general;
    HostSettings *m_host;
    ActivitySettings *m_activity;
    UpdateSettings *m_updates = nullptr;
};

} // namespace Quorvel
