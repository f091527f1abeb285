#pragma once

#include <QIcon>
#include <QString>

namespace Quorvel {

// The icon of a symbol that only decorates a control whose words say it all (the plus of "Add
// Action", the pencil by the title): none where the icon table lacks the symbol, rather than the
// generic picture that stands in for a deck's unknown icon.
QIcon chromeIcon(const QString &symbol);

} // namespace Quorvel
