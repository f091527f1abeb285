#include "Widgets/ElidedField.h"

#include "Widgets/ShownText.h"

#include <QFocusEvent>

namespace Quorvel {

namespace {

// A line edit keeps a small margin on each side of its text inside its contents.
constexpr int textSideMargin = 2;

} // namespace

ElidedField::ElidedField(const QString &text, TextStyle style, StatusTone tone,
                         Qt::TextElideMode mode, QWidget *parent)
    : QLineEdit(parent), m_text(text), m_mode(mode)
{
    applyTextStyle(this, style);
    applyTone(this, tone);
    setReadOnly(true);
    setFrame(false);
    // The window's background, as behind a label.
    QPalette palette = this->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    setPalette(palette);
    setFocusPolicy(Qt::ClickFocus);
    refresh();
}

void ElidedField::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    refresh();
}

void ElidedField::focusInEvent(QFocusEvent *event)
{
    // Whole before the click places the cursor or starts a selection.
    refresh();
    QLineEdit::focusInEvent(event);
}

void ElidedField::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    // A context menu takes the focus for a moment; its "Copy" still needs the whole text.
    if (event->reason() != Qt::PopupFocusReason)
        refresh();
}

void ElidedField::refresh()
{
    const QMargins margins = textMargins();
    const int width =
        contentsRect().width() - margins.left() - margins.right() - 2 * textSideMargin;
    const QString shown =
        hasFocus() ? m_text
                   : fontMetrics().elidedText(ShownText::oneLine(m_text), m_mode, qMax(width, 0));
    if (shown != QLineEdit::text()) {
        QLineEdit::setText(shown);
        setCursorPosition(0);
    }
}

} // namespace Quorvel
