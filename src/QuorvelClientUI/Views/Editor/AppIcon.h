#pragma once

#include <QString>
#include <QWidget>

#include <optional>

namespace Quorvel {

// An application's own icon beside its name; a neutral placeholder when this computer does not
// have the application (the deck may be another computer's).
class AppIcon : public QWidget {
    Q_OBJECT

public:
    // The placeholder fills this share of the side.
    static constexpr qreal placeholderScale = 0.8;

    AppIcon(const QString &name, const std::optional<QString> &appID, int size,
            QWidget *parent = nullptr);

    bool isPlaceholder() const { return m_placeholder; }
    QSize sizeHint() const override { return QSize(m_size, m_size); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QIcon m_icon;
    bool m_placeholder;
    int m_size;
};

} // namespace Quorvel
