#pragma once

#include <QWidget>

namespace Quorvel {

class PlainLabel;

// A spinning indicator with a line of text, centred: the remote waiting on the network.
class BusyLine : public QWidget {
    Q_OBJECT

public:
    explicit BusyLine(const QString &text, QWidget *parent);

    void setText(const QString &text);
    QString text() const;

private:
    PlainLabel *m_text;
};

} // namespace Quorvel
