#include "QuorvelClientUI/Views/Editor/ChromeIcon.h"

#include "Widgets/SymbolIcons.h"

namespace Quorvel {

QIcon chromeIcon(const QString &symbol)
{
    return SymbolIcons::knows(symbol) ? SymbolIcons::icon(symbol) : QIcon();
}

} // namespace Quorvel
