#pragma once

#include <QWidget>

class QLineEdit;

namespace Quorvel {

class IconPicker;

// The name and icon of one action, changed as the user types or picks: no buttons.
class RenamePopover : public QWidget {
    Q_OBJECT

public:
    static constexpr int popoverWidth = 300;

    RenamePopover(const QString &title, const QString &icon, QWidget *parent = nullptr);

    QLineEdit *nameField() const { return m_name; }
    IconPicker *iconPicker() const { return m_icons; }

signals:
    void titleEdited(const QString &title);
    void iconPicked(const QString &icon);

private:
    QLineEdit *m_name;
    IconPicker *m_icons;
};

} // namespace Quorvel
