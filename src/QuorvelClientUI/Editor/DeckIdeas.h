#pragma once

#include "QuorvelCore/Model/Control.h"
#include "QuorvelCore/Model/HostCatalog.h"

#include <QString>

#include <optional>
#include <vector>

namespace Quorvel {

// Ready-made actions suggested from what a host offers: a switch for another application's
// control, a switch that opens and quits an installed app, a button for a shortcut and a
// free-disk readout.
namespace DeckIdeas {

struct Idea {
    // The kind of suggestion ("appControl", "app", "shortcut" or "disk"), unique in one list.
    QString id;
    QString label;
    Control control;

    friend bool operator==(const Idea &, const Idea &) = default;
};

// At most three ideas, in the order to show them, leaving out what the existing actions already
// do; empty without a catalog.
std::vector<Idea> ideas(const std::optional<HostCatalog> &catalog,
                        const std::vector<Control> &existing);

} // namespace DeckIdeas

} // namespace Quorvel
