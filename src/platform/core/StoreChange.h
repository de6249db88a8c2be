// Compare-before-store for property setters: a setter announces, repaints or
// reloads only when its value really changed.
#pragma once

#include <utility>

// Stores the new value; false when the field held it already, so nothing is
// to be announced.
template <typename T, typename U> bool StoreChange(T& field, U&& value)
{
    if (field == value)
        return false;
    field = std::forward<U>(value);
    return true;
}
