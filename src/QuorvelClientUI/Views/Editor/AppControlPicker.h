#pragma once

#include "QuorvelCore/Model/ControlType.h"
#include "QuorvelCore/Model/HostCatalog.h"

#include <QSet>
#include <QWidget>

#include <vector>

class QToolButton;
class QVBoxLayout;

namespace Quorvel {

// Chooses one control that another application on the host offers: the applications on the left,
// the chosen one's controls on the right, grouped as it groups them. Controls the action cannot
// use stay visible, dimmed, with the reason. Its only effects are its two signals: the picker
// never writes a choice by itself, so showing it cannot change an action.
class AppControlPicker : public QWidget {
    Q_OBJECT

public:
    static constexpr int appsWidth = 190;

    AppControlPicker(const QSet<ControlType> &allowed, int height, QWidget *parent = nullptr);

    void setProviders(const std::vector<HostCatalog::AppControls> &providers);
    void setHostName(const QString &hostName);
    // The bound choice; an empty app shows the first running application as a suggestion.
    void setChoice(const QString &app, const QString &control);

    QString shownApp() const;
    // The rows, each named after its application or item.
    QList<QToolButton *> appRows() const;
    QList<QToolButton *> itemRows() const;

signals:
    // The user chose an application: its controls show and no control is chosen.
    void appChosen(const QString &app);
    void controlChosen(const QString &control);

private:
    void rebuild();
    QToolButton *makeRow(const QString &name, const QString &caption, const QString &symbol,
                         bool selected, QWidget *parent);

    QSet<ControlType> m_allowed;
    int m_height;
    std::vector<HostCatalog::AppControls> m_providers;
    QString m_hostName;
    QString m_app;
    QString m_control;
    QWidget *m_body = nullptr;
};

} // namespace Quorvel
