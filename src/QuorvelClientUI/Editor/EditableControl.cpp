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

} // namespace Quorvel
