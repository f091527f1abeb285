#include "Quorvel/Outside/ActionListFile.h"

#include "Platform/Files/PrivateFile.h"
#include "Quorvel/Outside/OutsideLogging.h"
#include "QuorvelClientUI/ActionLink.h"
#include "QuorvelClientUI/ClientModel.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QStandardPaths>

namespace Quorvel {

namespace {

QString linkText(const QString &id, ActionLink::Verb verb)
{
    return ActionLink{verb, id}.url().toString(QUrl::FullyEncoded);
}

} // namespace

QString ActionListFile::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Quorvel/remote-actions.json");
}

ActionListFile::ActionListFile(ClientModel *model, QString path,
                               std::chrono::milliseconds quietTime, PendingWrite::Timings retry,
                               QObject *parent)
    : QObject(parent), m_model(model), m_path(std::move(path)),
      m_file(PendingWrite::Folder::make, retry)
{
    m_quietTimer.setSingleShot(true);
    m_quietTimer.setInterval(quietTime);
    connect(&m_quietTimer, &QTimer::timeout, this, [this] { write(); });
    connect(&m_file, &PendingWrite::retried, this, [this](int failure) {
        if (failure == 0) {
            m_lastError = 0;
            ++m_writeCount;
        }
    });
}

void ActionListFile::startObserving()
{
    for (auto signal :
         {&ClientModel::deckChanged, &ClientModel::statesChanged, &ClientModel::statusChanged,
          &ClientModel::hostInfoChanged, &ClientModel::rememberedHostNameChanged})
        connect(m_model, signal, this, &ActionListFile::scheduleWrite);
    scheduleWrite();
}

void ActionListFile::scheduleWrite()
{
    m_quietTimer.start();
}

bool ActionListFile::write()
{
    m_quietTimer.stop();
    if (!m_model)
        return false;
    return writeDocument(m_model->isConnected() && m_model->deck().has_value());
}

bool ActionListFile::writeFinal()
{
    m_quietTimer.stop();
    return writeDocument(false);
}

bool ActionListFile::writeDocument(bool connected)
{
    if (!m_model)
        return false;
    QJsonArray actions;
    if (const std::optional<Deck> deck = m_model->visibleDeck()) {
        for (const Control &control : deck->controls) {
            const std::optional<ControlState> state =
                connected ? m_model->state(control) : std::nullopt;
            actions.append(entry(control, state));
        }
    }
    QJsonObject list;
    if (m_model->hostInfo())
        list.insert(QStringLiteral("host"), m_model->hostInfo()->hostName);
    else if (m_model->rememberedHostName())
        list.insert(QStringLiteral("host"), *m_model->rememberedHostName());
    list.insert(QStringLiteral("connected"), connected);
    list.insert(QStringLiteral("updated"), QDateTime::currentDateTimeUtc().toString(Qt::ISODate));
    list.insert(QStringLiteral("actions"), actions);

    // Qt's writer keeps keys sorted and writes "/" as it is.
    if (const int failure =
            m_file.write(m_path, QJsonDocument(list).toJson(QJsonDocument::Indented))) {
        // Said once per reason: the list is written again at every change of the deck.
        if (m_lastError != failure)
            qCWarning(lcOutside).noquote()
                << "Could not write" << m_path << ":" << PrivateFile::errorText(failure);
        m_lastError = failure;
        return false;
    }
    m_lastError = 0;
    ++m_writeCount;
    return true;
}

QJsonObject ActionListFile::entry(const Control &control, const std::optional<ControlState> &state)
{
    QJsonObject object;
    object.insert(QStringLiteral("id"), control.id);
    object.insert(QStringLiteral("title"), control.title);
    if (control.icon)
        object.insert(QStringLiteral("icon"), *control.icon);
    if (state && state->detail)
        object.insert(QStringLiteral("value"), *state->detail);
    QJsonObject links;
    switch (control.type) {
    case ControlType::button:
        object.insert(QStringLiteral("kind"), QStringLiteral("button"));
        links.insert(QStringLiteral("run"), linkText(control.id, ActionLink::Verb::run));
        break;
    case ControlType::toggle:
        object.insert(QStringLiteral("kind"), QStringLiteral("switch"));
        if (state && state->isOn)
            object.insert(QStringLiteral("on"), *state->isOn);
        links.insert(QStringLiteral("on"), linkText(control.id, ActionLink::Verb::on));
        links.insert(QStringLiteral("off"), linkText(control.id, ActionLink::Verb::off));
        links.insert(QStringLiteral("flip"), linkText(control.id, ActionLink::Verb::run));
        break;
    case ControlType::metric:
        object.insert(QStringLiteral("kind"), QStringLiteral("readout"));
        break;
    }
    object.insert(QStringLiteral("links"), links);
    return object;
}

} // namespace Quorvel
