#include "QuorvelClientUI/Views/Editor/RenamePopover.h"

#include "QuorvelClientUI/Views/Editor/IconPicker.h"
#include "Widgets/LineField.h"
#include "Widgets/PlainLabel.h"

#include <QLineEdit>
#include <QVBoxLayout>

namespace Quorvel {

namespace {

constexpr int rowSpacing = 10;

} // namespace

RenamePopover::RenamePopover(const QString &title, const QString &icon, QWidget *parent)
    : QWidget(parent), m_name(new LineField(title, this)), m_icons(new IconPicker(icon, this))
{
    setFixedWidth(popoverWidth);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(rowSpacing);
    layout->addWidget(
        new PlainLabel(tr("Name and icon"), TextStyle::headline, StatusTone::none, this));
    m_name->setPlaceholderText(tr("Name"));
    m_name->setAccessibleName(tr("Name"));
    m_name->setObjectName(QStringLiteral("name"));
    layout->addWidget(m_name);
    layout->addWidget(m_icons);
    connect(m_name, &QLineEdit::textEdited, this, &RenamePopover::titleEdited);
    connect(m_icons, &IconPicker::iconPicked, this, &RenamePopover::iconPicked);
}

} // namespace Quorvel
