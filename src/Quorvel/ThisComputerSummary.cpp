#include "Quorvel/ThisComputerSummary.h"

#include "Quorvel/AppMenuSections.h"
#include "Quorvel/AppState.h"
#include "QuorvelHostKit/Service/HostCoordinator.h"
#include "Widgets/PlainLabel.h"
#include "Widgets/SymbolLabel.h"
#include "Widgets/TextStyle.h"

#include <QFont>
#include <QPushButton>
#include <QVBoxLayout>

namespace Quorvel {

namespace {

constexpr int summarySpacing = 8;

} // namespace

ThisComputerSummary::ThisComputerSummary(AppState &app, HostCoordinator &host, QWidget *parent)
    : QWidget(parent), m_host(&host)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(summarySpacing);

    auto *title = new SymbolLabel(QStringLiteral("desktopcomputer"),
                                  AppMenuSections::thisComputerTitle, TextStyle::callout);
    QFont titleFont = title->textLabel()->font();
    titleFont.setWeight(QFont::Medium);
    title->textLabel()->setFont(titleFont);
    layout->addWidget(title);

    m_connected = new PlainLabel(QString(), TextStyle::caption, StatusTone::secondary);
    m_connected->setWrapping();
    layout->addWidget(m_connected);

    m_edit = new QPushButton(AppMenuSections::editActionsText);
    m_edit->setFlat(true);
    applyTextStyle(m_edit, TextStyle::caption);
    m_edit->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    connect(m_edit, &QPushButton::clicked, &app, &AppState::openLocalEditor);
    layout->addWidget(m_edit, 0, Qt::AlignLeft);

    connect(&host, &HostCoordinator::connectedClientsChanged, this,
            &ThisComputerSummary::updateConnected);
    updateConnected();
}

QString ThisComputerSummary::connectedText() const
{
    return m_connected->text();
}

void ThisComputerSummary::updateConnected()
{
    if (m_host)
        m_connected->setText(AppMenuSections::connectedLine(m_host->connectedClientNames()));
}

} // namespace Quorvel
