#pragma once

#include "QuorvelCore/Model/ControlType.h"
#include "QuorvelCore/Model/HostCatalog.h"

#include <QList>
#include <QSet>
#include <QString>

#include <optional>
#include <vector>

namespace Quorvel {

// What the picker of other applications' controls shows: the applications with what they offer
// this action, their items grouped as the application groups them, and which of them the action
// can use. It never writes a choice by itself.
class AppControlPickerRules {
public:
    using Provider = HostCatalog::AppControls;
    using Item = HostCatalog::AppControls::Item;

    struct Group {
        std::optional<QString> name;
        std::vector<Item> items;
        friend bool operator==(const Group &, const Group &) = default;
    };

    static bool isUsable(const Item &item, const QSet<ControlType> &allowed);
    // "3 to use" for a running application, "Not running" otherwise.
    static QString caption(const Provider &provider, const QSet<ControlType> &allowed);
    // The caption of a chosen application the host no longer offers.
    static QString notOfferedCaption();
    // Runs of consecutive items with the same group.
    static QList<Group> groups(const Provider &provider);
    static QString symbol(const Item &item);
    static QString subtitle(const Item &item, const QSet<ControlType> &allowed);

    // The application shown as chosen: the bound one; while none is bound, the first running
    // application or else the first. This only guides the eye: nothing is written until the user
    // picks, so an action bound to an application the host stopped offering keeps it.
    static QString shownApp(const std::vector<Provider> &providers, const QString &app);
    // Whether the bound application is missing from what the host offers now.
    static bool isNotOffered(const std::vector<Provider> &providers, const QString &app);
};

} // namespace Quorvel
