#pragma once

#include "QuorvelCore/Model/ControlType.h"

#include <QString>
#include <QWidget>

#include <optional>

namespace Quorvel {

// The square badge of an action: its icon in the colour of its kind on a tint of that colour.
// Decorative: screen readers skip it.
class ControlBadge : public QWidget {
    Q_OBJECT

public:
    ControlBadge(const std::optional<QString> &icon, ControlType type, int size,
                 QWidget *parent = nullptr);

    void set(const std::optional<QString> &icon, ControlType type);
    // The symbol drawn: the icon, or "circle.dashed" when it is absent or empty.
    static QString symbolFor(const std::optional<QString> &icon);
    QString symbol() const { return symbolFor(m_icon); }
    ControlType type() const { return m_type; }

    QSize sizeHint() const override { return QSize(m_size, m_size); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::optional<QString> m_icon;
    ControlType m_type;
    int m_size;
};

} // namespace Quorvel
