#include "QuorvelClientUI/Views/Editor/WordLabel.h"

#include <QEvent>
#include <QPainter>

namespace Quorvel {

WordLabel::WordLabel(const QString &text, QWidget *parent) : QWidget(parent), m_text(text)
{
    setAccessibleName(text);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize WordLabel::sizeHint() const
{
    if (!m_sizeHint.isValid()) {
        const QFontMetrics metrics(font());
        m_sizeHint = QSize(metrics.horizontalAdvance(m_text), metrics.height());
    }
    return m_sizeHint;
}

void WordLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, m_text);
}

void WordLabel::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange) {
        m_sizeHint = QSize();
        updateGeometry();
    }
    QWidget::changeEvent(event);
}

} // namespace Quorvel
