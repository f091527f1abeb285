#pragma once

#include <QWidget>

class QGridLayout;
class QLineEdit;
class QToolButton;

namespace Quorvel {

// A searchable grid of the symbols an action's icon can be; its only effect is the icon.
class IconPicker : public QWidget {
    Q_OBJECT

public:
    static constexpr int columns = 8;
    static constexpr int cellSide = 32;
    static constexpr int columnWidth = 34;
    static constexpr int cellSpacing = 4;
    static constexpr int pickerWidth = columns * columnWidth + (columns - 1) * cellSpacing;
    static constexpr int gridHeight = 190;

    explicit IconPicker(const QString &icon, QWidget *parent = nullptr);

    QString icon() const { return m_icon; }
    void setIcon(const QString &icon);
    QLineEdit *searchField() const { return m_search; }
    // The cells shown, in order; each is named after its symbol.
    QList<QToolButton *> cells() const;

signals:
    void iconPicked(const QString &icon);

private:
    void rebuild();

    QString m_icon;
    QLineEdit *m_search;
    QWidget *m_grid;
    QGridLayout *m_gridLayout;
};

} // namespace Quorvel
