#include "QuorvelClientUI/Editor/ProblemWording.h"

#include "QuorvelCore/Model/CanonicalText.h"

#include <algorithm>
#include <array>

namespace Quorvel {

namespace {

struct Rewording {
    QStringView found;
    QStringView replacement;
};

// In this order: the plain action slot's text is contained in the texts of the switch's two
// slots, so those must be reworded first.
constexpr std::array<Rewording, 11> rewordings{{
    {u"on_action target is empty", u"Choose what turning it on does."},
    {u"off_action target is empty", u"Choose what turning it off does."},
    {u"action target is empty", u"Choose what pressing it does."},
    {u"status_check target is empty", u"Choose what it checks."},
    {u"on_action target holds a NUL character",
     u"What turning it on runs holds a NUL character (<U+0000>), which can't be passed to a "
     u"program."},
    {u"off_action target holds a NUL character",
     u"What turning it off runs holds a NUL character (<U+0000>), which can't be passed to a "
     u"program."},
    {u"action target holds a NUL character",
     u"What pressing it runs holds a NUL character (<U+0000>), which can't be passed to a "
     u"program."},
    {u"status_check target holds a NUL character",
     u"What it checks holds a NUL character (<U+0000>), which can't be passed to a program."},
    {u"title is empty", u"Give it a name."},
    {u"id is empty", u"It needs an ID (Advanced)."},
    {u"id is used more than once", u"Another action uses the same ID."},
}};

// The deck's own problems. Their words contain a rule's text about one action ("title is
// empty"), so they are recognised whole before any rule's text is looked for inside them.
constexpr std::array<QStringView, 2> deckProblems{u"the title is empty", u"there are no actions"};

} // namespace

QString friendlyProblem(const QString &text)
{
    for (const Rewording &rewording : rewordings) {
        if (text == rewording.found)
            return rewording.replacement.toString();
    }
    if (std::find(deckProblems.cbegin(), deckProblems.cend(), text) != deckProblems.cend())
        return text;
    QString worded = text;
    for (const Rewording &rewording : rewordings)
        worded.replace(rewording.found.toString(), rewording.replacement.toString());
    return worded;
}

bool isDuplicateID(const QString &id, const QStringList &rowIDs)
{
    const auto sameID = [&id](const QString &rowID) { return sameText(rowID, id); };
    return std::count_if(rowIDs.cbegin(), rowIDs.cend(), sameID) > 1;
}

} // namespace Quorvel
