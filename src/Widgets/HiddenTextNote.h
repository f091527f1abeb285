#pragma once

#include "Widgets/PlainLabel.h"

class QLineEdit;

namespace Quorvel {

class PlainTextField;

// The line under a command's field that shows the command as it runs when it holds characters
// that don't show (direction overrides, zero-width characters, controls): a field draws them as
// nothing, or lets them reorder what is around them, so "evil" could read "live". Hidden while the
// field's text holds none.
class HiddenTextNote : public PlainLabel {
    Q_OBJECT
public:
    // The parent is needed: a note shown without one would be a window of its own.
    explicit HiddenTextNote(QLineEdit *field, QWidget *parent);
    explicit HiddenTextNote(PlainTextField *field, QWidget *parent);

    // What the note says for a field's text; empty when the text holds nothing hidden.
    static QString noteFor(const QString &text);

private:
    explicit HiddenTextNote(QWidget *parent);
    void follow(const QString &text);
};

} // namespace Quorvel
