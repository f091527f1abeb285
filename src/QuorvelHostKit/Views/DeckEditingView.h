#pragma once

#include <QPointer>
#include <QWidget>

class QCheckBox;

namespace Quorvel {

class HostCoordinator;
class PlainLabel;
class SymbolLabel;

// The switch that lets paired devices edit this computer's actions, what it means, and why the
// deck file on disk was not applied when it was not. Re-reads the stored setting whenever shown,
// so a value written from outside shows at once.
class DeckEditingView : public QWidget {
    Q_OBJECT
public:
    explicit DeckEditingView(HostCoordinator *coordinator, QWidget *parent = nullptr);

    QCheckBox *editingSwitch() const { return m_switch; }
    QString explanation() const;
    // The problem line as shown, empty while hidden.
    QString problemText() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void refresh();

    QPointer<HostCoordinator> m_coordinator;
    QCheckBox *m_switch;
    PlainLabel *m_explanation;
    SymbolLabel *m_problem;
};

} // namespace Quorvel
