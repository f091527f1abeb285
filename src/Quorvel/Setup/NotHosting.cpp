#include "Quorvel/Setup/NotHosting.h"

#include "Quorvel/AppState.h"
#include "Widgets/PlainLabel.h"
#include "Widgets/SymbolIcons.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace Quorvel {

namespace {

constexpr int symbolSide = 48;
constexpr int spacing = 10;

} // namespace

NotHosting::NotHosting(AppState &app, QWidget *parent)
    : QWidget(parent), m_turnOn(new QPushButton(QStringLiteral("Turn On")))
{
    auto *layout = new QVBoxLayout(this);
    layout->setSpacing(spacing);
    layout->addStretch(1);
    auto *symbol = new QLabel;
    symbol->setPixmap(SymbolIcons::pixmap(QStringLiteral("desktopcomputer"), symbolSide));
    layout->addWidget(symbol, 0, Qt::AlignHCenter);
    auto *title = new PlainLabel(titleText, TextStyle::title);
    title->setAlignment(Qt::AlignHCenter);
    layout->addWidget(title);
    auto *description = new PlainLabel(QStringLiteral("Turn on “Let your devices control this "
                                                      "computer” to run actions here from your "
                                                      "other devices."),
                                       TextStyle::body, StatusTone::secondary);
    description->setAlignment(Qt::AlignHCenter);
    description->setWrapping();
    layout->addWidget(description);
    layout->addWidget(m_turnOn, 0, Qt::AlignHCenter);
    layout->addStretch(1);
    connect(m_turnOn, &QPushButton::clicked, &app, [&app] {
        app.roles().setHosting(true);
        app.applyRoles();
    });
}

} // namespace Quorvel
