#pragma once

#include <QSet>
#include <QString>

namespace Quorvel {

// An id for a new action made from its title: lower case, every character that is not a letter
// or a number replaced by "_" (runs collapsed, none at either end), "control" when nothing is
// left, and "_2", "_3", ... added when that is taken. An id counts as taken when it names the
// same action as one in taken by the deck rules, so ids that differ only in their Unicode
// normalisation collide.
QString makeControlID(const QString &title, const QSet<QString> &taken);

} // namespace Quorvel
