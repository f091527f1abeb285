#pragma once

#include <QWidget>

class QPushButton;

namespace Quorvel {

class AppState;
class LocalEditorButton;
class PlainLabel;

// The set-up's closing page: where Quorvel lives (and, on a desktop without a system tray, how
// to get one), the way to this computer's actions while it hosts, the connected host's actions
// when they may be edited, and how to run the set-up again.
class DoneStepPage : public QWidget {
    Q_OBJECT

public:
    DoneStepPage(AppState &app, bool trayAvailable, QWidget *parent = nullptr);

    QString whereText() const;
    LocalEditorButton *localEditor() const { return m_localEditor; }
    QPushButton *remoteEditor() const { return m_remoteEditor; }

    static QString whereText(bool trayAvailable);

private:
    PlainLabel *m_where;
    LocalEditorButton *m_localEditor = nullptr;
    QPushButton *m_remoteEditor = nullptr;
};

} // namespace Quorvel
