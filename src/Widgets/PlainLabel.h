#pragma once

#include "Widgets/StatusColors.h"
#include "Widgets/TextStyle.h"

#include <QLabel>

namespace Quorvel {

// A label that never reads its text as markup: host names, titles and messages come from outside
// and must show exactly as sent.
class PlainLabel : public QLabel {
    Q_OBJECT
public:
    explicit PlainLabel(QWidget *parent = nullptr);
    PlainLabel(const QString &text, TextStyle style, StatusTone tone = StatusTone::none,
               QWidget *parent = nullptr);

    // Wraps over as many lines as needed, or at most maxLines (0: no limit) with the rest cut.
    void setWrapping(int maxLines = 0);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void applyLineLimit();

    int m_maxLines = 0;
};

} // namespace Quorvel
