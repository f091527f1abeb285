#pragma once

#include <QAbstractButton>

class QLabel;

namespace Quorvel {

class PlainLabel;
class SymbolLabel;

// One role as a card to tick: a check mark, the role's title with its symbol and what it means.
// A click anywhere inside the outline flips it; the card knows nothing of any other card.
class RoleChoice : public QAbstractButton {
    Q_OBJECT

public:
    RoleChoice(const QString &symbol, const QString &title, const QString &detail,
               QWidget *parent = nullptr);

    // The mark's symbol as shown: "checkmark.circle.fill" when ticked, "circle" otherwise.
    QString markSymbol() const;
    QString title() const;
    QString detail() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void refreshMark();

    QLabel *m_mark;
    SymbolLabel *m_title;
    PlainLabel *m_detail;
};

} // namespace Quorvel
