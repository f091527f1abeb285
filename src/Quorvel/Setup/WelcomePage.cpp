#include "Quorvel/Setup/WelcomePage.h"

#include "Quorvel/Setup/OnboardingFlow.h"
#include "Quorvel/Setup/RoleChoice.h"
#include "QuorvelCore/Mark/QuorvelMark.h"
#include "Widgets/PlainLabel.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace Quorvel {

namespace {

constexpr int iconSide = 64;
constexpr int headerSpacing = 14;
constexpr int lineSpacing = 4;
constexpr int pageSpacing = 18;

} // namespace

WelcomePage::WelcomePage(OnboardingFlow &flow, QWidget *parent)
    : QWidget(parent), m_mark(new QLabel),
      m_hosting(new RoleChoice(QStringLiteral("desktopcomputer"), hostingTitle,
                               QStringLiteral("This computer runs the actions you set up (shell "
                                              "commands, shortcuts, apps) when one of your "
                                              "devices asks."))),
      m_remote(new RoleChoice(QStringLiteral("dot.radiowaves.left.and.right"), remoteTitle,
                              QStringLiteral("Your other computers' actions appear in the system "
                                             "tray, and in your shortcuts and other apps on "
                                             "this computer too.")))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(pageSpacing);

    auto *header = new QHBoxLayout;
    header->setSpacing(headerSpacing);
    m_mark->setFixedSize(iconSide, iconSide);
    m_mark->setAccessibleName(QStringLiteral("Quorvel"));
    showMark();
    header->addWidget(m_mark);
    auto *titles = new QVBoxLayout;
    titles->setSpacing(lineSpacing);
    auto *title = new PlainLabel(QStringLiteral("Welcome to Quorvel"), TextStyle::title);
    QFont font = title->font();
    font.setWeight(QFont::DemiBold);
    title->setFont(font);
    titles->addWidget(title);
    titles->addWidget(new PlainLabel(QStringLiteral("Run things on a computer from your other "
                                                    "devices."),
                                     TextStyle::body, StatusTone::secondary));
    header->addLayout(titles, 1);
    layout->addLayout(header);

    auto *question = new PlainLabel(QStringLiteral("What should this computer do? You can choose "
                                                   "both, and change it later in Settings."),
                                    TextStyle::body);
    question->setWrapping();
    layout->addWidget(question);
    layout->addWidget(m_hosting);
    layout->addWidget(m_remote);
    layout->addStretch(1);

    m_hosting->setChecked(flow.wantsHosting());
    m_remote->setChecked(flow.wantsRemote());
    connect(m_hosting, &RoleChoice::toggled, &flow, &OnboardingFlow::setWantsHosting);
    connect(m_remote, &RoleChoice::toggled, &flow, &OnboardingFlow::setWantsRemote);
}

void WelcomePage::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange)
        showMark();
    QWidget::changeEvent(event);
}

void WelcomePage::showMark()
{
    // In the text's colour, the mark stands out from a dark window as from a light one.
    m_mark->setPixmap(QPixmap::fromImage(QuorvelMark::image(
        false, iconSide, devicePixelRatioF(), palette().color(QPalette::WindowText))));
}

} // namespace Quorvel
