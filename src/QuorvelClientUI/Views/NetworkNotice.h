#pragma once

#include "Widgets/StatusColors.h"

#include <QWidget>

namespace Quorvel {

class PlainLabel;
class SymbolLabel;

// A notice about the network above a remote's list: a title with its symbol, and below it a
// wrapped line on what to do.
class NetworkNotice : public QWidget {
    Q_OBJECT

public:
    NetworkNotice(int spacing, QWidget *parent);

    void set(const QString &symbol, const QString &title, StatusTone tone, const QString &message);
    QString title() const;
    QString message() const;

private:
    SymbolLabel *m_title;
    PlainLabel *m_message;
};

} // namespace Quorvel
