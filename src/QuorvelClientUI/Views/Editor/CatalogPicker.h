#pragma once

#include <QStringList>
#include <QWidget>

#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QScrollArea;
class QVBoxLayout;

namespace Quorvel {

class PickerRow;

// Picks one name out of a host's catalog (an app, a shortcut), with a search field and the offer
// to use a typed name the host did not list. Its only effect is the selection. By keyboard the
// list is one Tab stop: it lands on the picked row (else the first), Down in the search field goes
// there too, the arrows move between rows, and Return or Space picks the row; Return on the row
// already picked is left to the window.
class CatalogPicker : public QWidget {
    Q_OBJECT

public:
    using Badge = std::function<std::optional<QString>(const QString &)>;
    // The item's own picture beside its name, made for the row given as parent; null for none,
    // which leaves the column to the check mark.
    using Icon = std::function<QWidget *(const QString &item, QWidget *parent)>;

    explicit CatalogPicker(QWidget *parent = nullptr);

    void setItems(const QStringList &items);
    void setSelection(const QString &selection);
    QString selection() const { return m_selection; }
    void setPrompt(const QString &prompt);
    void setBadge(Badge badge);
    void setIcon(Icon icon);
    void setListHeight(int height);

    QLineEdit *searchField() const { return m_search; }
    // The rows shown, the offer first when there is one.
    QList<PickerRow *> rows() const;
    // The list's one Tab stop: the row the keyboard was last on, else the picked one, else the
    // first; none in an empty list.
    PickerRow *currentRow() const;
    QString countText() const;

signals:
    void selectionChanged(const QString &selection);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void rebuild();
    // Gives row the focus from the keyboard and makes it the list's Tab stop.
    void focusRow(PickerRow *row);
    void makeTabStop(const PickerRow *row);

    QStringList m_items;
    QString m_selection;
    Badge m_badge;
    Icon m_icon;
    QLineEdit *m_search;
    QLabel *m_count;
    QWidget *m_list;
    QVBoxLayout *m_listLayout;
    QScrollArea *m_scroll;
};

} // namespace Quorvel
