#include "QuorvelClientUI/Views/Editor/TypePopover.h"

#include "QuorvelClientUI/Editor/ControlTypeChange.h"
#include "QuorvelClientUI/Views/Editor/ControlBadge.h"
#include "Widgets/PlainLabel.h"
#include "Widgets/SymbolIcons.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

namespace Quorvel {

namespace {

constexpr int rowSpacing = 10;
constexpr int badgeSize = 28;
constexpr int textSpacing = 2;
constexpr int checkSide = 16;

struct Kind {
    ControlType type;
    const char *symbol;
    const char *title;
    const char *description;
};

constexpr std::array<Kind, 3> kinds{{
    {ControlType::button, "play.square", QT_TRANSLATE_NOOP("TypePopover", "Button"),
     QT_TRANSLATE_NOOP("TypePopover", "Does one thing each time you press it.")},
    {ControlType::toggle, "power.circle", QT_TRANSLATE_NOOP("TypePopover", "Switch"),
     QT_TRANSLATE_NOOP("TypePopover", "Turns something on and off, and shows which it is.")},
    {ControlType::metric, "gauge.with.dots.needle.50percent",
     QT_TRANSLATE_NOOP("TypePopover", "Readout"),
     QT_TRANSLATE_NOOP("TypePopover", "Shows a value that refreshes by itself.")},
}};

} // namespace

TypePopover::TypePopover(EditBinding<Control> control, QWidget *parent)
    : QWidget(parent), m_control(std::move(control))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(rowSpacing);
    layout->addWidget(
        new PlainLabel(tr("What kind of action?"), TextStyle::headline, StatusTone::none, this));
    for (const Kind &kind : kinds) {
        auto *row = new QToolButton(this);
        row->setObjectName(QString::fromLatin1(kind.title));
        row->setAccessibleName(tr(kind.title));
        row->setAutoRaise(true);
        row->setCheckable(true);
        row->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        auto *rowLayout = new QHBoxLayout(row);
        rowLayout->setSpacing(rowSpacing);
        rowLayout->addWidget(
            new ControlBadge(QString::fromLatin1(kind.symbol), kind.type, badgeSize, row), 0,
            Qt::AlignTop);
        auto *texts = new QVBoxLayout;
        texts->setSpacing(textSpacing);
        auto *title = new PlainLabel(tr(kind.title), TextStyle::body, StatusTone::none, row);
        QFont bold = title->font();
        bold.setWeight(QFont::DemiBold);
        title->setFont(bold);
        texts->addWidget(title);
        auto *description =
            new PlainLabel(tr(kind.description), TextStyle::caption, StatusTone::secondary, row);
        description->setWrapping();
        texts->addWidget(description);
        rowLayout->addLayout(texts, 1);
        auto *check = new QLabel(row);
        check->setObjectName(QStringLiteral("checkmark"));
        check->setPixmap(SymbolIcons::pixmap(QStringLiteral("checkmark.circle"), checkSide));
        rowLayout->addWidget(check);
        const ControlType type = kind.type;
        connect(row, &QToolButton::clicked, this, [this, type] {
            Control next = m_control.get();
            changingType(next, type);
            m_control.set(next);
            refresh();
        });
        m_rows.append(row);
        layout->addWidget(row);
    }
    // Each row is as tall as its wrapped text; room to spare goes below them.
    layout->addStretch(1);
    refresh();
}

void TypePopover::refresh()
{
    const ControlType current = m_control.get().type;
    for (qsizetype i = 0; i < m_rows.size(); ++i) {
        const bool chosen = kinds.at(size_t(i)).type == current;
        m_rows.at(i)->setChecked(chosen);
        m_rows.at(i)->findChild<QLabel *>(QStringLiteral("checkmark"))->setVisible(chosen);
    }
}

} // namespace Quorvel
