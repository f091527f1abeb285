#pragma once

#include "QuorvelClientUI/Editor/AddActionFlow.h"

#include <QWidget>

class QLabel;

namespace Quorvel {

class ElidedLabel;

// The add-action sheet's three numbered steps: a check mark for those done, the current one in
// the accent colour, the ones to come outlined. A label too long for its place (the command picked
// in step 2) ends in "…".
class AddActionProgressHeader : public QWidget {
    Q_OBJECT

public:
    static constexpr int markSide = 18;

    explicit AddActionProgressHeader(QWidget *parent = nullptr);

    void set(const QList<AddActionFlow::ProgressLabel> &labels);
    // As wide as the steps' own words: a long pick never widens the sheet, it is shortened.
    QSize sizeHint() const override;
    QStringList texts() const;
    ElidedLabel *label(int index) const { return m_texts.at(index); }

    // The mark of step number n in its state.
    QPixmap markPixmap(int n, AddActionFlow::ProgressLabel::Mark mark) const;

private:
    QList<QLabel *> m_marks;
    QList<ElidedLabel *> m_texts;
};

} // namespace Quorvel
