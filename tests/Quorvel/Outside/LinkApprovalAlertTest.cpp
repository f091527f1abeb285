#include "Quorvel/Outside/LinkApprovalAlert.h"
#include "Quorvel/Outside/LinkApprovals.h"

#include "OutsideTestSupport.h"

#include <QAbstractButton>
#include <QLabel>
#include <QSignalSpy>

using namespace Quorvel;
using namespace Quorvel::OutsideTest;

namespace {

const LinkSender editor{QStringLiteral("org.example.Editor.desktop"), QStringLiteral("<b>Ed</b>")};

class NoNotices : public LinkNotices {
public:
    void postNotice(const QString &title, const QString &) override { titles.append(title); }
    QStringList titles;
};

QAbstractButton *buttonCalled(QMessageBox *alert, const QString &text)
{
    for (QAbstractButton *button : alert->buttons()) {
        if (button->text() == text)
            return button;
    }
    return nullptr;
}

} // namespace

// The approval alert as the user meets it: a real dialog in front of a real link, answered by
// its buttons.
class LinkApprovalAlertTest : public QObject {
    Q_OBJECT

private slots:
    void init() { openClientSettings()->clear(); }

    void answeringAllowRunsAndIsRemembered()
    {
        Session session;
        QVERIFY(session.connect());
        LinkApprovals approvals;
        NoNotices notices;
        LinkApprovalAlert alerts;
        LinkHandler handler(&session.runner, &approvals, &notices, &alerts);
        QSignalSpy shown(&alerts, &LinkApprovalAlert::shown);

        handler.handleLink(QUrl("quorvel://run/lamp"), editor);
        QTRY_COMPARE(shown.size(), 1);
        auto *alert = shown.at(0).at(0).value<QMessageBox *>();
        QVERIFY(alert->isVisible());
        QCOMPARE(alert->text(), QStringLiteral("Let <b>Ed</b> run your actions?"));
        for (QLabel *label : alert->findChildren<QLabel *>())
            QCOMPARE(label->textFormat(), Qt::PlainText);
        QVERIFY(buttonCalled(alert, "Don't Allow"));
        buttonCalled(alert, "Allow")->click();

        QTRY_COMPARE(session.triggerCount(), 1);
        QCOMPARE(approvals.decision(editor.appID), std::optional<bool>(true));
        handler.handleLink(QUrl("quorvel://run/lamp"), editor);
        QTRY_COMPARE(session.triggerCount(), 2);
        QCOMPARE(shown.size(), 1);
        QVERIFY(notices.titles.isEmpty());
    }

    void answeringDontRunRunsNothing()
    {
        Session session;
        QVERIFY(session.connect());
        LinkApprovals approvals;
        NoNotices notices;
        LinkApprovalAlert alerts;
        LinkHandler handler(&session.runner, &approvals, &notices, &alerts);
        QSignalSpy shown(&alerts, &LinkApprovalAlert::shown);

        handler.handleLink(QUrl("quorvel://off/fan"), std::nullopt);
        QTRY_COMPARE(shown.size(), 1);
        auto *alert = shown.at(0).at(0).value<QMessageBox *>();
        QSignalSpy closed(alert, &QObject::destroyed);
        buttonCalled(alert, "Don't Run")->click();
        QVERIFY(closed.wait());
        QCOMPARE(session.triggerCount(), 0);
        QVERIFY(approvals.entries().isEmpty());
    }

    // The alert is a window of its own: answered after its handler went, it changes nothing.
    void anAnswerAfterTheHandlerWentIsDropped()
    {
        Session session;
        QVERIFY(session.connect());
        LinkApprovals approvals;
        NoNotices notices;
        LinkApprovalAlert alerts;
        auto handler =
            std::make_unique<LinkHandler>(&session.runner, &approvals, &notices, &alerts);
        QSignalSpy shown(&alerts, &LinkApprovalAlert::shown);

        handler->handleLink(QUrl("quorvel://run/lamp"), editor);
        QTRY_COMPARE(shown.size(), 1);
        auto *alert = shown.at(0).at(0).value<QMessageBox *>();
        QSignalSpy closed(alert, &QObject::destroyed);
        handler.reset();
        buttonCalled(alert, "Allow")->click();
        QVERIFY(closed.wait());
        QCOMPARE(session.triggerCount(), 0);
        QVERIFY(approvals.entries().isEmpty());
    }
};

QTEST_MAIN(LinkApprovalAlertTest)
#include "LinkApprovalAlertTest.moc"
