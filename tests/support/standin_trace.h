// A record of the calls that reach the tests' stand-ins (recording services, probe modules,
// stand-in screens), so that tests can check when and in which order the engine calls them. Off
// by default, so that a long run records nothing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace GxStandinTrace {

void SetEnabled(bool enabled);
bool IsEnabled();
// Appends one event while recording is on. Any thread.
void Record(std::u16string_view event);
std::vector<std::u16string> GetEvents();
void Clear();

}  // namespace GxStandinTrace
