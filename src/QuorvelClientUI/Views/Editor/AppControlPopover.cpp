#include "QuorvelClientUI/Views/Editor/AppControlPopover.h"

#include "QuorvelClientUI/Editor/AppControlBinding.h"
#include "QuorvelClientUI/Editor/DeckEditorClient.h"
#include "QuorvelClientUI/Views/Editor/AppControlPicker.h"
#include "Widgets/PlainLabel.h"

#include <QVBoxLayout>

namespace Quorvel {

namespace {

constexpr int rowSpacing = 10;
constexpr int pickerHeight = 220;

} // namespace

AppControlPopover::AppControlPopover(EditBinding<Control> control, DeckEditorClient &client,
                                     QWidget *parent)
    : QWidget(parent), m_control(std::move(control)),
      m_picker(new AppControlPicker({m_control.get().type}, pickerHeight, this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(rowSpacing);
    layout->addWidget(
        new PlainLabel(tr("Which app's control?"), TextStyle::headline, StatusTone::none, this));
    m_picker->setFixedWidth(pickerWidth);
    const auto follow = [this, &client] {
        const std::optional<HostCatalog> catalog = client.catalog();
        m_picker->setProviders(catalog ? catalog->appControls
                                       : std::vector<HostCatalog::AppControls>());
        m_picker->setHostName(client.hostName());
    };
    follow();
    connect(&client, &DeckEditorClient::catalogChanged, this, follow);
    connect(&client, &DeckEditorClient::hostInfoChanged, this, follow);
    if (const std::optional<AppControlBinding> bound = appControlBinding(m_control.get())) {
        m_app = bound->app;
        m_picker->setChoice(bound->app, bound->control);
    }
    connect(m_picker, &AppControlPicker::appChosen, this,
            [this](const QString &app) { m_app = app; });
    connect(m_picker, &AppControlPicker::controlChosen, this, [this](const QString &item) {
        if (item.isEmpty())
            return;
        Control next = m_control.get();
        useAppControl(next, m_app, item, next.type);
        m_control.set(next);
    });
    layout->addWidget(m_picker);
}

} // namespace Quorvel
