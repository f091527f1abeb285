#include "Quorvel/Setup/ActivityRow.h"

#include "Widgets/PlainLabel.h"
#include "Widgets/StatusColors.h"
#include "Widgets/SymbolIcons.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QRegularExpression>
#include <QVBoxLayout>

namespace Quorvel {

namespace {

constexpr int rowSpacing = 10;
constexpr int rowPadding = 2;
constexpr int markWidth = 18;
constexpr int markSide = 16;
constexpr int lineSpacing = 2;
constexpr int detailLines = 3;

StatusTone markTone(HostActivity::Outcome outcome)
{
    switch (outcome) {
    case HostActivity::Outcome::ok:
        return StatusTone::green;
    case HostActivity::Outcome::failed:
        return StatusTone::orange;
    case HostActivity::Outcome::info:
        return StatusTone::secondary;
    }
    return StatusTone::secondary;
}

} // namespace

QString ActivityRow::markSymbol(HostActivity::Outcome outcome)
{
    switch (outcome) {
    case HostActivity::Outcome::ok:
        return QStringLiteral("checkmark.circle.fill");
    case HostActivity::Outcome::failed:
        return QStringLiteral("exclamationmark.triangle.fill");
    case HostActivity::Outcome::info:
        return QStringLiteral("info.circle");
    }
    return QStringLiteral("info.circle");
}

QString ActivityRow::timeFormat(const QLocale &locale)
{
    QString format = locale.timeFormat(QLocale::ShortFormat);
    if (format.contains(u's'))
        return format;
    // Minutes are "mm" or "m"; the seconds follow them in the same style.
    static const QRegularExpression minutes(QStringLiteral("(m{1,2})"));
    const QRegularExpressionMatch match = minutes.match(format);
    if (!match.hasMatch())
        return format + QStringLiteral(":ss");
    format.insert(match.capturedEnd(1), QStringLiteral(":ss"));
    return format;
}

QString ActivityRow::deviceLine(const HostActivity &entry, const QLocale &locale)
{
    return entry.device + QStringLiteral(" · ") +
           locale.toString(entry.date.toLocalTime().time(), timeFormat(locale));
}

ActivityRow::ActivityRow(const HostActivity &entry, QWidget *parent)
    : QWidget(parent), m_entryID(entry.id)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, rowPadding, 0, rowPadding);
    row->setSpacing(rowSpacing);
    auto *mark = new QLabel;
    mark->setFixedWidth(markWidth);
    mark->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    mark->setPixmap(SymbolIcons::tinted(markSymbol(entry.outcome), markSide,
                                        statusColor(markTone(entry.outcome), palette())));
    mark->setAccessibleName(HostActivity::outcomeName(entry.outcome));
    row->addWidget(mark, 0, Qt::AlignTop);
    auto *lines = new QVBoxLayout;
    lines->setSpacing(lineSpacing);
    auto *summary = new PlainLabel(entry.summary, TextStyle::body);
    summary->setWrapping();
    lines->addWidget(summary);
    m_lines << entry.summary;
    const QString device = deviceLine(entry);
    lines->addWidget(new PlainLabel(device, TextStyle::caption, StatusTone::secondary));
    m_lines << device;
    if (entry.detail && !entry.detail->isEmpty()) {
        m_detail = new PlainLabel(*entry.detail, TextStyle::caption, StatusTone::secondary);
        m_detail->setWrapping(detailLines);
        m_detail->setTextInteractionFlags(Qt::TextSelectableByMouse);
        lines->addWidget(m_detail);
        m_lines << *entry.detail;
    }
    row->addLayout(lines, 1);
}

QStringList ActivityRow::lines() const
{
    return m_lines;
}

} // namespace Quorvel
