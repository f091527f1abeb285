#pragma once

#include "Widgets/StatusColors.h"
#include "Widgets/TextStyle.h"

#include <QToolButton>

namespace Quorvel {

// A button drawn as text alone, raised only under the pointer: the views' quiet actions
// ("Show", "Copy", "Generate New Code…").
class BorderlessButton : public QToolButton {
    Q_OBJECT
public:
    BorderlessButton(const QString &text, TextStyle style = TextStyle::caption,
                     StatusTone tone = StatusTone::none, QWidget *parent = nullptr);
};

} // namespace Quorvel
