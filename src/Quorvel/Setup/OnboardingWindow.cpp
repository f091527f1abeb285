#include "Quorvel/Setup/OnboardingWindow.h"

#include "Quorvel/AppState.h"
#include "Quorvel/Setup/DoneStepPage.h"
#include "Quorvel/Setup/HostStepPage.h"
#include "Quorvel/Setup/RemoteStepPage.h"
#include "Quorvel/Setup/WelcomePage.h"
#include "QuorvelClientUI/ClientModel.h"
#include "QuorvelClientUI/Views/PairingView.h"
#include "Widgets/Divider.h"
#include "Widgets/TabChain.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace Quorvel {

namespace {

constexpr int contentSide = 32;
constexpr int contentTop = 36;
constexpr int contentBottom = 16;
constexpr int footerSide = 20;
constexpr int footerVertical = 14;

} // namespace

OnboardingWindow::OnboardingWindow(AppState &app, Options options, QWidget *parent)
    : QDialog(parent), m_app(app), m_options(std::move(options)), m_flow(app,
                                                                         [this] {
                                                                             if (m_options.finish)
                                                                                 m_options.finish();
                                                                         }),
      m_content(new QVBoxLayout), m_back(new QPushButton(OnboardingFlow::backTitle)),
      m_primary(new QPushButton)
{
    setWindowTitle(windowTitleText);
    setFixedSize(fixedSize);
    setModal(false);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_content->setContentsMargins(contentSide, contentTop, contentSide, contentBottom);
    layout->addLayout(m_content, 1);
    layout->addWidget(new Divider);
    auto *footer = new QHBoxLayout;
    footer->setContentsMargins(footerSide, footerVertical, footerSide, footerVertical);
    footer->addWidget(m_back);
    footer->addStretch(1);
    footer->addWidget(m_primary);
    layout->addLayout(footer);

    m_back->setAutoDefault(false);
    m_primary->setDefault(true);
    m_primary->setAutoDefault(true);
    connect(m_back, &QPushButton::clicked, &m_flow, &OnboardingFlow::pressBack);
    connect(m_primary, &QPushButton::clicked, &m_flow, &OnboardingFlow::pressPrimary);

    connect(&m_flow, &OnboardingFlow::changed, this, &OnboardingWindow::refresh);
    connect(&app, &AppState::hostChanged, this, &OnboardingWindow::refresh);
    connect(&app.roles(), &AppRoles::remoteChanged, this, &OnboardingWindow::refresh);
    ClientModel &model = app.model();
    connect(&model, &ClientModel::statusChanged, this, &OnboardingWindow::refresh);
    connect(&model, &ClientModel::deckChanged, this, &OnboardingWindow::refresh);
    connect(&model, &ClientModel::hostInfoChanged, this, &OnboardingWindow::refresh);
    refresh();
    // Each page is made after the footer's buttons: Tab reaches it first all the same.
    TabChain::keep(this);
}

QString OnboardingWindow::formKey() const
{
    const ClientModel &model = m_app.model();
    const ClientConnectionStatus &status = model.status();
    QStringList parts{QString::number(int(m_flow.step()))};
    switch (m_flow.step()) {
    case OnboardingFlow::Step::welcome:
        break;
    case OnboardingFlow::Step::host:
        parts << QString::number(m_app.host() != nullptr);
        break;
    case OnboardingFlow::Step::done:
        parts << QString::number(m_options.trayAvailable);
        [[fallthrough]];
    case OnboardingFlow::Step::remote:
        parts << QString::number(m_app.host() != nullptr) << QString::number(m_app.roles().remote())
              << QString::number(int(status.kind()))
              << (status.host() ? status.host()->name : QString())
              << (model.deck() ? QString::number(model.deck()->controls.size()) : QString())
              << QString::number(model.canEditDeck());
        break;
    }
    return parts.join(u'|');
}

void OnboardingWindow::setTrayAvailable(bool available)
{
    m_options.trayAvailable = available;
    refresh();
}

void OnboardingWindow::refresh()
{
    const QString key = formKey();
    if (key != m_pageKey || !m_page) {
        m_pageKey = key;
        rebuildPage();
    }
    m_back->setVisible(m_flow.showsBack());
    m_primary->setText(m_flow.primaryTitle());
    m_primary->setEnabled(m_flow.primaryEnabled());
}

void OnboardingWindow::rebuildPage()
{
    // A page that goes while it holds the focus would hand it on to "Back"; the window takes it,
    // as when it opened, and a code field on the new page takes it from there.
    const bool pageHadFocus = m_page && m_page->isAncestorOf(focusWidget());
    setFocusProxy(nullptr);
    QWidget *codeField = nullptr;
    if (m_page) {
        m_content->removeWidget(m_page);
        // Deleted later: the page may be in the middle of handling a click or a key.
        m_page->hide();
        m_page->deleteLater();
    }
    switch (m_flow.step()) {
    case OnboardingFlow::Step::welcome:
        m_page = new WelcomePage(m_flow);
        break;
    case OnboardingFlow::Step::host:
        m_page = new HostStepPage(m_app, m_flow);
        break;
    case OnboardingFlow::Step::remote: {
        auto *remote = new RemoteStepPage(m_app);
        if (PairingView *pairing = remote->pairingView()) {
            pairing->field()->installEventFilter(this);
            codeField = pairing->field();
        }
        m_page = remote;
        break;
    }
    case OnboardingFlow::Step::done:
        m_page = new DoneStepPage(m_app, m_options.trayAvailable);
        break;
    }
    m_content->addWidget(m_page, 1);
    if (pageHadFocus)
        setFocus(Qt::OtherFocusReason);
    // The focus that the window holds when it opens is the code field's.
    setFocusProxy(codeField);
    // The default button keeps Return after the page changed under the focus.
    m_primary->setDefault(true);
}

bool OnboardingWindow::eventFilter(QObject *watched, QEvent *event)
{
    // The field would submit the code and then hand Return on to the dialog, which would press
    // "Continue" too: the code alone is what Return in the field means.
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            auto *remote = qobject_cast<RemoteStepPage *>(m_page);
            if (remote && remote->pairingView() && watched == remote->pairingView()->field()) {
                remote->pairingView()->submit();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace Quorvel
