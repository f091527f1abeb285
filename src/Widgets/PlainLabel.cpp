#include "Widgets/PlainLabel.h"

#include <QFontMetrics>
#include <QTextLayout>

namespace Quorvel {

namespace {

const QString ellipsis = QStringLiteral("…");

QString withoutTrailingSpace(QString line)
{
    while (!line.isEmpty() && line.back().isSpace())
        line.chop(1);
    return line;
}

} // namespace

PlainLabel::PlainLabel(QWidget *parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
}

PlainLabel::PlainLabel(const QString &text, TextStyle style, StatusTone tone, QWidget *parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    applyTextStyle(this, style);
    applyTone(this, tone);
    setText(text);
}

void PlainLabel::setWrapping(int maxLines)
{
    setWordWrap(true);
    m_maxLines = maxLines;
    applyLineLimit();
}

void PlainLabel::setText(const QString &text)
{
    m_text = text;
    if (m_maxLines > 0)
        applyLineLimit();
    else
        QLabel::setText(text);
}

QString PlainLabel::limitedText(const QString &text, const QFont &font, int width, int maxLines)
{
    QStringList lines;
    bool cut = false;
    QTextOption option;
    // As a word-wrapping label breaks its lines.
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    const QStringList paragraphs = text.split(u'\n');
    for (qsizetype index = 0; index < paragraphs.size() && !cut; ++index) {
        const QString &paragraph = paragraphs.at(index);
        QTextLayout layout(paragraph, font);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            if (lines.size() == maxLines) {
                cut = true;
                break;
            }
            line.setLineWidth(width);
            lines.append(paragraph.mid(line.textStart(), line.textLength()));
        }
        layout.endLayout();
        if (lines.size() == maxLines && index + 1 < paragraphs.size())
            cut = true;
    }
    if (!cut)
        return text;
    const QFontMetrics metrics(font);
    QString last = withoutTrailingSpace(lines.last());
    while (!last.isEmpty() && metrics.horizontalAdvance(last + ellipsis) > width)
        last = withoutTrailingSpace(last.chopped(1));
    lines.last() = last + ellipsis;
    for (QString &line : lines)
        line = withoutTrailingSpace(line);
    return lines.join(u'\n');
}

void PlainLabel::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    applyLineLimit();
}

void PlainLabel::applyLineLimit()
{
    if (m_maxLines <= 0)
        return;
    const int width = contentsRect().width() - 2 * margin();
    const QString shown = width > 0 ? limitedText(m_text, font(), width, m_maxLines) : m_text;
    if (shown != QLabel::text())
        QLabel::setText(shown);
}

} // namespace Quorvel
