#pragma once
// Work cut into parts that the calling thread and a helper thread do side by side.

#include <cstdint>
#include <functional>

// Runs `work` once for every part in [0, count), on the calling thread and, `withHelper`, a
// helper thread, each taking the next part in turn; `work` must not throw. The calling thread runs
// `between` once for each part done, with the number done so far (1, 2, ... count), as soon as it
// knows of it: after each part of its own, and for the helper's last ones when both are done. Once
// `between` returns true no part is begun any more. Returns when both threads are done: false
// when `between` stopped the run. When the system gives no thread, the calling thread does
// every part alone.
bool DoParts(std::int64_t count, bool withHelper,
             const std::function<void(std::int64_t part)>& work,
             const std::function<bool(std::int64_t done)>& between);
