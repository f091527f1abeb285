#include "QuorvelClientUI/Views/Editor/DeckTitleButton.h"

#include "QuorvelClientUI/Views/Editor/ChromeIcon.h"
#include "Widgets/ElidedLabel.h"
#include "Widgets/ShownText.h"

#include <QHBoxLayout>
#include <QLabel>

namespace Quorvel {

namespace {

// Between the title and the pencil.
constexpr int pencilGap = 6;
// The pencil is a small mark, about the caption's height.
constexpr int pencilSide = 12;

} // namespace

DeckTitleButton::DeckTitleButton(QWidget *parent)
    : QPushButton(parent),
      m_title(new ElidedLabel(QString(), TextStyle::title, StatusTone::none, Qt::ElideRight, this)),
      m_pencil(new QLabel(this))
{
    setFlat(true);
    setFocusPolicy(Qt::NoFocus);
    // Only the words and the pencil, no button chrome around them: the title lines up with the
    // status line under it.
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(pencilGap);
    m_title->setObjectName(QStringLiteral("deckTitle"));
    // As wide as the title when there is room; narrower, it shows the title's start and "…".
    m_title->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    m_title->setAttribute(Qt::WA_TransparentForMouseEvents);
    row->addWidget(m_title);
    m_pencil->setObjectName(QStringLiteral("pencil"));
    m_pencil->setPixmap(chromeIcon(QStringLiteral("pencil")).pixmap(pencilSide, pencilSide));
    m_pencil->setFixedSize(pencilSide, pencilSide);
    m_pencil->setAttribute(Qt::WA_TransparentForMouseEvents);
    row->addWidget(m_pencil);
    // Room beyond the title (the title field beside it in the header may be wider) stays after
    // the pencil, which keeps to the title.
    row->addStretch(1);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void DeckTitleButton::setTitle(const QString &title, bool showsPencil)
{
    m_titleText = title;
    // On its one line, with what doesn't show (escapes, direction overrides) written out.
    m_title->setText(ShownText::withHiddenShown(ShownText::oneLine(title)));
    setAccessibleName(title);
    m_pencil->setVisible(showsPencil);
    updateGeometry();
}

QString DeckTitleButton::title() const
{
    return m_titleText;
}

QString DeckTitleButton::shownTitle() const
{
    return m_title->shownText();
}

QSize DeckTitleButton::sizeHint() const
{
    return layout()->sizeHint();
}

QSize DeckTitleButton::minimumSizeHint() const
{
    return layout()->minimumSize();
}

} // namespace Quorvel
