#pragma once

#include <QAbstractButton>

namespace Quorvel {

// One row of the catalog picker: a check mark or the name's own picture (an app's icon), the name
// on one line and an optional short badge at the end; the accent colour fills a picked row.
class PickerRow : public QAbstractButton {
    Q_OBJECT

public:
    // leading: the name's picture, or null for the check mark's column; the row takes it over.
    PickerRow(const QString &value, const QString &label, QWidget *leading, const QString &badge,
              bool selected, QWidget *parent = nullptr);

    QString value() const { return m_value; }
    bool isSelected() const { return m_selected; }
    QWidget *leading() const { return m_leading; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    int leadingWidth() const;

    QString m_value;
    QWidget *m_leading;
    QString m_badge;
    bool m_selected;
};

} // namespace Quorvel
