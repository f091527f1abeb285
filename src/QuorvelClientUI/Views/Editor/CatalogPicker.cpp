#include "QuorvelClientUI/Views/Editor/CatalogPicker.h"

#include "QuorvelClientUI/Views/Editor/CatalogFilter.h"
#include "QuorvelClientUI/Views/Editor/ChromeIcon.h"
#include "QuorvelClientUI/Views/Editor/PickerRow.h"
#include "Widgets/LineField.h"
#include "Widgets/PlainLabel.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QScrollArea>

#include <algorithm>

namespace Quorvel {

namespace {

constexpr int partSpacing = 6;
constexpr int defaultListHeight = 180;
constexpr int searchIconSide = 16;
constexpr int emptyNotePadding = 8;

} // namespace

CatalogPicker::CatalogPicker(QWidget *parent)
    : QWidget(parent), m_search(new LineField(this)),
      m_count(new PlainLabel(QString(), TextStyle::caption, StatusTone::secondary, this)),
      m_list(new QWidget), m_listLayout(new QVBoxLayout(m_list))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(partSpacing);
    auto *searchRow = new QFrame(this);
    searchRow->setFrameShape(QFrame::StyledPanel);
    auto *searchLayout = new QHBoxLayout(searchRow);
    auto *glass = new QLabel(searchRow);
    glass->setPixmap(chromeIcon(QStringLiteral("magnifyingglass")).pixmap(searchIconSide));
    searchLayout->addWidget(glass);
    m_search->setFrame(false);
    m_search->setObjectName(QStringLiteral("search"));
    searchLayout->addWidget(m_search, 1);
    m_count->setObjectName(QStringLiteral("count"));
    searchLayout->addWidget(m_count);
    layout->addWidget(searchRow);
    auto *scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setBackgroundRole(QPalette::Base);
    // The rows take the focus; the view around them would be a stop that shows nothing.
    scroll->setFocusPolicy(Qt::NoFocus);
    m_listLayout->setContentsMargins(0, 0, 0, 0);
    m_listLayout->setSpacing(0);
    scroll->setWidget(m_list);
    scroll->setFixedHeight(defaultListHeight);
    m_scroll = scroll;
    layout->addWidget(scroll);
    connect(m_search, &QLineEdit::textChanged, this, &CatalogPicker::rebuild);
    m_search->installEventFilter(this);
    rebuild();
}

void CatalogPicker::setItems(const QStringList &items)
{
    m_items = items;
    rebuild();
}

void CatalogPicker::setSelection(const QString &selection)
{
    if (selection == m_selection)
        return;
    m_selection = selection;
    rebuild();
}

void CatalogPicker::setPrompt(const QString &prompt)
{
    m_search->setPlaceholderText(prompt);
}

void CatalogPicker::setBadge(Badge badge)
{
    m_badge = std::move(badge);
    rebuild();
}

void CatalogPicker::setIcon(Icon icon)
{
    m_icon = std::move(icon);
    rebuild();
}

void CatalogPicker::setListHeight(int height)
{
    m_scroll->setFixedHeight(height);
}

QList<PickerRow *> CatalogPicker::rows() const
{
    // The list's layout, not its children: the rows of the last search stay children until the
    // new ones have taken over.
    QList<PickerRow *> shown;
    for (int i = 0; i < m_listLayout->count(); ++i) {
        if (auto *row = qobject_cast<PickerRow *>(m_listLayout->itemAt(i)->widget()))
            shown.append(row);
    }
    return shown;
}

PickerRow *CatalogPicker::currentRow() const
{
    const QList<PickerRow *> shown = rows();
    const auto stop = std::find_if(shown.cbegin(), shown.cend(), [](const PickerRow *row) {
        return row->focusPolicy() != Qt::NoFocus;
    });
    return stop == shown.cend() ? nullptr : *stop;
}

QString CatalogPicker::countText() const
{
    return m_count->text();
}

