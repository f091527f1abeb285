#include "QuorvelClientUI/Editor/EditableControl.h"

namespace Quorvel {

EditableControl EditableControl::loaded(const Control &control)
{
    return EditableControl{QUuid::createUuid(), control, control};
}

EditableControl EditableControl::added(const Control &control)
{
    return EditableControl{QUuid::createUuid(), control, std::nullopt};
}

bool EditableControl::isChanged() const
{
    return !original || !identical(control, *original);
}

bool EditableControl::identical(const Control &a, const Control &b)
{
    return a.toJson() == b.toJson();
}

} // namespace Quorvel
