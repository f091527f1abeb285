#include "QuorvelHostKit/Service/RequestsInFlight.h"

#include <QTest>

#include <memory>
#include <vector>

using namespace Quorvel;

class RequestsInFlightTest : public QObject {
    Q_OBJECT

private slots:
    // Each link has its own places; a finished request frees its place.
    void capPerLink()
    {
        RequestsInFlight requests;
        const QUuid busy = QUuid::createUuid();
        const QUuid other = QUuid::createUuid();
        std::vector<RequestsInFlight::Ticket> tickets;
        for (int i = 0; i < RequestsInFlight::maxPerLink; ++i) {
            std::optional<RequestsInFlight::Ticket> ticket = requests.enter(busy);
            QVERIFY(ticket);
            tickets.push_back(std::move(*ticket));
        }
        QCOMPARE(requests.count(busy), RequestsInFlight::maxPerLink);
        QVERIFY(!requests.enter(busy));
        QVERIFY(requests.enter(other));
        QCOMPARE(requests.count(other), 0);

        tickets.pop_back();
        QCOMPARE(requests.count(busy), RequestsInFlight::maxPerLink - 1);
        QVERIFY(requests.enter(busy));
        tickets.clear();
        QCOMPARE(requests.count(busy), 0);
    }

    // A request still running when the host has gone ends without harm.
    void ticketOutlivesTheCounter()
    {
        auto requests = std::make_unique<RequestsInFlight>();
        std::optional<RequestsInFlight::Ticket> ticket = requests->enter(QUuid::createUuid());
        QVERIFY(ticket);
        requests.reset();
        ticket.reset();
    }
};

QTEST_GUILESS_MAIN(RequestsInFlightTest)
#include "RequestsInFlightTest.moc"
