#include "QuorvelClientUI/Views/ControlRow.h"

#include "QuorvelClientUI/ClientModel.h"
#include "QuorvelClientUI/Views/RemoteViewRules.h"
#include "QuorvelClientUI/Views/StatusBadge.h"
#include "Widgets/PlainLabel.h"
#include "Widgets/SymbolIcons.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace Quorvel {

namespace {

constexpr int labelSpacing = 10;
constexpr int titleSpacing = 2;
// The icon sits in a frame this wide, centred, so titles line up.
constexpr int iconFrame = 22;
constexpr int iconSide = 16;

QString symbolOf(const Control &control)
{
    return control.icon.value_or(QStringLiteral("circle"));
}

} // namespace

ControlRow::ControlRow(const Control &control, ClientModel *model, QWidget *parent)
    : QWidget(parent), m_control(control), m_model(model)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    switch (control.type) {
    case ControlType::button: {
        // The whole row is the button; its label is drawn by child widgets so the title stays
        // plain text (a button's own text would read "&" as a shortcut marker).
        m_button = new QPushButton(this);
        m_button->setFlat(true);
        auto *inside = new QHBoxLayout(m_button);
        inside->setContentsMargins(4, 2, 4, 2);
        inside->addWidget(makeLabel(m_button));
        m_button->setAccessibleName(control.title);
        layout->addWidget(m_button);
        connect(m_button, &QPushButton::clicked, this, [this] {
            if (m_model)
                m_model->press(m_control);
        });
        break;
    }
    case ControlType::toggle:
        layout->addWidget(makeLabel(this), 1);
        m_switch = new QCheckBox(this);
        m_switch->setAccessibleName(control.title);
        layout->addWidget(m_switch);
        connect(m_switch, &QCheckBox::clicked, this, [this](bool on) {
            if (m_model)
                m_model->toggle(m_control, on);
            // The host decides the position: show its report again until it sends a new one.
            refresh();
        });
        break;
    case ControlType::metric:
        layout->addWidget(makeLabel(this), 1);
        m_readout = new PlainLabel({}, TextStyle::callout, StatusTone::secondary, this);
        layout->addWidget(m_readout);
        break;
    }
    refresh();
}

QWidget *ControlRow::makeLabel(QWidget *parent)
{
    auto *label = new QWidget(parent);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto *row = new QHBoxLayout(label);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(labelSpacing);
    auto *icon = new QLabel(label);
    icon->setPixmap(SymbolIcons::pixmap(symbolOf(m_control), iconSide));
    icon->setFixedWidth(iconFrame);
    icon->setAlignment(Qt::AlignCenter);
    icon->setAccessibleName(symbolOf(m_control));
    row->addWidget(icon);
    auto *texts = new QVBoxLayout;
    texts->setSpacing(titleSpacing);
    m_title = new PlainLabel(m_control.title, TextStyle::body, StatusTone::none, label);
    texts->addWidget(m_title);
    if (m_control.type == ControlType::toggle) {
        m_badge = new StatusBadge(label);
        texts->addWidget(m_badge);
    }
    row->addLayout(texts, 1);
    return label;
}

void ControlRow::refresh()
{
    if (!m_model) {
        return;
    }
    const std::optional<ControlState> state = m_model->state(m_control.id);
    const bool busy =
        RemoteViewRules::isBusy(state, m_model->pendingControls().contains(m_control.id));
    if (m_button) {
        m_button->setEnabled(!busy);
    }
    if (m_switch) {
        m_switch->setChecked(state && state->isOn.value_or(false));
        m_switch->setEnabled(!busy);
        m_badge->setState(state, busy);
    }
    if (m_readout) {
        m_readout->setText(RemoteViewRules::readoutText(state));
    }
}

QString ControlRow::readout() const
{
    return m_readout ? m_readout->text() : QString();
}

QString ControlRow::title() const
{
    return m_title->text();
}

QString ControlRow::iconSymbol() const
{
    return symbolOf(m_control);
}

} // namespace Quorvel
