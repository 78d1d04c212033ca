#pragma once
// Holds a view's (or list's) update bracket open for a scope, closing it on every path.
#include "encoding/scope_exit.h"

template <typename Updatable>
[[nodiscard]] auto UpdateBracket(Updatable& target) {
    target.BeginUpdate();
    return ScopeExit([&target] { target.EndUpdate(); });
}
