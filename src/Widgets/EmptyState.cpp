#include "Widgets/EmptyState.h"

#include "Widgets/PlainLabel.h"
#include "Widgets/SymbolIcons.h"

#include <QLabel>
#include <QVBoxLayout>

namespace Quorvel {

namespace {

constexpr int symbolSide = 48;
constexpr int spacing = 10;

} // namespace

EmptyState::EmptyState(const QString &symbol, const QString &title, const QString &description,
                       QWidget *parent)
    : QWidget(parent), m_column(new QVBoxLayout)
{
    auto *layout = new QVBoxLayout(this);
    layout->addStretch(1);
    layout->addLayout(m_column);
    layout->addStretch(1);
    m_column->setSpacing(spacing);
    auto *icon = new QLabel;
    icon->setPixmap(SymbolIcons::pixmap(symbol, symbolSide));
    m_column->addWidget(icon, 0, Qt::AlignHCenter);
    auto *titleLabel = new PlainLabel(title, TextStyle::title);
    titleLabel->setAlignment(Qt::AlignHCenter);
    m_column->addWidget(titleLabel);
    auto *descriptionLabel = new PlainLabel(description, TextStyle::body, StatusTone::secondary);
    descriptionLabel->setAlignment(Qt::AlignHCenter);
    descriptionLabel->setWrapping();
    m_column->addWidget(descriptionLabel);
}

void EmptyState::addControl(QWidget *control)
{
    m_column->addWidget(control, 0, Qt::AlignHCenter);
}

} // namespace Quorvel
