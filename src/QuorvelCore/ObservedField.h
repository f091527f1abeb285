#pragma once

namespace Quorvel {

// The one rule for the observed fields of the owner objects: a value is stored, and the field's
// change signal emitted, only when it differs from the current one. Returns whether it did.
template<typename Owner, typename Value>
bool assignObserved(Owner *owner, Value &field, const Value &value, void (Owner::*changed)())
{
    if (field == value)
        return false;
    field = value;
    emit(owner->*changed)();
    return true;
}

// The same rule for one element of an observed set: the signal only when the set changed.
template<typename Owner, typename Set, typename Element>
bool insertObserved(Owner *owner, Set &field, const Element &element, void (Owner::*changed)())
{
    if (field.contains(element))
        return false;
    field.insert(element);
    emit(owner->*changed)();
    return true;
}

template<typename Owner, typename Set, typename Element>
bool removeObserved(Owner *owner, Set &field, const Element &element, void (Owner::*changed)())
{
    if (!field.remove(element))
        return false;
    emit(owner->*changed)();
    return true;
}

} // namespace Quorvel
