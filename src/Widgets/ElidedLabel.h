#pragma once

#include "Widgets/TextStyle.h"

#include <QWidget>

namespace Quorvel {

// One line of plain text, cut in the middle (or where asked) when it does not fit: paths keep
// both their start and their file name. A text that holds line breaks (a title from a
// hand-edited deck file) shows them as spaces, on its one line.
class ElidedLabel : public QWidget {
    Q_OBJECT
public:
    ElidedLabel(const QString &text, TextStyle style, StatusTone tone, Qt::TextElideMode mode,
                QWidget *parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString &text);
    // The text as drawn at the current width, on one line.
    QString shownText() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_text;
    Qt::TextElideMode m_mode;
};

} // namespace Quorvel
