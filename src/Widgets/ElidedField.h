#pragma once

#include "Widgets/TextStyle.h"

#include <QLineEdit>

namespace Quorvel {

// One line of plain text that can be selected and copied whole: shortened (in the middle, or
// where asked) while it does not fit, and shown whole while it has the focus, so that what is
// selected and copied is the real text, never the shortened one. Read-only and frameless, so it
// looks like a label.
class ElidedField : public QLineEdit {
    Q_OBJECT
public:
    ElidedField(const QString &text, TextStyle style, StatusTone tone, Qt::TextElideMode mode,
                QWidget *parent = nullptr);

    QString fullText() const { return m_text; }
    // The text as shown now.
    QString shownText() const { return QLineEdit::text(); }

protected:
    void resizeEvent(QResizeEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void refresh();

    QString m_text;
    Qt::TextElideMode m_mode;
};

} // namespace Quorvel
