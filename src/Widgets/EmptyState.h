#pragma once

#include <QWidget>

class QVBoxLayout;

namespace Quorvel {

// What a pane shows while it has nothing to show: a large symbol, a title and a line saying why,
// centred, with room under them for what the user can do about it.
class EmptyState : public QWidget {
    Q_OBJECT
public:
    EmptyState(const QString &symbol, const QString &title, const QString &description,
               QWidget *parent = nullptr);

    // Adds a control, centred, under the description.
    void addControl(QWidget *control);

private:
    QVBoxLayout *m_column;
};

} // namespace Quorvel
