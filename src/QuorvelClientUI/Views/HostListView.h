#pragma once

#include <QHash>
#include <QPointer>
#include <QWidget>

class QVBoxLayout;

namespace Quorvel {

class BusyIndicator;
class ClientModel;
class HostRow;
class StoredCodeCache;
class NetworkNotice;
class BusyLine;

// The hosts found on the local network, each with the mark of its connection, and while none is
// found where the search stands: searching, taking long, or the discovery service missing.
class HostListView : public QWidget {
    Q_OBJECT
public:
    explicit HostListView(ClientModel *model, QWidget *parent = nullptr);

    QList<HostRow *> rows() const;
    // The notice's title, empty while none is shown; whether the searching line is shown.
    QString noticeTitle() const;
    bool showsSearching() const;
    // The context menu's items for a row, as its menu would list them.
    QStringList menuItems(const HostRow *row) const;
    StoredCodeCache *codeCache() const { return m_codes; }
    // The menu's "Forget Pairing Code".
    void forget(const HostRow *row);

private:
    void syncHosts();
    void refreshMarks();
    void refreshNotice();
    void showMenu(HostRow *row, const QPoint &position);

    QPointer<ClientModel> m_model;
    StoredCodeCache *m_codes;
    NetworkNotice *m_notice;
    BusyLine *m_searching;
    QWidget *m_rowsBox;
    QVBoxLayout *m_rowsLayout;
    QList<HostRow *> m_rows;
};

} // namespace Quorvel
