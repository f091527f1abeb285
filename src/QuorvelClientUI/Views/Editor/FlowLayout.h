#pragma once

#include "QuorvelClientUI/Views/Editor/FlowRows.h"

#include <QLayout>
#include <QList>

namespace Quorvel {

// Lays its widgets out as text wraps: left to right, each centred on its line, a new line when
// the next would pass the width (FlowRows). Its height follows its width.
class FlowLayout : public QLayout {
    Q_OBJECT

public:
    FlowLayout(int spacing, int lineSpacing, QWidget *parent = nullptr);
    ~FlowLayout() override;

    // A tight widget never starts a line and sits against the one before it.
    void addWidget(QWidget *widget, bool tight);
    // Deletes the items from the index on, and their widgets.
    void truncate(int count);

    void addItem(QLayoutItem *item) override;
    int count() const override { return int(m_items.size()); }
    QLayoutItem *itemAt(int index) const override;
    QLayoutItem *takeAt(int index) override;
    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect &rect) override;
    void invalidate() override;

private:
    struct Entry {
        QLayoutItem *item;
        bool tight;
    };

    QList<FlowRows::Piece> pieces() const;

    QList<Entry> m_items;
    int m_lineSpacing;
    // Box layouts ask for the height at one width many times per pass: the answer is kept until
    // the layout is invalidated.
    mutable int m_cachedWidth = -1;
    mutable int m_cachedHeight = 0;
};

} // namespace Quorvel
