#pragma once
// How far a writer has come, for a window that shows it while the file is written on
// another thread.

#include <functional>

namespace vellumo {

/// Told now and then how far a write has come, from 0 to 1, on the thread that writes. It
/// must be cheap and must not throw. An empty one is not called.
using WriteProgress = std::function<void(double done)>;

}  // namespace vellumo
