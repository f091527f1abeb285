#pragma once

#include <QPushButton>

class QLabel;

namespace Quorvel {

class ElidedLabel;

// The deck's title in the editor's header, pressed to rename the deck: the title, cut at its end
// with "…" when the header is short of room, and the pencil right after it. However long the
// title, the pencil stays in sight.
class DeckTitleButton : public QPushButton {
    Q_OBJECT

public:
    explicit DeckTitleButton(QWidget *parent = nullptr);

    // The whole title, and the pencil shown or not.
    void setTitle(const QString &title, bool showsPencil);
    QString title() const;
    // The title as drawn at the current width.
    QString shownTitle() const;
    QLabel *pencil() const { return m_pencil; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

private:
    QString m_titleText;
    ElidedLabel *m_title;
    QLabel *m_pencil;
};

} // namespace Quorvel
