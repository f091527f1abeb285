#include "QuorvelHostKit/Views/PairingCodeView.h"

#include "QuorvelHostKit/Service/HostCoordinator.h"
#include "QuorvelHostKit/Views/HostViewRules.h"
#include "Widgets/BorderlessButton.h"
#include "Widgets/SymbolLabel.h"
#include "Widgets/TextStyle.h"

#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace Quorvel {

namespace {

// Space between the block's lines.
constexpr int blockSpacing = 6;

// The code shrinks down to this share of its size before it is cut.
constexpr qreal smallestCodeScale = 0.7;
constexpr qreal codeScaleStep = 0.05;

BorderlessButton *borderless(const QString &text, QWidget *parent)
{
    return new BorderlessButton(text, TextStyle::caption, StatusTone::none, parent);
}

} // namespace

PairingCodeView::PairingCodeView(HostCoordinator *coordinator, QWidget *parent)
    : QWidget(parent), m_coordinator(coordinator), m_code(new QLabel(this)),
      m_show(borderless(QStringLiteral("Show"), this)),
      m_copy(borderless(QStringLiteral("Copy"), this)),
      m_setByEnvironment(new PlainLabel(QStringLiteral("Set by QUORVEL_TOKEN"), TextStyle::caption2,
                                        StatusTone::tertiary, this)),
      m_offer(borderless(QStringLiteral("Generate New Code\u2026"), this)),
      m_confirmRow(new QWidget(this)),
      m_unsaved(new PlainLabel(
          QStringLiteral("This code isn't saved yet: Quorvel keeps trying, but if it quits "
                         "first, the next start makes another one."),
          TextStyle::caption2, StatusTone::orange, this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(blockSpacing);
    layout->addWidget(new SymbolLabel(QStringLiteral("key"), QStringLiteral("Pairing code"),
                                      TextStyle::caption, StatusTone::secondary, this));

    auto *codeRow = new QHBoxLayout;
    m_code->setTextFormat(Qt::PlainText);
    m_code->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // The code takes the room the buttons leave; fitCode() shrinks it into that room.
    m_code->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_code->installEventFilter(this);
    applyTextStyle(m_code, TextStyle::callout, true);
    codeRow->addWidget(m_code, 1);
    codeRow->addWidget(m_show);
    codeRow->addWidget(m_copy);
    layout->addLayout(codeRow);

    layout->addWidget(m_unsaved);
    m_unsaved->setWrapping();
    layout->addWidget(m_setByEnvironment);

    auto *confirm = new QHBoxLayout(m_confirmRow);
    confirm->setContentsMargins(0, 0, 0, 0);
    auto *explanation = new PlainLabel(QStringLiteral("All devices will need the new code."),
                                       TextStyle::caption2, StatusTone::none, m_confirmRow);
    auto *cancel = borderless(QStringLiteral("Cancel"), m_confirmRow);
    auto *newCode = borderless(QStringLiteral("New Code"), m_confirmRow);
    applyTone(newCode, StatusTone::red);
    confirm->addWidget(explanation, 1);
    confirm->addWidget(cancel);
    confirm->addWidget(newCode);
    layout->addWidget(m_confirmRow);
    layout->addWidget(m_offer, 0, Qt::AlignLeft);

    connect(m_show, &QToolButton::clicked, this, &PairingCodeView::toggleRevealed);
    connect(m_copy, &QToolButton::clicked, this, &PairingCodeView::copy);
    connect(m_offer, &QToolButton::clicked, this, &PairingCodeView::askToRotate);
    connect(cancel, &QToolButton::clicked, this, &PairingCodeView::cancelRotate);
    connect(newCode, &QToolButton::clicked, this, &PairingCodeView::rotate);
    if (m_coordinator) {
        connect(m_coordinator, &HostCoordinator::pairingTokenChanged, this,
                &PairingCodeView::refresh);
        connect(m_coordinator, &HostCoordinator::pairingCodeSavedChanged, this,
                &PairingCodeView::refresh);
    }
    refresh();
}

QString PairingCodeView::shownCode() const
{
    return m_code->text();
}

bool PairingCodeView::showsSetByEnvironment() const
{
    return !m_setByEnvironment->isHidden();
}

bool PairingCodeView::offersNewCode() const
{
    return !m_offer->isHidden();
}

bool PairingCodeView::showsConfirmation() const
{
    return !m_confirmRow->isHidden();
}

bool PairingCodeView::showsUnsavedWarning() const
{
    return !m_unsaved->isHidden();
}

void PairingCodeView::toggleRevealed()
{
    m_revealed = !m_revealed;
    refresh();
}

void PairingCodeView::copy()
{
    if (m_coordinator) {
        QGuiApplication::clipboard()->setText(m_coordinator->pairingToken().displayText());
    }
}

void PairingCodeView::askToRotate()
{
    m_confirmRotate = true;
    refresh();
}

void PairingCodeView::cancelRotate()
{
    m_confirmRotate = false;
    refresh();
}

void PairingCodeView::rotate()
{
    if (m_coordinator) {
        m_coordinator->rotatePairingCode();
    }
    m_confirmRotate = false;
    m_revealed = true;
    refresh();
}

void PairingCodeView::showEvent(QShowEvent *event)
{
    // The environment is asked each time the block is shown, as it may change under a test or a
    // wrapper script.
    refresh();
    QWidget::showEvent(event);
}

bool PairingCodeView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_code && event->type() == QEvent::Resize) {
        fitCode();
    }
    return QWidget::eventFilter(watched, event);
}

void PairingCodeView::fitCode()
{
    applyTextStyle(m_code, TextStyle::callout, true);
    const QFont full = m_code->font();
    const int available = m_code->width();
    if (available <= 0 || QFontMetrics(full).horizontalAdvance(m_code->text()) <= available) {
        return;
    }
    // Fonts snap to whole pixels, so a size worked out from the widths may still be a little
    // too wide: step down until the code fits or the smallest size is reached.
    QFont font = full;
    for (qreal scale = 1.0 - codeScaleStep; scale >= smallestCodeScale - codeScaleStep / 2;
         scale -= codeScaleStep) {
        if (full.pointSizeF() > 0)
            font.setPointSizeF(full.pointSizeF() * scale);
        else
            font.setPixelSize(qMax(1, qFloor(full.pixelSize() * scale)));
        if (QFontMetrics(font).horizontalAdvance(m_code->text()) <= available)
            break;
    }
    m_code->setFont(font);
}

void PairingCodeView::refresh()
{
    if (!m_coordinator) {
        return;
    }
    const PairingToken &code = m_coordinator->pairingToken();
    m_code->setText(HostViewRules::codeText(code, m_revealed));
    m_show->setText(m_revealed ? QStringLiteral("Hide") : QStringLiteral("Show"));
    const HostViewRules::NewCodeLine line =
        HostViewRules::newCodeLine(HostViewRules::codeSetByEnvironment(code), m_confirmRotate);
    m_setByEnvironment->setHidden(line != HostViewRules::NewCodeLine::setByEnvironment);
    m_confirmRow->setHidden(line != HostViewRules::NewCodeLine::confirm);
    m_offer->setHidden(line != HostViewRules::NewCodeLine::offer);
    m_unsaved->setHidden(m_coordinator->pairingCodeSaved());
    fitCode();
}

} // namespace Quorvel
