#pragma once

#include "QuorvelClientUI/Views/RemoteViewRules.h"

#include <QPixmap>
#include <QWidget>

namespace Quorvel {

class BusyIndicator;

// The label of one action's row, painted in one widget: the icon in its frame, the title, and
// for a switch the badge under it. A deck of hundreds of actions makes hundreds of rows, so the
// parts are drawn rather than made as widgets of their own; only a spinning badge gets one.
class ControlRowLabel : public QWidget {
    Q_OBJECT
public:
    ControlRowLabel(const QString &symbol, const QString &title, bool hasBadge,
                    QWidget *parent = nullptr);

    QString title() const { return m_title; }
    void setBadge(const RemoteViewRules::Badge &badge);
    const RemoteViewRules::Badge &badge() const { return m_badge; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QRect badgeRect() const;
    void placeSpinner();

    QPixmap m_icon;
    QString m_title;
    // A title that holds line breaks shows on its one line.
    QString m_shownTitle;
    bool m_hasBadge;
    RemoteViewRules::Badge m_badge;
    QFont m_badgeFont;
    BusyIndicator *m_spinner = nullptr;
};

} // namespace Quorvel
