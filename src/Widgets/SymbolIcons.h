#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

// Decks and views name their pictures with the symbol names that decks store ("record.circle",
// "speaker.wave.2"). Those names stay as they are everywhere; only drawing turns them into the
// desktop's icons, through this one table.
namespace Quorvel::SymbolIcons {

// Drawn for every symbol the table does not know, so a deck's unknown icon still shows something.
inline constexpr char genericIconName[] = "application-x-executable";

// The freedesktop icon name for a symbol name; empty for a symbol that no theme has and that is
// drawn here instead (DrawnSymbols); the generic name for a symbol neither knows.
QString themeName(const QString &symbol);
// Whether the symbol has a picture of its own, the theme's or a drawn one.
bool knows(const QString &symbol);
// The theme's icon for a symbol, else its drawing, else the generic icon.
QIcon icon(const QString &symbol);
// The icon as a square pixmap of side pixels, kept once made: many rows share few symbols.
QPixmap pixmap(const QString &symbol, int side);
// The icon's shape filled with one colour, for marks whose colour carries meaning.
QPixmap tinted(const QString &symbol, int side, const QColor &colour);

} // namespace Quorvel::SymbolIcons
