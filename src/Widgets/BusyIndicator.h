#pragma once

#include <QTimer>
#include <QWidget>

namespace Quorvel {

// A small spinning indicator for work in flight; it turns only while shown.
class BusyIndicator : public QWidget {
    Q_OBJECT
public:
    explicit BusyIndicator(int side, QWidget *parent = nullptr);

    QSize sizeHint() const override;
    bool isSpinning() const { return m_timer.isActive(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    int m_side;
    int m_step = 0;
    QTimer m_timer;
};

} // namespace Quorvel
