#pragma once

#include "Widgets/EmptyState.h"

class QPushButton;

namespace Quorvel {

class AppState;

// The host tabs' placeholder while this computer does not host, with "Turn On", which switches
// hosting on and applies it; the tab then shows its host content by itself.
class NotHosting : public EmptyState {
    Q_OBJECT

public:
    explicit NotHosting(AppState &app, QWidget *parent = nullptr);

    QPushButton *turnOn() const { return m_turnOn; }

    static inline const QString titleText = QStringLiteral("This computer isn't a host");

private:
    QPushButton *m_turnOn;
};

} // namespace Quorvel
