#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

class QPushButton;
class QVBoxLayout;

namespace Quorvel {

class AppState;
class ElidedField;
class HostCoordinator;
class KeepAwakeSwitch;
class ListenerFailureNotice;
class LocalEditorButton;
class NotHosting;
class PlainLabel;

// The "This Computer" tab: the connected devices, keeping awake, the pairing code, and this
// computer's actions: edit them, allow editing from other devices, where they are saved. While
// this computer does not host, the not-hosting placeholder; the two swap as the host comes and
// goes.
class HostSettings : public QWidget {
    Q_OBJECT

public:
    // Shows a file in the desktop's file manager.
    using ShowInFiles = std::function<void(const QString &path)>;

    HostSettings(AppState &app, ShowInFiles showInFiles, QWidget *parent = nullptr);

    NotHosting *notHosting() const { return m_notHosting; }
    // The form's parts, null while not hosting.
    QString connectedText() const;
    KeepAwakeSwitch *keepAwake() const { return m_keepAwake; }
    ListenerFailureNotice *listenerFailure() const { return m_listenerFailure; }
    LocalEditorButton *localEditor() const { return m_localEditor; }
    QString savedInText() const;
    QPushButton *showInFilesButton() const { return m_showInFiles; }

private:
    void rebuild();
    void refreshConnected();

    AppState &m_app;
    ShowInFiles m_showInFilesAction;
    QVBoxLayout *m_layout;
    QWidget *m_content = nullptr;
    QPointer<HostCoordinator> m_host;
    NotHosting *m_notHosting = nullptr;
    PlainLabel *m_connected = nullptr;
    KeepAwakeSwitch *m_keepAwake = nullptr;
    ListenerFailureNotice *m_listenerFailure = nullptr;
    LocalEditorButton *m_localEditor = nullptr;
    ElidedField *m_savedIn = nullptr;
    QPushButton *m_showInFiles = nullptr;
};

} // namespace Quorvel
