#include "QuorvelClientUI/Views/Editor/AppIcon.h"

#include "QuorvelClientUI/Views/Editor/AppIconLookup.h"
#include "Widgets/SymbolIcons.h"

#include <QPainter>

namespace Quorvel {

AppIcon::AppIcon(const QString &name, const std::optional<QString> &appID, int size,
                 QWidget *parent)
    : QWidget(parent), m_size(size)
{
    const std::optional<QIcon> found = AppIconLookup::shared().icon(name, appID);
    m_placeholder = !found;
    m_icon = found ? *found : SymbolIcons::icon(QStringLiteral("app.dashed"));
    setFixedSize(size, size);
    setAccessibleName(name);
}

void AppIcon::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const int side = m_placeholder ? qRound(m_size * placeholderScale) : m_size;
    const QRect target((m_size - side) / 2, (m_size - side) / 2, side, side);
    m_icon.paint(&painter, target, Qt::AlignCenter,
                 m_placeholder ? QIcon::Disabled : QIcon::Normal);
}

} // namespace Quorvel
