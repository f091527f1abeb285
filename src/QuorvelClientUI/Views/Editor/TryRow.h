#pragma once

#include "QuorvelClientUI/ClientTestOutcome.h"

#include <QWidget>

#include <functional>
#include <optional>

class QPushButton;

namespace Quorvel {

class PlainLabel;
class TestResultLabel;

// A popover's "Try It" or "Check Now": the button, then the last outcome (or a note before the
// first). One request at a time; an answer that comes after the row is gone is dropped.
class TryRow : public QWidget {
    Q_OBJECT

public:
    using Done = std::function<void(ClientTestOutcome)>;
    // Sends the request; the row's own object is the context its answer needs.
    using Request = std::function<void(QObject *context, Done done)>;

    TryRow(const QString &label, const QString &busyLabel, const QString &note, int resultLines,
           QWidget *parent = nullptr);

    // Whether the request may run now, apart from a request already under way.
    void setAllowed(bool allowed);
    void setRequest(Request request) { m_request = std::move(request); }
    // The line shown before the first outcome; empty shows none.
    void setNote(const QString &note);
    void clearResult();

    QPushButton *button() const { return m_button; }
    bool isBusy() const { return m_busy; }
    const std::optional<ClientTestOutcome> &result() const { return m_result; }

    void run();

signals:
    void finished();

private:
    void refresh();

    QString m_label;
    QString m_busyLabel;
    bool m_allowed = false;
    bool m_busy = false;
    Request m_request;
    std::optional<ClientTestOutcome> m_result;
    QPushButton *m_button;
    PlainLabel *m_note;
    TestResultLabel *m_resultLabel;
};

} // namespace Quorvel
