#include "QuorvelClientUI/Views/Editor/IconPicker.h"

#include "QuorvelClientUI/Views/Editor/IconCatalog.h"
#include "Widgets/LineField.h"
#include "Widgets/SymbolIcons.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>

namespace Quorvel {

namespace {

constexpr int partSpacing = 8;
constexpr int symbolSide = 16;

} // namespace

IconPicker::IconPicker(const QString &icon, QWidget *parent)
    : QWidget(parent), m_icon(icon), m_search(new LineField(this)), m_grid(new QWidget),
      m_gridLayout(new QGridLayout(m_grid))
{
    setFixedWidth(pickerWidth);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(partSpacing);
    m_search->setPlaceholderText(tr("Search icons"));
    m_search->setObjectName(QStringLiteral("search"));
    layout->addWidget(m_search);
    auto *scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setFixedHeight(gridHeight);
    m_gridLayout->setContentsMargins(0, 0, 0, 0);
    m_gridLayout->setHorizontalSpacing(cellSpacing);
    m_gridLayout->setVerticalSpacing(cellSpacing);
    m_gridLayout->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    scroll->setWidget(m_grid);
    layout->addWidget(scroll);
    connect(m_search, &QLineEdit::textChanged, this, &IconPicker::rebuild);
    rebuild();
}

void IconPicker::setIcon(const QString &icon)
{
    m_icon = icon;
    for (QToolButton *cell : cells())
        cell->setChecked(cell->objectName() == icon);
}

QList<QToolButton *> IconPicker::cells() const
{
    QList<QToolButton *> shown;
    for (int i = 0; i < m_gridLayout->count(); ++i) {
        if (auto *cell = qobject_cast<QToolButton *>(m_gridLayout->itemAt(i)->widget()))
            shown.append(cell);
    }
    return shown;
}

void IconPicker::rebuild()
{
    while (QLayoutItem *item = m_gridLayout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const QStringList symbols = IconCatalog::filtered(m_search->text());
    for (int i = 0; i < symbols.size(); ++i) {
        const QString &symbol = symbols.at(i);
        auto *cell = new QToolButton(m_grid);
        cell->setObjectName(symbol);
        cell->setAutoRaise(true);
        cell->setCheckable(true);
        cell->setChecked(symbol == m_icon);
        cell->setFixedSize(cellSide, cellSide);
        cell->setIcon(SymbolIcons::icon(symbol));
        cell->setIconSize(QSize(symbolSide, symbolSide));
        cell->setToolTip(symbol);
        cell->setAccessibleName(symbol);
        connect(cell, &QToolButton::clicked, this, [this, symbol] {
            setIcon(symbol);
            emit iconPicked(symbol);
        });
        m_gridLayout->addWidget(cell, i / columns, i % columns, Qt::AlignCenter);
    }
}

} // namespace Quorvel
