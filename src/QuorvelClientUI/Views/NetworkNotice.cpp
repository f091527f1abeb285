#include "QuorvelClientUI/Views/NetworkNotice.h"

#include "Widgets/PlainLabel.h"
#include "Widgets/SymbolLabel.h"

#include <QVBoxLayout>

namespace Quorvel {

NetworkNotice::NetworkNotice(int spacing, QWidget *parent)
    : QWidget(parent), m_title(new SymbolLabel({}, {}, TextStyle::callout, StatusTone::none, this)),
      m_message(new PlainLabel({}, TextStyle::caption, StatusTone::secondary, this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    layout->addWidget(m_title);
    layout->addWidget(m_message);
    m_message->setWrapping();
}

void NetworkNotice::set(const QString &symbol, const QString &title, StatusTone tone,
                        const QString &message)
{
    m_title->set(symbol, title, tone);
    m_message->setText(message);
}

QString NetworkNotice::title() const
{
    return m_title->text();
}

QString NetworkNotice::message() const
{
    return m_message->text();
}

} // namespace Quorvel
