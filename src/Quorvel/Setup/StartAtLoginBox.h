#pragma once

#include <QCheckBox>

namespace Quorvel {

class AppState;

// A start-at-login box that shows what systemd reports after each change, not the click: a unit
// that could not be enabled reads unticked again.
class StartAtLoginBox : public QCheckBox {
    Q_OBJECT

public:
    StartAtLoginBox(AppState &app, const QString &title, QWidget *parent = nullptr);

private:
    void refresh();

    AppState &m_app;
};

} // namespace Quorvel
