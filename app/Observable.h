#pragma once

#include <type_traits>
#include <utility>

namespace brisklet {

// Stores `value` in `field` and emits `changed` on `owner`, unless the value equals what is
// already there: the models' observers redraw only for real changes.
template <typename Owner, typename T>
void assignIfChanged(Owner* owner, T& field, std::type_identity_t<T> value, void (Owner::*changed)()) {
    if (field == value) return;
    field = std::move(value);
    (owner->*changed)();
}

} // namespace brisklet
