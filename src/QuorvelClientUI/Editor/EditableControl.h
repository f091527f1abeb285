#pragma once

#include "QuorvelCore/Model/Control.h"

#include <QUuid>

#include <optional>

namespace Quorvel {

// One row of the deck editor's working copy: the action as edited beside the action as the host
// last gave it. The row's id lives only while the editor holds the row and is never sent.
struct EditableControl {
    QUuid id;
    Control control;
    // None for an action made in the editor (added or duplicated) and not saved since.
    std::optional<Control> original;

    // A row for an action the host gave, unchanged so far.
    static EditableControl loaded(const Control &control);
    // A row for an action the host does not have yet.
    static EditableControl added(const Control &control);

    bool isNew() const { return !original; }
    // A new row is always changed; a row edited back to its original is not. Texts compare
    // character for character: a row that reads as unchanged is saved exactly as it was loaded,
    // and text typed in another Unicode form than it was loaded in is a change that is saved.
    bool isChanged() const;

    // Whether two actions hold the same texts character for character. The deck's own comparison
    // takes texts in different Unicode forms for the same text.
    static bool identical(const Control &a, const Control &b);

    friend bool operator==(const EditableControl &, const EditableControl &) = default;
};

} // namespace Quorvel
