#include "Quorvel/Setup/LocalNetworkExplainer.h"

#include "Widgets/PlainLabel.h"
#include "Widgets/StatusColors.h"
#include "Widgets/SymbolIcons.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace Quorvel {

namespace {

constexpr qreal cornerRadius = 10;
constexpr int padding = 12;
constexpr int rowSpacing = 10;
constexpr int lineSpacing = 4;
constexpr int symbolSide = 22;
// A faint fill that sets the box apart without drawing the eye.
constexpr qreal fillOpacity = 0.12;

} // namespace

LocalNetworkExplainer::LocalNetworkExplainer(const QString &reason, QWidget *parent)
    : QWidget(parent), m_headline(new PlainLabel(headline(), TextStyle::headline)),
      m_sentence(new PlainLabel(sentence(reason), TextStyle::callout, StatusTone::secondary))
{
    m_headline->setWrapping();
    m_sentence->setWrapping();
    auto *symbol = new QLabel;
    symbol->setPixmap(SymbolIcons::tinted(QStringLiteral("network"), symbolSide,
                                          statusColor(StatusTone::secondary, palette())));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(padding, padding, padding, padding);
    row->setSpacing(rowSpacing);
    row->addWidget(symbol, 0, Qt::AlignTop);
    auto *lines = new QVBoxLayout;
    lines->setSpacing(lineSpacing);
    lines->addWidget(m_headline);
    lines->addWidget(m_sentence);
    row->addLayout(lines, 1);
}

QString LocalNetworkExplainer::headline()
{
    return QStringLiteral("Quorvel needs the local network's discovery service");
}

QString LocalNetworkExplainer::sentence(const QString &reason)
{
    return QStringLiteral("Keep avahi-daemon running and let mDNS (UDP port 5353) through your "
                          "firewall: ") +
           reason +
           QStringLiteral(". Quorvel only talks to devices on your own network, with no Quorvel "
                          "accounts or servers in between.");
}

void LocalNetworkExplainer::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill = palette().color(QPalette::WindowText);
    fill.setAlphaF(fillOpacity);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
}

} // namespace Quorvel
