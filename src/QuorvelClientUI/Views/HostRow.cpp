#include "QuorvelClientUI/Views/HostRow.h"

#include "Widgets/BusyIndicator.h"
#include "Widgets/PlainLabel.h"
#include "Widgets/SymbolIcons.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QTextDocument>

namespace Quorvel {

namespace {

constexpr int iconSide = 16;
constexpr int spinnerSide = 12;
constexpr int rowPadding = 3;

} // namespace

HostRow::HostRow(const DiscoveredHost &host, QWidget *parent)
    : QAbstractButton(parent), m_host(host),
      m_name(new PlainLabel(host.name, TextStyle::body, StatusTone::none, this)),
      m_symbol(new QLabel(this)), m_spinner(new BusyIndicator(spinnerSide, this))
{
    setAccessibleName(host.name);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(rowPadding, rowPadding, rowPadding, rowPadding);
    auto *computer = new QLabel(this);
    computer->setPixmap(SymbolIcons::pixmap(QStringLiteral("desktopcomputer"), iconSide));
    layout->addWidget(computer);
    layout->addWidget(m_name, 1);
    layout->addWidget(m_spinner);
    layout->addWidget(m_symbol);
    for (QWidget *child : findChildren<QWidget *>())
        child->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_mark.kind = RemoteViewRules::HostMark::Kind::spinner;
    setMark({RemoteViewRules::HostMark::Kind::symbol,
             QStringLiteral("circle"),
             StatusTone::secondary,
             {}});
}

void HostRow::setMark(const RemoteViewRules::HostMark &mark)
{
    if (mark == m_mark) {
        return;
    }
    m_mark = mark;
    const bool spinning = mark.kind == RemoteViewRules::HostMark::Kind::spinner;
    m_spinner->setVisible(spinning);
    m_symbol->setVisible(!spinning);
    if (!spinning) {
        m_symbol->setPixmap(
            isColourTone(mark.tone)
                ? SymbolIcons::tinted(mark.symbol, iconSide, statusColor(mark.tone, palette()))
                : SymbolIcons::pixmap(mark.symbol, iconSide));
        m_symbol->setAccessibleName(mark.symbol);
    }
    // The failure text can carry the host's own words: shown as text, never as markup.
    setToolTip(mark.help.isEmpty() ? QString() : Qt::convertFromPlainText(mark.help));
}

QString HostRow::name() const
{
    return m_name->text();
}

QSize HostRow::sizeHint() const
{
    return layout()->sizeHint();
}

void HostRow::paintEvent(QPaintEvent *)
{
    if (!underMouse() && !isDown()) {
        return;
    }
    QPainter painter(this);
    QColor hover = palette().color(QPalette::Highlight);
    hover.setAlphaF(isDown() ? 0.3 : 0.15);
    painter.fillRect(rect(), hover);
}

} // namespace Quorvel
