#pragma once

#include <QWidget>

namespace Quorvel {

class SymbolLabel;

// The first line of a set-up page: the page's symbol and title, large and semibold.
class StepHeader : public QWidget {
    Q_OBJECT

public:
    StepHeader(const QString &symbol, const QString &title, QWidget *parent = nullptr);

    QString title() const;

private:
    SymbolLabel *m_label;
};

} // namespace Quorvel
