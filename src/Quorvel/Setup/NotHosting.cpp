#include "Quorvel/Setup/NotHosting.h"

#include "Quorvel/AppState.h"

#include <QPushButton>

namespace Quorvel {

NotHosting::NotHosting(AppState &app, QWidget *parent)
    : EmptyState(QStringLiteral("desktopcomputer"), titleText,
                 QStringLiteral("Turn on “Let your devices control this computer” to run actions "
                                "here from your other devices."),
                 parent),
      m_turnOn(new QPushButton(QStringLiteral("Turn On")))
{
    addControl(m_turnOn);
    connect(m_turnOn, &QPushButton::clicked, &app, [&app] {
        app.roles().setHosting(true);
        app.applyRoles();
    });
}

} // namespace Quorvel
