#pragma once

#include "QuorvelClientUI/Editor/AddActionFlow.h"

#include <QWidget>

class QLabel;

namespace Quorvel {

// The add-action sheet's three numbered steps: a check mark for those done, the current one in
// the accent colour, the ones to come outlined.
class AddActionProgressHeader : public QWidget {
    Q_OBJECT

public:
    static constexpr int markSide = 18;

    explicit AddActionProgressHeader(QWidget *parent = nullptr);

    void set(const QList<AddActionFlow::ProgressLabel> &labels);
    QStringList texts() const;

    // The mark of step number n in its state.
    QPixmap markPixmap(int n, AddActionFlow::ProgressLabel::Mark mark) const;

private:
    QList<QLabel *> m_marks;
    QList<QLabel *> m_texts;
};

} // namespace Quorvel
