#include "Quorvel/ThisComputerSummary.h"

#include "Quorvel/AppMenuSections.h"
#include "Quorvel/AppState.h"
#include "QuorvelHostKit/Service/HostCoordinator.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QPushButton>
#include <QVBoxLayout>

namespace Quorvel {

namespace {

// The menu's fonts, relative to the system font.
constexpr double calloutScale = 0.92;
constexpr double captionScale = 0.85;
constexpr int summarySpacing = 8;
constexpr int titleIconSize = 16;

QFont scaledFont(const QFont &base, double scale)
{
    QFont font = base;
    font.setPointSizeF(base.pointSizeF() * scale);
    return font;
}

} // namespace

ThisComputerSummary::ThisComputerSummary(AppState &app, HostCoordinator &host, QWidget *parent)
    : QWidget(parent), m_host(host)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(summarySpacing);

    auto *titleRow = new QHBoxLayout;
    auto *icon = new QLabel;
    icon->setPixmap(QIcon::fromTheme(QStringLiteral("computer")).pixmap(titleIconSize));
    auto *title = new QLabel(AppMenuSections::thisComputerTitle);
    QFont titleFont = scaledFont(font(), calloutScale);
    titleFont.setWeight(QFont::Medium);
    title->setFont(titleFont);
    titleRow->addWidget(icon);
    titleRow->addWidget(title, 1);
    layout->addLayout(titleRow);

    m_connected = new QLabel;
    m_connected->setTextFormat(Qt::PlainText);
    m_connected->setWordWrap(true);
    m_connected->setFont(scaledFont(font(), captionScale));
    m_connected->setForegroundRole(QPalette::PlaceholderText);
    layout->addWidget(m_connected);

    auto *edit = new QPushButton(AppMenuSections::editActionsText);
    edit->setFlat(true);
    edit->setFont(scaledFont(font(), captionScale));
    edit->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    connect(edit, &QPushButton::clicked, &app,
            [&app] { app.windows().open(WindowTable::localEditor); });
    layout->addWidget(edit);

    connect(&m_host, &HostCoordinator::connectedClientsChanged, this,
            &ThisComputerSummary::updateConnected);
    updateConnected();
}

void ThisComputerSummary::updateConnected()
{
    m_connected->setText(AppMenuSections::connectedLine(m_host.connectedClientNames()));
}

} // namespace Quorvel
