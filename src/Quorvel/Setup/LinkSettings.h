#pragma once

#include <QGroupBox>
#include <QPointer>

class QPushButton;
class QVBoxLayout;

namespace Quorvel {

class LinkApprovals;

// The General tab's "Links" section: each application that sent a link with the answer it got,
// and "Forget" so that its next link asks again.
class LinkSettings : public QGroupBox {
    Q_OBJECT

public:
    explicit LinkSettings(LinkApprovals &approvals, QWidget *parent = nullptr);

    // One row as shown: the application's name and its answer.
    struct Row {
        QString appID;
        QString name;
        QString answer;
        QString forgetToolTip;
    };
    QList<Row> rows() const { return m_rows; }
    // The "Forget" button of a row, in the order of the rows.
    QList<QPushButton *> forgetButtons() const { return m_forgetButtons; }
    bool showsEmptyText() const { return m_rows.isEmpty(); }

    static inline const QString emptyText =
        QStringLiteral("No apps yet. The first link from an app asks whether to allow it.");

private:
    void rebuild();

    QPointer<LinkApprovals> m_approvals;
    QVBoxLayout *m_rowsLayout;
    QWidget *m_rowsBox = nullptr;
    QList<Row> m_rows;
    QList<QPushButton *> m_forgetButtons;
};

} // namespace Quorvel
