#pragma once

#include <QPointer>
#include <QWidget>

class QCheckBox;

namespace Quorvel {

class HostCoordinator;
class SymbolLabel;

// The keep-awake switch: it shows the user's wish, and under it a warning with the reason while
// the running host wishes to stay awake but holds no lock, so a switch that reads on never hides
// a computer that will still sleep.
class KeepAwakeSwitch : public QWidget {
    Q_OBJECT

public:
    KeepAwakeSwitch(HostCoordinator *host, const QString &title, QWidget *parent = nullptr);

    QCheckBox *box() const { return m_box; }
    // The warning; empty while none is shown.
    QString warningText() const;

private:
    void refresh();

    QPointer<HostCoordinator> m_host;
    QCheckBox *m_box;
    SymbolLabel *m_warning;
};

} // namespace Quorvel
