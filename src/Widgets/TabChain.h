#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QWidget;

namespace Quorvel {

// Qt puts each control made or moved into a window at the end of the window's Tab chain,
// wherever its layout shows it: a page made again, a section shown once a role is on, a row for
// a deck or a host that arrived later would be reached last, after the window's own buttons at
// its foot. A window kept by this rule has its Tab chain follow its layouts again whenever a
// widget comes into it: down a vertical layout, along a horizontal one, into each widget's own
// children the same way. Children outside any layout (a scroll view's content, a tab widget's
// bar and pages) keep the order they had among themselves.
class TabChain : public QObject {
    Q_OBJECT

public:
    // The window's Tab chain follows its layouts, now and whenever a widget comes into it.
    static void keep(QWidget *window);
    // Puts the window's Tab chain in the order of its layouts, once.
    static void followLayouts(QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit TabChain(QObject *parent);
    static TabChain *instance();
    void schedule(QWidget *window);
    void settle();

    // Windows that got widgets since the last settling: the widgets' own children are made
    // after they came in, so the chain is put in order once the events waiting are handled.
    QList<QPointer<QWidget>> m_due;
};

} // namespace Quorvel
