#include "QuorvelClientUI/Views/PairingView.h"

#include "QuorvelClientUI/ClientModel.h"
#include "QuorvelCore/Model/PairingToken.h"
#include "Widgets/LineField.h"
#include "Widgets/PlainLabel.h"
#include "Widgets/SymbolLabel.h"

#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace Quorvel {

namespace {

constexpr int stackSpacing = 8;

} // namespace

PairingView::PairingView(ClientModel *model, QWidget *parent)
    : QWidget(parent), m_model(model),
      m_title(
          new SymbolLabel(QStringLiteral("key"), {}, TextStyle::headline, StatusTone::none, this)),
      m_instruction(new PlainLabel({}, TextStyle::caption, StatusTone::secondary, this)),
      m_field(new LineField(this)),
      m_reason(new PlainLabel({}, TextStyle::caption, StatusTone::orange, this)),
      m_pair(new QPushButton(QStringLiteral("Pair"), this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(stackSpacing);
    m_title->textLabel()->setWrapping();
    m_instruction->setWrapping();
    m_reason->setWrapping();
    m_field->setPlaceholderText(QStringLiteral("XXXX-XXXX-XXXX-XXXX-XXXX-XXXX"));
    applyTextStyle(m_field, TextStyle::body, true);
    m_pair->setDefault(true);
    layout->addWidget(m_title);
    layout->addWidget(m_instruction);
    layout->addWidget(m_field);
    layout->addWidget(m_reason);
    layout->addWidget(m_pair, 0, Qt::AlignLeft);

    connect(m_field, &QLineEdit::textChanged, this, &PairingView::refreshButton);
    connect(m_field, &QLineEdit::returnPressed, this, &PairingView::submit);
    connect(m_pair, &QPushButton::clicked, this, &PairingView::submit);
    m_reason->hide();
    refreshButton();
    if (m_model) {
        connect(m_model, &ClientModel::statusChanged, this, &PairingView::followStatus);
        followStatus();
    }
}

void PairingView::followStatus()
{
    const ClientConnectionStatus &status = m_model->status();
    if (status.kind() == ClientConnectionStatus::Kind::needsPairing && status.host())
        setHost(*status.host(), status.reason());
}

void PairingView::setHost(const DiscoveredHost &host, const std::optional<QString> &reason)
{
    if (m_host != host) {
        m_host = host;
        m_field->clear();
    }
    m_title->set(QStringLiteral("key"), QStringLiteral("Pair with ") + host.name, StatusTone::none);
    // The host shows its code in its settings and in its set-up, never in its menu.
    m_instruction->setText(QStringLiteral("Enter the pairing code shown in Quorvel Settings (the "
                                          "This Computer tab) or in Set Up Quorvel on ") +
                           host.name + QLatin1Char('.'));
    m_reason->setVisible(reason.has_value());
    m_reason->setText(reason.value_or(QString()));
}

void PairingView::submit()
{
    const QString text = m_field->text();
    if (!m_model || !m_host || !PairingToken::parse(text)) {
        return;
    }
    const DiscoveredHost host = *m_host;
    m_field->clear();
    m_model->submitPairingCode(text, host);
}

void PairingView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_field->setFocus(Qt::OtherFocusReason);
    m_field->selectAll();
}

QString PairingView::titleText() const
{
    return m_title->text();
}

QString PairingView::instructionText() const
{
    return m_instruction->text();
}

QString PairingView::reasonText() const
{
    return m_reason->isHidden() ? QString() : m_reason->text();
}

void PairingView::refreshButton()
{
    m_pair->setEnabled(PairingToken::parse(m_field->text()).has_value());
}

} // namespace Quorvel
