#pragma once

#include "QuorvelCore/Model/Control.h"

#include <QWidget>

class QGridLayout;
class QLabel;
class QLineEdit;

namespace Quorvel {

// The settings of an action its sentence does not show: its id, how long the host waits for a
// run and how often the state is checked. Numbers are read and shown in the user's locale.
class AdvancedSection : public QWidget {
    Q_OBJECT

public:
    explicit AdvancedSection(QWidget *parent = nullptr);

    // Shows the control's values; a field being typed in keeps its text.
    void showControl(const Control &control);

    QLineEdit *idField() const { return m_id; }
    QLineEdit *giveUpField() const { return m_giveUp; }
    QLineEdit *intervalField() const { return m_interval; }
    QLabel *intervalLabel() const { return m_intervalLabel; }

    // A number as typed in the user's locale; none for an empty or unreadable field.
    static std::optional<double> readNumber(const QString &text);
    static QString writeNumber(std::optional<double> value);

signals:
    // The whole control with one field changed.
    void edited(const Control &control);
    void editAsJSON();

private:
    void setRowVisible(int row, bool visible);

    Control m_control;
    QGridLayout *m_grid;
    QLineEdit *m_id;
    QLineEdit *m_giveUp;
    QLineEdit *m_interval;
    QLabel *m_intervalLabel;
};

} // namespace Quorvel
