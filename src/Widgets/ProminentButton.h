#pragma once

#include <QPushButton>

namespace Quorvel {

// A button in the window's accent, for the one or two actions a window leads with: filled with
// the palette's highlight colour and lettered in its highlighted text. Disabled, it looks as the
// desktop draws any disabled button. The style's focus mark is a darker shade of the fill, which
// cannot be told from the fill, so with the keyboard's focus it draws the FocusRing inside its
// frame, in the colour that stands out from the fill.
class ProminentButton : public QPushButton {
    Q_OBJECT
public:
    explicit ProminentButton(const QString &text, QWidget *parent = nullptr);
    ProminentButton(const QIcon &icon, const QString &text, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void applyAccent();
};

} // namespace Quorvel
