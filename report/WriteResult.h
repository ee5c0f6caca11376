// What the writers of the Save command return.
#pragma once

namespace orelith {

// Failed means its message (5, 7, 8, 9, 10, 11 or 18) has been shown.
enum WriteResult : int { kWriteOk = 0, kWriteFailed = 1 };

}  // namespace orelith
