#include "Widgets/PlainLabel.h"

#include <QFontMetrics>

namespace Quorvel {

PlainLabel::PlainLabel(QWidget *parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
}

PlainLabel::PlainLabel(const QString &text, TextStyle style, StatusTone tone, QWidget *parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setText(text);
    applyTextStyle(this, style);
    applyTone(this, tone);
}

void PlainLabel::setWrapping(int maxLines)
{
    setWordWrap(true);
    m_maxLines = maxLines;
    applyLineLimit();
}

void PlainLabel::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    applyLineLimit();
}

void PlainLabel::applyLineLimit()
{
    if (m_maxLines > 0) {
        setMaximumHeight(QFontMetrics(font()).lineSpacing() * m_maxLines);
    }
}

} // namespace Quorvel
