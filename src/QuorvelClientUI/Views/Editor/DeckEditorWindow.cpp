#include "QuorvelClientUI/Views/Editor/DeckEditorWindow.h"

#include "QuorvelClientUI/ClientSettings.h"
#include "QuorvelClientUI/Editor/ClientModelEditorClient.h"
#include "QuorvelClientUI/Editor/DeckEditorModel.h"
#include "QuorvelClientUI/Views/Editor/ClientModelLiveStates.h"
#include "QuorvelClientUI/Views/Editor/DeckEditorView.h"
#include "Widgets/WindowPlacement.h"

#include <QCoreApplication>
#include <QVBoxLayout>

namespace Quorvel {

DeckEditorWindow::DeckEditorWindow(ClientModel &model, const QString &id, const QString &title,
                                   QWidget *parent)
    : QWidget(parent, Qt::Window), m_id(id), m_client(new ClientModelEditorClient(model, this)),
      m_live(new ClientModelLiveStates(model, this)),
      m_editorModel(new DeckEditorModel(*m_client, this)),
      m_view(new DeckEditorView(*m_editorModel, *m_live, this))
{
    setObjectName(id);
    setWindowTitle(title);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    resize(defaultWidth, defaultHeight);
    const QByteArray geometry = openClientSettings()->value(settingsKey()).toByteArray();
    if (geometry.isEmpty() || !restoreGeometry(geometry))
        centreOnScreen(this);
}

DeckEditorWindow::~DeckEditorWindow() = default;

QString DeckEditorWindow::deckEditorTitle()
{
    return QCoreApplication::translate("DeckEditorWindow", "Edit Actions");
}

QString DeckEditorWindow::settingsKey() const
{
    return QStringLiteral("windows/%1/geometry").arg(m_id);
}

void DeckEditorWindow::present()
{
    show();
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    raise();
    activateWindow();
}

void DeckEditorWindow::hideEvent(QHideEvent *event)
{
    openClientSettings()->setValue(settingsKey(), saveGeometry());
    QWidget::hideEvent(event);
}

} // namespace Quorvel
