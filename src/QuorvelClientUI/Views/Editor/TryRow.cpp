#include "QuorvelClientUI/Views/Editor/TryRow.h"

#include "QuorvelClientUI/Views/Editor/TestResultLabel.h"
#include "Widgets/PlainLabel.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace Quorvel {

TryRow::TryRow(const QString &label, const QString &busyLabel, const QString &note, int resultLines,
               QWidget *parent)
    : QWidget(parent), m_label(label), m_busyLabel(busyLabel), m_button(new QPushButton(this)),
      m_note(new PlainLabel(note, TextStyle::caption, StatusTone::secondary, this)),
      m_resultLabel(new TestResultLabel(ClientTestOutcome::failed(QString()), this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_button->setAutoDefault(false);
    layout->addWidget(m_button, 0, Qt::AlignTop);
    m_note->setObjectName(QStringLiteral("note"));
    m_note->setVisible(!note.isEmpty());
    layout->addWidget(m_note, 1);
    m_resultLabel->setObjectName(QStringLiteral("result"));
    applyTextStyle(m_resultLabel->textLabel(), TextStyle::caption);
    m_resultLabel->textLabel()->setWrapping(resultLines);
    layout->addWidget(m_resultLabel, 1);
    layout->addStretch();
    connect(m_button, &QPushButton::clicked, this, &TryRow::run);
    refresh();
}

void TryRow::setAllowed(bool allowed)
{
    m_allowed = allowed;
    refresh();
}

void TryRow::setNote(const QString &note)
{
    m_note->setText(note);
    refresh();
}

void TryRow::clearResult()
{
    m_result.reset();
    refresh();
}

void TryRow::run()
{
    if (!m_allowed || m_busy || !m_request)
        return;
    m_busy = true;
    refresh();
    m_request(this, [this](const ClientTestOutcome &outcome) {
        m_busy = false;
        m_result = outcome;
        refresh();
        emit finished();
    });
}

void TryRow::refresh()
{
    m_button->setText(m_busy ? m_busyLabel : m_label);
    m_button->setEnabled(m_allowed && !m_busy);
    m_note->setVisible(!m_result && !m_note->text().isEmpty());
    m_resultLabel->setVisible(m_result.has_value());
    if (m_result)
        m_resultLabel->setOutcome(*m_result);
}

} // namespace Quorvel
