#pragma once

#include <QColor>
#include <QObject>
#include <QPalette>

namespace Quorvel {

// Colours the desktop's palette may get wrong, kept readable in every window of the program. A
// dark scheme that names no placeholder colour leaves the light palette's there, dark on dark.
class ReadablePalette : public QObject {
    Q_OBJECT

public:
    // The least a field's placeholder stands apart from the field (a contrast ratio): enough to
    // be read as a hint, as a mark that is not text must.
    static constexpr qreal placeholderContrast = 3.0;

    // Keeps the application's palette readable from now on, through every change of it (the
    // desktop switching schemes, a palette the program sets). Once, after the QApplication is
    // made; again does nothing.
    static void install();
    // The placeholder for a field's text and base colours: the text faded toward the base as far
    // as it keeps placeholderContrast.
    static QColor placeholderColour(const QColor &text, const QColor &base);
    // The palette with its active and inactive placeholders readable on their base: each kept
    // where it already is, otherwise placeholderColour.
    static QPalette withReadablePlaceholders(QPalette palette);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit ReadablePalette(QObject *parent);
    static void keepReadable();
};

} // namespace Quorvel
