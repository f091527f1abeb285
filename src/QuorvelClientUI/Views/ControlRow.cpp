#include "QuorvelClientUI/Views/ControlRow.h"

#include "QuorvelClientUI/ClientModel.h"
#include "QuorvelClientUI/Views/ControlRowLabel.h"
#include "QuorvelClientUI/Views/RemoteViewRules.h"
#include "Widgets/PlainLabel.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>

namespace Quorvel {

namespace {

// Room around a button row's label inside the button. The other rows keep the same room at
// their sides, so that every row's icon and title start at one place.
constexpr int buttonPaddingX = 4;
constexpr int buttonPaddingY = 2;

QString symbolOf(const Control &control)
{
    return control.icon.value_or(QStringLiteral("circle"));
}

} // namespace

ControlRow::ControlRow(const Control &control, ClientModel *model, QWidget *parent)
    : QWidget(parent), m_control(control), m_model(model)
{
    auto *layout = new QHBoxLayout(this);
    if (control.type == ControlType::button)
        layout->setContentsMargins(0, 0, 0, 0);
    else
        layout->setContentsMargins(buttonPaddingX, 0, buttonPaddingX, 0);
    switch (control.type) {
    case ControlType::button: {
        // The whole row is the button; its label is drawn by child widgets so the title stays
        // plain text (a button's own text would read "&" as a shortcut marker).
        m_button = new QPushButton(this);
        m_button->setFlat(true);
        auto *inside = new QHBoxLayout(m_button);
        inside->setContentsMargins(buttonPaddingX, buttonPaddingY, buttonPaddingX, buttonPaddingY);
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

ControlRowLabel *ControlRow::makeLabel(QWidget *parent)
{
    m_label = new ControlRowLabel(symbolOf(m_control), m_control.title,
                                  m_control.type == ControlType::toggle, parent);
    m_label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return m_label;
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
        m_label->setBadge(RemoteViewRules::badge(state, busy));
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
    return m_label->title();
}

QString ControlRow::badgeText() const
{
    return m_control.type == ControlType::toggle ? m_label->badge().text : QString();
}

QString ControlRow::iconSymbol() const
{
    return symbolOf(m_control);
}

} // namespace Quorvel
