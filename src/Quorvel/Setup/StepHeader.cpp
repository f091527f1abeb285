#include "Quorvel/Setup/StepHeader.h"

#include "Widgets/SymbolLabel.h"

#include <QVBoxLayout>

namespace Quorvel {

StepHeader::StepHeader(const QString &symbol, const QString &title, QWidget *parent)
    : QWidget(parent), m_label(new SymbolLabel(symbol, title, TextStyle::title))
{
    QFont font = m_label->textLabel()->font();
    font.setWeight(QFont::DemiBold);
    m_label->textLabel()->setFont(font);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_label);
}

QString StepHeader::title() const
{
    return m_label->text();
}

} // namespace Quorvel
