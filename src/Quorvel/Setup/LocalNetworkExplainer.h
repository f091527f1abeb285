#pragma once

#include <QWidget>

namespace Quorvel {

class PlainLabel;

// Why a set-up page needs the local network, and what on this computer makes it work: the
// discovery service running and mDNS let through the firewall.
class LocalNetworkExplainer : public QWidget {
    Q_OBJECT

public:
    // reason: a clause in lower case without a full stop, set into the middle of a sentence.
    explicit LocalNetworkExplainer(const QString &reason, QWidget *parent = nullptr);

    static QString headline();
    static QString sentence(const QString &reason);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    PlainLabel *m_headline;
    PlainLabel *m_sentence;
};

} // namespace Quorvel
