#pragma once

#include <QProxyStyle>

namespace Quorvel {

// The one rule for a line of text that may not fit its place (a host name, a deck or action
// title inside a sentence, a button's label): it ends in "…" where it is cut, so that it never
// just stops mid-letter, and pointing at it shows the whole text. A button's label is cut at its
// end, so it keeps its verb ("Save to Studi…"). Installed once for the program, as the style
// every label and button draws its text through: a window needs no code of its own for it.
// Wrapped text is left to wrap.
class TextFit : public QProxyStyle {
    Q_OBJECT

public:
    // From now on in every window of the application. Once, after the QApplication is made;
    // again does nothing.
    static void install();
    // The text that widget shows in full, where it is one of the labels or buttons this rule
    // looks after, or a widget that draws its own text, and too narrow for it; an empty string
    // otherwise.
    static QString cutText(const QWidget *widget);
    // A widget that draws a text of its own (cut with "…" as it sees fit) says here, each time
    // it draws it, what the whole text is and whether it is cut, so that pointing at it shows
    // the whole.
    static void setOwnText(QWidget *widget, const QString &whole, bool cut);
    // The whole text that widget draws itself, as it last said; empty when it says nothing.
    static QString ownText(const QWidget *widget);

    void drawItemText(QPainter *painter, const QRect &rect, int flags, const QPalette &palette,
                      bool enabled, const QString &text,
                      QPalette::ColorRole textRole = QPalette::NoRole) const override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit TextFit(QStyle *base);
};

} // namespace Quorvel
