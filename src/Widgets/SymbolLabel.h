#pragma once

#include "Widgets/PlainLabel.h"

#include <QWidget>

namespace Quorvel {

// A symbol's icon followed by plain text, both in one colour tone: the views' label with a picture.
class SymbolLabel : public QWidget {
    Q_OBJECT
public:
    SymbolLabel(const QString &symbol, const QString &text, TextStyle style,
                StatusTone tone = StatusTone::none, QWidget *parent = nullptr);

    void set(const QString &symbol, const QString &text, StatusTone tone);
    QString symbol() const { return m_symbol; }
    QString text() const { return m_text->text(); }
    StatusTone tone() const { return m_tone; }
    PlainLabel *textLabel() const { return m_text; }

private:
    QLabel *m_icon;
    PlainLabel *m_text;
    QString m_symbol;
    StatusTone m_tone = StatusTone::none;
};

} // namespace Quorvel
