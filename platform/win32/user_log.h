// Log lines of the window and input layers: one line on stderr per failure, since the platform
// layer sits below the engine's own logs.
#pragma once

namespace platform {

void LogUserError(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace platform
