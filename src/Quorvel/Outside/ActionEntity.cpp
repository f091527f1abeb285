#include "Quorvel/Outside/ActionEntity.h"

namespace Quorvel {

ActionEntity ActionEntity::from(const Control &control)
{
    ActionEntity entity;
    entity.id = control.id;
    entity.title = control.title.isEmpty() ? control.id : control.title;
    switch (control.type) {
    case ControlType::button:
        entity.kind = QStringLiteral("Button");
        break;
    case ControlType::toggle:
        entity.kind = QStringLiteral("Switch");
        break;
    case ControlType::metric:
        entity.kind = QStringLiteral("Readout");
        break;
    }
    entity.icon = control.icon.value_or(QString());
    return entity;
}

QList<ActionEntity> ActionEntity::list(const std::optional<Deck> &deck)
{
    QList<ActionEntity> entities;
    if (!deck)
        return entities;
    for (const Control &control : deck->controls)
        entities.append(from(control));
    return entities;
}

QList<ActionEntity> ActionEntity::withIDs(const std::optional<Deck> &deck, const QStringList &ids)
{
    QList<ActionEntity> entities;
    for (const ActionEntity &entity : list(deck)) {
        if (ids.contains(entity.id))
            entities.append(entity);
    }
    return entities;
}

QList<ActionEntity> ActionEntity::matching(const std::optional<Deck> &deck, const QString &text)
{
    QList<ActionEntity> entities;
    for (const ActionEntity &entity : list(deck)) {
        if (entity.title.contains(text, Qt::CaseInsensitive))
            entities.append(entity);
    }
    return entities;
}

QDBusArgument &operator<<(QDBusArgument &argument, const ActionEntity &entity)
{
    argument.beginStructure();
    argument << entity.id << entity.title << entity.kind << entity.icon;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, ActionEntity &entity)
{
    argument.beginStructure();
    argument >> entity.id >> entity.title >> entity.kind >> entity.icon;
    argument.endStructure();
    return argument;
}

} // namespace Quorvel
