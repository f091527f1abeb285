#pragma once

#include "Widgets/StatusColors.h"
#include "Widgets/TextStyle.h"

#include <QLabel>

namespace Quorvel {

// A label that never reads its text as markup: host names, titles and messages come from outside
// and must show exactly as sent.
class PlainLabel : public QLabel {
    Q_OBJECT
public:
    explicit PlainLabel(QWidget *parent = nullptr);
    PlainLabel(const QString &text, TextStyle style, StatusTone tone = StatusTone::none,
               QWidget *parent = nullptr);

    // Wraps over as many lines as needed, or at most maxLines (0: no limit): then only whole
    // lines show, the last of them ending in "…" when text is left out.
    void setWrapping(int maxLines = 0);

    // These stand in for QLabel's, which would show or give the shortened text: the label keeps
    // the whole text and shows what fits the line limit at its width.
    void setText(const QString &text);
    QString text() const { return m_text; }
    // The text as shown at the current width.
    QString shownText() const { return QLabel::text(); }

    // At most maxLines lines of text as a label wraps it at width, the last one ending in "…"
    // when some of the text does not fit.
    static QString limitedText(const QString &text, const QFont &font, int width, int maxLines);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void applyLineLimit();

    QString m_text;
    int m_maxLines = 0;
};

} // namespace Quorvel
