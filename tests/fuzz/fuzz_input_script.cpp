// Fuzz target: the unattended run's input script, read as TARNWICK_INPUT_SCRIPT gives it.
#include "core/unattended_run.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    GxUnattendedRun run;
    std::string error;
    const bool ok = run.ParseInputScript(std::string_view(reinterpret_cast<const char*>(data), size), &error);
    // A refusal names its line; an accepted script is in pass order.
    if (!ok && error.rfind("line ", 0) != 0) __builtin_trap();
    const auto& script = run.GetInputScript();
    for (std::size_t i = 1; i < script.size(); ++i)
        if (script[i - 1].m_Pass > script[i].m_Pass) __builtin_trap();
    return 0;
}
