#pragma once

#include "QuorvelClientUI/Views/Editor/EditBinding.h"

#include <QWidget>

#include <optional>

class QButtonGroup;
class QVBoxLayout;

namespace Quorvel {

// Changes how often a status check runs: seven offered intervals, and the current one when it
// is none of them.
class IntervalPopover : public QWidget {
    Q_OBJECT

public:
    explicit IntervalPopover(EditBinding<std::optional<double>> interval,
                             QWidget *parent = nullptr);

    QButtonGroup *options() const { return m_options; }

private:
    void rebuild();

    EditBinding<std::optional<double>> m_interval;
    QVBoxLayout *m_list;
    QButtonGroup *m_options;
};

} // namespace Quorvel
