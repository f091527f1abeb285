#include "Widgets/ProminentButton.h"

#include <QPalette>
#include <QPushButton>

namespace Quorvel {

void makeProminent(QPushButton *button)
{
    QPalette palette = button->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Button, palette.color(group, QPalette::Highlight));
        palette.setColor(group, QPalette::ButtonText,
                         palette.color(group, QPalette::HighlightedText));
    }
    button->setPalette(palette);
}

} // namespace Quorvel
