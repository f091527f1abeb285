#include "QuorvelClientUI/Views/Editor/CardStateLine.h"

#include "Widgets/ShownText.h"

#include <QCoreApplication>

namespace Quorvel {

QString CardStateLine::text(const EditableControl &row, const std::optional<ControlState> &live)
{
    const QString changed = QCoreApplication::translate("ControlCard", "Changed, not saved");
    if (row.isNew())
        return QCoreApplication::translate("ControlCard", "New, not saved");
    if (!live)
        return row.isChanged() ? changed : QString();
    if (live->isBusy)
        return QCoreApplication::translate("ControlCard", "Working\u2026");
    switch (row.control.type) {
    case ControlType::button:
        return row.isChanged() ? changed : QString();
    case ControlType::toggle:
        if (!live->isOn)
            return QString();
        return *live->isOn ? QCoreApplication::translate("ControlCard", "On now")
                           : QCoreApplication::translate("ControlCard", "Off now");
    case ControlType::metric:
        break;
    }
    return ShownText::withHiddenShown(live->detail.value_or(QString()));
}

} // namespace Quorvel
