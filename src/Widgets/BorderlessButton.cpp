#include "Widgets/BorderlessButton.h"

namespace Quorvel {

BorderlessButton::BorderlessButton(const QString &text, TextStyle style, StatusTone tone,
                                   QWidget *parent)
    : QToolButton(parent)
{
    // A tool button reads "&" as a shortcut marker; the texts here are the views' own.
    setText(text);
    setAutoRaise(true);
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    setCursor(Qt::PointingHandCursor);
    applyTextStyle(this, style);
    applyTone(this, tone);
}

} // namespace Quorvel
