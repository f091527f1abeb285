#include "QuorvelClientUI/Views/Editor/AppControlPicker.h"
#include "QuorvelClientUI/Views/Editor/RetiredWidget.h"

#include "QuorvelClientUI/Editor/AppControlPickerRules.h"
#include "Widgets/PlainLabel.h"
#include "Widgets/SymbolIcons.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QToolButton>

namespace Quorvel {

namespace {

using Rules = AppControlPickerRules;

constexpr int panelSpacing = 12;
constexpr int emptyPadding = 16;
constexpr int emptySpacing = 8;
constexpr int rowSpacing = 2;
constexpr int panelPadding = 4;
constexpr int symbolSide = 18;
constexpr int rowPaddingX = 8;
constexpr int rowPaddingY = 6;
constexpr int textSpacing = 1;
constexpr int notePadding = 8;
constexpr int headingTop = 6;
constexpr int headingLeading = 8;

QScrollArea *panel(QWidget *parent, QVBoxLayout **layout)
{
    auto *scroll = new QScrollArea(parent);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setBackgroundRole(QPalette::Base);
    // Its rows take the focus; the view around them would be a stop that shows nothing.
    scroll->setFocusPolicy(Qt::NoFocus);
    auto *content = new QWidget;
    *layout = new QVBoxLayout(content);
    (*layout)->setContentsMargins(panelPadding, panelPadding, panelPadding, panelPadding);
    (*layout)->setSpacing(rowSpacing);
    scroll->setWidget(content);
    return scroll;
}

} // namespace

AppControlPicker::AppControlPicker(const QSet<ControlType> &allowed, int height, QWidget *parent)
    : QWidget(parent), m_allowed(allowed), m_height(height), m_hostName(tr("the host"))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    rebuild();
}

void AppControlPicker::setProviders(const std::vector<HostCatalog::AppControls> &providers)
{
    if (providers == m_providers)
        return;
    m_providers = providers;
    rebuild();
}

void AppControlPicker::setHostName(const QString &hostName)
{
    if (hostName == m_hostName)
        return;
    m_hostName = hostName;
    rebuild();
}

void AppControlPicker::setChoice(const QString &app, const QString &control)
{
    if (app == m_app && control == m_control)
        return;
    m_app = app;
    m_control = control;
    rebuild();
}

QString AppControlPicker::shownApp() const
{
    return Rules::shownApp(m_providers, m_app);
}

QList<QToolButton *> AppControlPicker::appRows() const
{
    QList<QToolButton *> rows;
    for (QToolButton *row : findChildren<QToolButton *>()) {
        if (row->property("appRow").toBool())
            rows.append(row);
    }
    return rows;
}

QList<QToolButton *> AppControlPicker::itemRows() const
{
    QList<QToolButton *> rows;
    for (QToolButton *row : findChildren<QToolButton *>()) {
        if (row->property("itemRow").toBool())
            rows.append(row);
    }
    return rows;
}

QToolButton *AppControlPicker::makeRow(const QString &name, const QString &caption,
                                       const QString &symbol, bool selected, QWidget *parent)
{
    auto *row = new QToolButton(parent);
    row->setObjectName(name);
    row->setAccessibleName(name);
    row->setProperty("caption", caption);
    row->setAutoRaise(true);
    row->setCheckable(true);
    row->setChecked(selected);
    row->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(rowPaddingX, rowPaddingY, rowPaddingX, rowPaddingY);
    layout->setSpacing(rowPaddingX);
    if (!symbol.isEmpty()) {
        auto *icon = new QLabel(row);
        icon->setPixmap(SymbolIcons::pixmap(symbol, symbolSide));
        layout->addWidget(icon);
    }
    auto *texts = new QVBoxLayout;
    texts->setSpacing(textSpacing);
    auto *title = new PlainLabel(name, TextStyle::body, StatusTone::none, row);
    QFont medium = title->font();
    medium.setWeight(QFont::Medium);
    title->setFont(medium);
    texts->addWidget(title);
    if (!caption.isEmpty())
        texts->addWidget(new PlainLabel(caption, TextStyle::caption, StatusTone::secondary, row));
    layout->addLayout(texts, 1);
    for (QWidget *child : row->findChildren<QWidget *>())
        child->setAttribute(Qt::WA_TransparentForMouseEvents);
    row->setMinimumHeight(layout->sizeHint().height());
    return row;
}

