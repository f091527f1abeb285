#include "QuorvelClientUI/Views/Editor/AddActionProgressHeader.h"

#include "Widgets/ElidedLabel.h"
#include "Widgets/ShownText.h"
#include "Widgets/StatusColors.h"
#include "Widgets/TextStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

namespace Quorvel {

namespace {

using Mark = AddActionFlow::ProgressLabel::Mark;

constexpr int labelSpacing = 18;
constexpr int markSpacing = 6;
constexpr int steps = 3;
// Step 2's label names what was picked (a command, an app, a shortcut): it can be any length.
constexpr int pickedStep = 1;
constexpr int checkSide = 8;
constexpr qreal checkStroke = 1.8;
constexpr qreal doneOpacity = 0.18;
constexpr qreal toComeOpacity = 0.5;
// The share of the mark the number's font takes.
constexpr qreal numberScale = 0.55;

} // namespace

AddActionProgressHeader::AddActionProgressHeader(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(labelSpacing);
    for (int n = 0; n < steps; ++n) {
        auto *pair = new QHBoxLayout;
        pair->setSpacing(markSpacing);
        auto *mark = new QLabel(this);
        mark->setFixedSize(markSide, markSide);
        auto *text = new ElidedLabel(QString(), TextStyle::caption, StatusTone::secondary,
                                     Qt::ElideRight, this);
        // The step's own words always show whole; what was picked shows whole while there is
        // room, shortened (never cut) when there is not.
        text->setSizePolicy(n == pickedStep ? QSizePolicy::Preferred : QSizePolicy::Minimum,
                            QSizePolicy::Fixed);
        pair->addWidget(mark);
        pair->addWidget(text);
        layout->addLayout(pair);
        m_marks.append(mark);
        m_texts.append(text);
    }
    layout->addStretch(1);
}

void AddActionProgressHeader::set(const QList<AddActionFlow::ProgressLabel> &labels)
{
    for (qsizetype i = 0; i < labels.size() && i < m_texts.size(); ++i) {
        const AddActionFlow::ProgressLabel &label = labels.at(i);
        ElidedLabel *text = m_texts.at(i);
        // Each label keeps to one line: a command of several lines shows its first and "…", and
        // the characters that would make it read as another command show as their codes.
        text->setText(ShownText::withHiddenShown(ShownText::firstLine(label.text)));
        applyTextStyle(text, TextStyle::caption);
        QFont font = text->font();
        font.setWeight(label.mark == Mark::current ? QFont::DemiBold : QFont::Normal);
        text->setFont(font);
        // Colours come from the header's own palette: the label's carries its last colour.
        QPalette palette = text->palette();
        palette.setColor(QPalette::WindowText,
                         label.mark == Mark::current
                             ? this->palette().color(QPalette::Highlight)
                             : statusColor(StatusTone::secondary, this->palette()));
        text->setPalette(palette);
        text->setProperty("mark", int(label.mark));
        m_marks.at(i)->setPixmap(markPixmap(int(i) + 1, label.mark));
        m_marks.at(i)->setProperty("mark", int(label.mark));
    }
}

QSize AddActionProgressHeader::sizeHint() const
{
    return {minimumSizeHint().width(), QWidget::sizeHint().height()};
}

QStringList AddActionProgressHeader::texts() const
{
    QStringList texts;
    for (ElidedLabel *text : m_texts)
        texts.append(text->text());
    return texts;
}

QPixmap AddActionProgressHeader::markPixmap(int n, Mark mark) const
{
    const qreal ratio = devicePixelRatioF();
    QPixmap pixmap(QSize(markSide, markSide) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor secondary = statusColor(StatusTone::secondary, palette());
    const QRectF circle(0.5, 0.5, markSide - 1, markSide - 1);
    QFont font = this->font();
    font.setPixelSize(int(markSide * numberScale));
    font.setWeight(QFont::DemiBold);
    painter.setFont(font);
    switch (mark) {
    case Mark::done: {
        QColor fill = secondary;
        fill.setAlphaF(doneOpacity);
        painter.setPen(Qt::NoPen);
        painter.setBrush(fill);
        painter.drawEllipse(circle);
        // A check mark drawn as two strokes, so it needs no icon from the theme.
        const qreal inset = (markSide - checkSide) / 2.0;
        QPen pen(palette().color(QPalette::WindowText), checkStroke);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        painter.setPen(pen);
        const QPointF points[] = {{inset, inset + checkSide * 0.55},
                                  {inset + checkSide * 0.4, inset + checkSide * 0.9},
                                  {inset + checkSide, inset + checkSide * 0.15}};
        painter.drawPolyline(points, 3);
        break;
    }
    case Mark::current:
        painter.setPen(Qt::NoPen);
        painter.setBrush(palette().color(QPalette::Highlight));
        painter.drawEllipse(circle);
        painter.setPen(Qt::white);
        painter.drawText(circle, Qt::AlignCenter, QString::number(n));
        break;
    case Mark::toCome: {
        QColor border = secondary;
        border.setAlphaF(toComeOpacity);
        painter.setPen(border);
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(circle);
        painter.setPen(secondary);
        painter.drawText(circle, Qt::AlignCenter, QString::number(n));
        break;
    }
    }
    return pixmap;
}

} // namespace Quorvel
