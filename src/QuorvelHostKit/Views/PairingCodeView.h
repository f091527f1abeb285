#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;

namespace Quorvel {

class BorderlessButton;
class HostCoordinator;
class PlainLabel;

// The host's pairing code: hidden until asked for, copied in its display form, and replaced by a
// new one after a confirmation. A new code that could not be saved is said to last only until
// Quorvel quits, so nobody pairs devices with a code the next start will not know.
class PairingCodeView : public QWidget {
    Q_OBJECT
public:
    explicit PairingCodeView(HostCoordinator *coordinator, QWidget *parent = nullptr);

    bool revealed() const { return m_revealed; }
    bool confirmRotate() const { return m_confirmRotate; }
    QString shownCode() const;
    // What the last line offers, for tests: whether each is visible.
    bool showsSetByEnvironment() const;
    bool offersNewCode() const;
    bool showsConfirmation() const;
    bool showsUnsavedWarning() const;

    // The view's own buttons.
    void toggleRevealed();
    void copy();
    void askToRotate();
    void cancelRotate();
    void rotate();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void refresh();
    // Shrinks the code's font, down to a limit, until the code fits its line.
    void fitCode();

    QPointer<HostCoordinator> m_coordinator;
    bool m_revealed = false;
    bool m_confirmRotate = false;
    QLabel *m_code;
    BorderlessButton *m_show;
    BorderlessButton *m_copy;
    PlainLabel *m_setByEnvironment;
    BorderlessButton *m_offer;
    QWidget *m_confirmRow;
    PlainLabel *m_unsaved;
};

} // namespace Quorvel
