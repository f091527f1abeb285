#pragma once

#include <QAbstractButton>
#include <QPointer>

#include <functional>

namespace Quorvel {

class Popover;

// One changeable part of an action's sentence: a tinted phrase with a dashed underline that
// opens its editor in a popover below it. A chip that may not be edited is plain bold text.
class Chip : public QAbstractButton {
    Q_OBJECT

public:
    // Makes the popover's content each time the chip opens, so every opening starts fresh.
    using ContentFactory = std::function<QWidget *()>;

    // The popover's width, its padding included.
    static constexpr int popoverWidth = 330;

    Chip(const QString &label, bool editable, bool warning, QWidget *parent = nullptr);

    // The label as shown: characters that don't show (a direction override in a command) are
    // written out as their codes, so the chip never reads as another text than the one that runs.
    QString label() const { return text(); }
    // Changes the words or the tint in place; an open popover stays open.
    void setLabel(const QString &label, bool warning);
    bool isEditable() const { return m_editable; }
    bool isWarning() const { return m_warning; }
    // True while the popover is open.
    bool isShown() const { return !m_popover.isNull(); }
    Popover *popover() const { return m_popover; }

    // What the popover shows; a chip without content opens nothing.
    void setContent(ContentFactory factory) { m_content = std::move(factory); }
    // A popover wider than the default, for content that needs the room.
    void setPopoverWidth(int width) { m_popoverWidth = width; }
    bool hasContent() const { return bool(m_content); }
    // Closes the popover when it is open.
    void closePopover();

    QSize sizeHint() const override;
    // Narrower than its words when its line is: then it shows their start and "…".
    QSize minimumSizeHint() const override;

signals:
    void shownChanged(bool shown);

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void open();
    QFont labelFont() const;

    bool m_editable;
    bool m_warning;
    // Measured once per label and font: sentences are measured often.
    mutable QSize m_sizeHint;
    ContentFactory m_content;
    int m_popoverWidth = popoverWidth;
    QPointer<Popover> m_popover;
};

} // namespace Quorvel
