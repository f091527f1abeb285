#include "QuorvelClientUI/Views/BusyLine.h"

#include "Widgets/BusyIndicator.h"
#include "Widgets/PlainLabel.h"

#include <QHBoxLayout>

namespace Quorvel {

namespace {

constexpr int spinnerSide = 12;

} // namespace

BusyLine::BusyLine(const QString &text, QWidget *parent)
    : QWidget(parent), m_text(new PlainLabel(text, TextStyle::caption, StatusTone::secondary, this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addStretch();
    layout->addWidget(new BusyIndicator(spinnerSide, this));
    layout->addWidget(m_text);
    layout->addStretch();
}

void BusyLine::setText(const QString &text)
{
    m_text->setText(text);
}

QString BusyLine::text() const
{
    return m_text->text();
}

} // namespace Quorvel
