#pragma once

#include "QuorvelCore/Model/Control.h"
#include "QuorvelCore/Model/HostCatalog.h"

#include <QJsonDocument>
#include <QMetaType>
#include <QTest>

#include <optional>

// Values of the deck model as table columns, with readable failure output.
Q_DECLARE_METATYPE(std::optional<QString>)
Q_DECLARE_METATYPE(std::optional<double>)
Q_DECLARE_METATYPE(std::optional<Quorvel::HostCatalog>)
Q_DECLARE_METATYPE(std::optional<Quorvel::Control>)
Q_DECLARE_METATYPE(Quorvel::Action)
Q_DECLARE_METATYPE(Quorvel::Control)
Q_DECLARE_METATYPE(Quorvel::ControlType)

namespace Quorvel {

inline char *toString(const Control &control)
{
    return QTest::toString(QString::fromUtf8(QJsonDocument(control.toJson()).toJson()));
}

inline char *toString(const Action &action)
{
    return QTest::toString(QString::fromUtf8(QJsonDocument(action.toJson()).toJson()));
}

} // namespace Quorvel

namespace EditorTest {

using namespace Quorvel;

inline Action action(Action::Kind kind, const QString &target,
                     std::optional<double> timeout = std::nullopt)
{
    Action made;
    made.type = kind;
    made.target = target;
    made.timeout = timeout;
    return made;
}

inline Action appControlAction(const QString &app, const std::optional<QString> &control,
                               const std::optional<QString> &value)
{
    Action made = action(Action::Kind::appControl, app);
    made.control = control;
    made.value = value;
    return made;
}

inline StatusCheck check(StatusCheck::Kind kind, const QString &target,
                         std::optional<double> interval = std::nullopt,
                         std::optional<QString> control = std::nullopt)
{
    return StatusCheck{kind, target, interval, control};
}

inline Control control(const QString &id, const QString &title, ControlType type)
{
    Control made;
    made.id = id;
    made.title = title;
    made.type = type;
    return made;
}

// A host whose "Player" (a.b.Player) offers a switch "mute" named "Mute", a level "volume" and
// a button "skip", and whose apps include Rhythmbox and Firefox ESR by their desktop entries.
inline HostCatalog studioCatalog()
{
    HostCatalog catalog;
    catalog.shortcuts = {"Morning", "Quit Rhythmbox"};
    catalog.apps = {
        {"Firefox ESR", "/usr/share/applications/firefox-esr.desktop", "firefox-esr.desktop"},
        {"Rhythmbox", "/usr/share/applications/org.gnome.Rhythmbox3.desktop",
         "org.gnome.Rhythmbox3.desktop"}};
    HostCatalog::AppControls player;
    player.app = "a.b.Player";
    player.name = "Player Pro";
    player.isRunning = true;
    player.controls = {
        {"mute", "Mute", "toggle", std::nullopt, false, std::nullopt, false},
        {"volume", "Volume", "level", std::nullopt, false, std::nullopt, std::nullopt},
        {"skip", "Skip", "button", std::nullopt, false, std::nullopt, std::nullopt}};
    catalog.appControls = {player};
    return catalog;
}

} // namespace EditorTest
