#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariantMap>

#include <optional>

namespace Quorvel {

class ApplicationForwarder;

// What one start of the program asks for: windows to open and links to follow. Read from the
// command line of the copy that runs, or passed on by a later copy (or a desktop launcher)
// through org.freedesktop.Application, where each window is an action and the links are opened
// URIs.
struct LaunchRequest {
    static constexpr char showOnboardingArgument[] = "--show-onboarding";
    // Any text may follow; it is not read: the settings open on their own first tab.
    static constexpr char settingsTabPrefix[] = "--settings-tab=";
    static constexpr char openDeckEditorArgument[] = "--open-deck-editor";
    static constexpr char linkScheme[] = "quorvel";

    // The action names on the bus.
    static constexpr char showOnboardingAction[] = "show-onboarding";
    static constexpr char showSettingsAction[] = "show-settings";
    static constexpr char openDeckEditorAction[] = "open-deck-editor";
    // Platform data that carries the process that asked, for the link handler.
    static constexpr char senderProcessKey[] = "quorvel-sender-pid";

    bool showOnboarding = false;
    bool showSettings = false;
    bool openDeckEditor = false;
    QList<QUrl> links;
    // The process that asked (the one that started this copy, or the copy that passed it on).
    std::optional<qint64> senderProcess;

    // The arguments after the program's name. Unknown arguments are ignored.
    static LaunchRequest fromArguments(const QStringList &arguments);

    // Whether it asks for anything beyond bringing the program forward.
    bool asksForMore() const
    {
        return showOnboarding || showSettings || openDeckEditor || !links.isEmpty();
    }
    QVariantMap platformData() const;

    // Passes the request to the copy that runs; true when every part arrived.
    bool forward(const ApplicationForwarder &forwarder) const;

    friend bool operator==(const LaunchRequest &, const LaunchRequest &) = default;
};

} // namespace Quorvel
