#include "Quorvel/Setup/SettingsWindow.h"

#include "Quorvel/Setup/ActivitySettings.h"
#include "Quorvel/Setup/UpdateSettings.h"
#include "Widgets/SymbolIcons.h"
#include "Widgets/TabChain.h"

#include <QTabWidget>
#include <QVBoxLayout>

namespace Quorvel {

SettingsWindow::SettingsWindow(AppState &app, Services services, QWidget *parent)
    : QWidget(parent), m_tabs(new QTabWidget),
      m_general(new GeneralSettings(app, std::move(services.general))),
      m_host(new HostSettings(app, std::move(services.showInFiles))),
      m_activity(new ActivitySettings(app))
{
    setWindowTitle(windowTitleText);
    auto *layout = new QVBoxLayout(this);
    m_tabs->setMinimumSize(minimumTabSize);
    layout->addWidget(m_tabs);
    m_tabs->addTab(m_general, SymbolIcons::icon(QStringLiteral("gearshape")),
                   QStringLiteral("General"));
    m_tabs->addTab(m_host, SymbolIcons::icon(QStringLiteral("desktopcomputer")),
                   QStringLiteral("This Computer"));
    m_tabs->addTab(m_activity, SymbolIcons::icon(QStringLiteral("list.bullet.rectangle")),
                   QStringLiteral("Activity"));
    if (services.updater) {
        m_updates = new UpdateSettings(*services.updater, services.version);
        m_tabs->addTab(m_updates, SymbolIcons::icon(QStringLiteral("arrow.triangle.2.circlepath")),
                       QStringLiteral("Updates"));
    }
    resize(defaultSize);
    TabChain::keep(this);
}

QString SettingsWindow::currentTag() const
{
    return tags.value(m_tabs->currentIndex());
}

void SettingsWindow::selectTab(const QString &tag)
{
    const qsizetype index = tags.indexOf(tag);
    if (index >= 0 && index < m_tabs->count())
        m_tabs->setCurrentIndex(int(index));
}

} // namespace Quorvel
