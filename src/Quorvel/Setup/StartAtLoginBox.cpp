#include "Quorvel/Setup/StartAtLoginBox.h"

#include "Quorvel/AppState.h"

#include <QSignalBlocker>

namespace Quorvel {

StartAtLoginBox::StartAtLoginBox(AppState &app, const QString &title, QWidget *parent)
    : QCheckBox(title, parent), m_app(app)
{
    connect(this, &QCheckBox::toggled, this, [this](bool on) {
        m_app.setStartsAtLogin(on);
        refresh();
    });
    connect(&app, &AppState::startsAtLoginChanged, this, &StartAtLoginBox::refresh);
    refresh();
}

void StartAtLoginBox::refresh()
{
    const QSignalBlocker blocker(this);
    setChecked(m_app.startsAtLogin());
}

} // namespace Quorvel