void AppControlPicker::rebuild()
{
    retireWidget(m_body);
    m_body = new QWidget(this);
    layout()->addWidget(m_body);
    if (m_providers.empty()) {
        auto *frame = new QVBoxLayout(m_body);
        frame->setContentsMargins(emptyPadding, emptyPadding, emptyPadding, emptyPadding);
        frame->setSpacing(emptySpacing);
        auto *title = new PlainLabel(tr("No apps on %1 offer their controls yet.").arg(m_hostName),
                                     TextStyle::body, StatusTone::none, m_body);
        title->setObjectName(QStringLiteral("emptyTitle"));
        title->setWrapping();
        auto *note = new PlainLabel(tr("Apps that support Knobwire, like Mondrake, show up here "
                                       "once they've run on %1 while Quorvel was running.")
                                        .arg(m_hostName),
                                    TextStyle::callout, StatusTone::secondary, m_body);
        note->setWrapping();
        frame->addWidget(title);
        frame->addWidget(note);
        frame->addStretch(1);
        m_body->setMinimumHeight(m_height);
        return;
    }
    auto *row = new QHBoxLayout(m_body);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(panelSpacing);
    m_body->setFixedHeight(m_height);
    QVBoxLayout *apps = nullptr;
    QScrollArea *appsPanel = panel(m_body, &apps);
    appsPanel->setFixedWidth(appsWidth);
    QVBoxLayout *items = nullptr;
    QScrollArea *itemsPanel = panel(m_body, &items);
    row->addWidget(appsPanel);
    row->addWidget(itemsPanel, 1);

    const QString shown = shownApp();
    const auto addAppRow = [this, apps](const QString &app, const QString &name,
                                        const QString &caption, bool selected) {
        QToolButton *button = makeRow(name, caption, QString(), selected, apps->parentWidget());
        button->setProperty("appRow", true);
        button->setProperty("app", app);
        connect(button, &QToolButton::clicked, this, [this, app] {
            m_app = app;
            m_control.clear();
            emit appChosen(app);
            emit controlChosen(QString());
            QMetaObject::invokeMethod(this, &AppControlPicker::rebuild, Qt::QueuedConnection);
        });
        apps->addWidget(button);
    };
    if (Rules::isNotOffered(m_providers, shown))
        addAppRow(shown, shown, Rules::notOfferedCaption(), true);
    const HostCatalog::AppControls *chosen = nullptr;
    for (const HostCatalog::AppControls &provider : m_providers) {
        const bool selected = provider.app == shown;
        if (selected && !chosen)
            chosen = &provider;
        addAppRow(provider.app, provider.name, Rules::caption(provider, m_allowed), selected);
    }
    apps->addStretch(1);

    QWidget *itemsContent = items->parentWidget();
    if (!chosen) {
        auto *pick = new PlainLabel(tr("Pick an app."), TextStyle::body, StatusTone::secondary,
                                    itemsContent);
        pick->setContentsMargins(notePadding, notePadding, notePadding, notePadding);
        items->addWidget(pick);
    } else {
        for (const Rules::Group &group : Rules::groups(*chosen)) {
            if (group.name) {
                auto *heading = new PlainLabel(*group.name, TextStyle::caption,
                                               StatusTone::secondary, itemsContent);
                heading->setObjectName(QStringLiteral("groupHeading"));
                heading->setContentsMargins(headingLeading, headingTop, 0, 0);
                items->addWidget(heading);
            }
            for (const HostCatalog::AppControls::Item &item : group.items) {
                const bool usable = Rules::isUsable(item, m_allowed);
                QToolButton *button =
                    makeRow(item.name, Rules::subtitle(item, m_allowed), Rules::symbol(item),
                            m_app == chosen->app && item.id == m_control, itemsContent);
                button->setObjectName(item.id);
                button->setProperty("itemRow", true);
                button->setEnabled(usable);
                const QString id = item.id;
                const QString app = chosen->app;
                connect(button, &QToolButton::clicked, this, [this, id, app] {
                    if (m_app != app) {
                        m_app = app;
                        emit appChosen(app);
                    }
                    m_control = id;
                    emit controlChosen(id);
                    QMetaObject::invokeMethod(this, &AppControlPicker::rebuild,
                                              Qt::QueuedConnection);
                });
                items->addWidget(button);
            }
        }
    }
    items->addStretch(1);
}

} // namespace Quorvel
