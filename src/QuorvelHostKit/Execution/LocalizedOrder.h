#pragma once

#include <QStringList>

namespace Quorvel {

// Sorts texts ascending in the user's locale without regard to case; texts that compare equal
// keep their order.
void sortLocalizedCaseInsensitive(QStringList &texts);

} // namespace Quorvel
