#pragma once

#include "QuorvelHostKit/Service/HostActivity.h"

#include <QLocale>
#include <QWidget>

namespace Quorvel {

class PlainLabel;

// One entry of the host's activity log: its outcome's mark, what happened, the device and the
// time with seconds, and the detail (at most three lines, selectable) when there is one.
class ActivityRow : public QWidget {
    Q_OBJECT

public:
    explicit ActivityRow(const HostActivity &entry, QWidget *parent = nullptr);

    // The mark's symbol and colour name for an outcome.
    static QString markSymbol(HostActivity::Outcome outcome);
    // "device · time", the time of day with seconds in the locale's style.
    static QString deviceLine(const HostActivity &entry, const QLocale &locale = QLocale());
    // The locale's short time format, with seconds added when it has none.
    static QString timeFormat(const QLocale &locale);

    QStringList lines() const;
    const QUuid &entryID() const { return m_entryID; }
    PlainLabel *detailLabel() const { return m_detail; }

private:
    QUuid m_entryID;
    QStringList m_lines;
    PlainLabel *m_detail = nullptr;
};

} // namespace Quorvel
