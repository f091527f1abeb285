#include "Quorvel/Setup/LinkSettings.h"

#include "Quorvel/Outside/LinkApprovals.h"
#include "Widgets/PlainLabel.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextDocument>
#include <QVBoxLayout>

namespace Quorvel {

LinkSettings::LinkSettings(LinkApprovals &approvals, QWidget *parent)
    : QGroupBox(QStringLiteral("Links"), parent), m_approvals(&approvals),
      m_rowsLayout(new QVBoxLayout)
{
    auto *layout = new QVBoxLayout(this);
    m_rowsLayout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(m_rowsLayout);
    auto *footer = new PlainLabel(QStringLiteral("Launchers, scripts and other apps can run your "
                                                 "actions with quorvel:// links. Copy an action's "
                                                 "link from its ⋯ menu when you edit your "
                                                 "actions."),
                                  TextStyle::caption, StatusTone::secondary);
    footer->setWrapping();
    layout->addWidget(footer);
    connect(&approvals, &LinkApprovals::entriesChanged, this, &LinkSettings::rebuild);
    rebuild();
}

void LinkSettings::rebuild()
{
    // The rows may go from under their own "Forget" button's click: deleted later.
    if (m_rowsBox) {
        m_rowsLayout->removeWidget(m_rowsBox);
        m_rowsBox->hide();
        m_rowsBox->deleteLater();
    }
    m_rowsBox = new QWidget;
    auto *rows = new QVBoxLayout(m_rowsBox);
    rows->setContentsMargins(0, 0, 0, 0);
    m_rows.clear();
    m_forgetButtons.clear();
    const QList<LinkApprovals::Entry> entries =
        m_approvals ? m_approvals->entries() : QList<LinkApprovals::Entry>();
    if (entries.isEmpty())
        rows->addWidget(new PlainLabel(emptyText, TextStyle::body, StatusTone::secondary));
    for (const LinkApprovals::Entry &entry : entries) {
        const Row row{entry.appID, entry.name,
                      entry.allowed ? QStringLiteral("Allowed") : QStringLiteral("Not allowed"),
                      QStringLiteral("Ask again the next time %1 opens a link").arg(entry.name)};
        auto *line = new QHBoxLayout;
        line->addWidget(new PlainLabel(row.name, TextStyle::body), 1);
        line->addWidget(new PlainLabel(row.answer, TextStyle::body, StatusTone::secondary));
        auto *forget = new QPushButton(QStringLiteral("Forget"));
        // A tooltip reads tags as markup: the name, which the application chose, stays text.
        forget->setToolTip(Qt::convertFromPlainText(row.forgetToolTip));
        forget->setAutoDefault(false);
        connect(forget, &QPushButton::clicked, this, [this, appID = entry.appID] {
            if (m_approvals)
                m_approvals->forget(appID);
        });
        line->addWidget(forget);
        rows->addLayout(line);
        m_rows.append(row);
        m_forgetButtons.append(forget);
    }
    m_rowsLayout->addWidget(m_rowsBox);
}

} // namespace Quorvel