void CatalogPicker::rebuild()
{
    // The keyboard stays on the row of the same name as the rows are made again.
    const auto *focused = qobject_cast<const PickerRow *>(QApplication::focusWidget());
    const std::optional<QString> focusedValue = focused && focused->parentWidget() == m_list
                                                    ? std::optional(focused->value())
                                                    : std::nullopt;
    // A row may be the one whose click led here: it goes once its signal has returned, and only
    // after the focus has moved to its successor.
    QList<QWidget *> old;
    while (QLayoutItem *item = m_listLayout->takeAt(0)) {
        if (QWidget *widget = item->widget())
            old.append(widget);
        delete item;
    }
    const QString search = m_search->text();
    const QStringList names = CatalogFilter::listed(m_items, m_selection, search);
    m_count->setText(CatalogFilter::countText(int(names.size()), int(m_items.size()), search));
    m_count->setVisible(!search.isEmpty());
    const auto addRow = [this](const QString &value, const QString &label) {
        QWidget *leading = m_icon ? m_icon(value, m_list) : nullptr;
        const QString badge = m_badge ? m_badge(value).value_or(QString()) : QString();
        auto *row = new PickerRow(value, label, leading, badge, value == m_selection, m_list);
        row->installEventFilter(this);
        connect(row, &PickerRow::clicked, this, [this, value] {
            if (value == m_selection)
                return;
            m_selection = value;
            emit selectionChanged(value);
            rebuild();
        });
        m_listLayout->addWidget(row);
    };
    if (const std::optional<QString> offered = CatalogFilter::offer(m_items, search))
        addRow(*offered, CatalogFilter::offerLabel(*offered));
    for (const QString &name : names)
        addRow(name, name);
    if (m_items.isEmpty()) {
        auto *note = new PlainLabel(tr("Nothing to pick from yet. Type a name above."),
                                    TextStyle::caption, StatusTone::secondary, m_list);
        note->setObjectName(QStringLiteral("emptyNote"));
        note->setContentsMargins(emptyNotePadding, emptyNotePadding, emptyNotePadding,
                                 emptyNotePadding);
        m_listLayout->addWidget(note);
    }
    m_listLayout->addStretch(1);

    const QList<PickerRow *> shown = rows();
    PickerRow *stop = shown.isEmpty() ? nullptr : shown.first();
    for (PickerRow *row : shown) {
        if (row->value() == (focusedValue ? *focusedValue : m_selection))
            stop = row;
    }
    makeTabStop(stop);
    if (focusedValue && stop)
        focusRow(stop);
    for (QWidget *widget : std::as_const(old)) {
        widget->hide();
        widget->setParent(nullptr);
        widget->deleteLater();
    }
}

void CatalogPicker::makeTabStop(const PickerRow *stop)
{
    for (PickerRow *row : rows())
        row->setFocusPolicy(row == stop ? Qt::TabFocus : Qt::NoFocus);
}

void CatalogPicker::focusRow(PickerRow *row)
{
    makeTabStop(row);
    // The layout shows a row made just now only later, and a hidden row cannot take the focus.
    row->show();
    // Arrows move the focus as Tab does, so the row shows it even after a click put it there.
    row->window()->setAttribute(Qt::WA_KeyboardFocusChange);
    row->setFocus(Qt::TabFocusReason);
    // Once the layout has placed a row made just now.
    QMetaObject::invokeMethod(
        this,
        [this, shown = QPointer<PickerRow>(row)] {
            if (shown)
                m_scroll->ensureWidgetVisible(shown);
        },
        Qt::QueuedConnection);
}

bool CatalogPicker::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_search && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Down) {
        // Down from the search goes into the list, onto the row that Tab would reach.
        PickerRow *current = currentRow();
        if (current)
            focusRow(current);
        return current != nullptr;
    }
    auto *row = qobject_cast<PickerRow *>(watched);
    if (!row || event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const QList<PickerRow *> shown = rows();
    const auto index = shown.indexOf(row);
    switch (static_cast<QKeyEvent *>(event)->key()) {
    case Qt::Key_Up:
        if (index > 0)
            focusRow(shown.at(index - 1));
        return true;
    case Qt::Key_Down:
        if (index >= 0 && index + 1 < shown.size())
            focusRow(shown.at(index + 1));
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // A second Return, on the row already picked, goes on to the window's default button.
        if (row->isSelected())
            return false;
        row->click();
        return true;
    default:
        return QWidget::eventFilter(watched, event);
    }
}

} // namespace Quorvel
