#include "Widgets/ElidedLabel.h"

#include "Widgets/ShownText.h"
#include "Widgets/TextFit.h"

#include <QFontMetrics>
#include <QPainter>
#include <QtMath>

namespace Quorvel {

ElidedLabel::ElidedLabel(const QString &text, TextStyle style, StatusTone tone,
                         Qt::TextElideMode mode, QWidget *parent)
    : QWidget(parent), m_text(text), m_mode(mode)
{
    applyTextStyle(this, style);
    applyTone(this, tone);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

void ElidedLabel::setText(const QString &text)
{
    if (m_text != text) {
        m_text = text;
        updateGeometry();
        update();
    }
}

QString ElidedLabel::shownText() const
{
    return QFontMetricsF(font()).elidedText(ShownText::oneLine(m_text), m_mode, width());
}

QSize ElidedLabel::sizeHint() const
{
    // Rounded up: a width rounded to the nearest pixel can be a fraction short of the text, and
    // the text would then be cut at the very width it asked for.
    return {qCeil(QFontMetricsF(font()).horizontalAdvance(ShownText::oneLine(m_text))),
            fontMetrics().height()};
}

QSize ElidedLabel::minimumSizeHint() const
{
    return {0, fontMetrics().height()};
}

void ElidedLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    const QString shown = shownText();
    TextFit::setOwnText(this, m_text, shown != ShownText::oneLine(m_text));
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
}

} // namespace Quorvel
