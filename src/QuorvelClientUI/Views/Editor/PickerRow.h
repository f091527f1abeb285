#pragma once

#include <QAbstractButton>
#include <QIcon>

namespace Quorvel {

// One row of the catalog picker: a check mark or the name's icon, the name on one line and an
// optional short badge at the end; the accent colour fills a picked row.
class PickerRow : public QAbstractButton {
    Q_OBJECT

public:
    PickerRow(const QString &value, const QString &label, const QIcon &icon, const QString &badge,
              bool selected, QWidget *parent = nullptr);

    QString value() const { return m_value; }
    bool isSelected() const { return m_selected; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_value;
    QIcon m_icon;
    QString m_badge;
    bool m_selected;
};

} // namespace Quorvel
