// The definition line and the small argument and configuration reads shared by the adventure
// builtins' handler files.
#pragma once

#include "avg/avg_builtin.h"
#include "core/core.h"
#include "data/system_config.h"
#include "script/variable.h"

#include <cstdint>
#include <string>

// The handlers share one signature; most read only some of its arguments.
#define TW_AVG_HANDLER(handler)                                                                         \
    bool AvgBuiltin::handler([[maybe_unused]] const std::u16string& name, [[maybe_unused]] std::int64_t index, \
                             [[maybe_unused]] GxMoaVariable& args, [[maybe_unused]] GxMoaWorker* worker,        \
                             [[maybe_unused]] GxMoaScriptEntity* entity,                                        \
                             [[maybe_unused]] GxMoaExecStack* execStack, [[maybe_unused]] GxMoaVariable& result)

// The low 32 bits of a 64-bit script value.
inline std::int32_t Low32(std::int64_t value)
{
    return static_cast<std::int32_t>(static_cast<std::uint64_t>(value));
}

// An optional 32-bit argument, or its default.
inline std::int32_t IntOr(GxMoaVariable& args, std::int32_t index, std::int32_t fallback)
{
    return AvgBuiltin::IsGiven(args, index) ? AvgBuiltin::Arg(args, index).ToInt() : fallback;
}

// A wait's hide argument: given and not zero.
inline bool HideRequested(GxMoaVariable& args, std::int32_t index)
{
    return AvgBuiltin::IsGiven(args, index) && AvgBuiltin::Arg(args, index).ToInt64() != 0;
}

// A wait's cut-short bits: given ones always allow the wait's own end (bit value 1); without
// them every cause may cut it short.
inline std::int32_t WaitBits(GxMoaVariable& args, std::int32_t index)
{
    constexpr std::int32_t kAllWaitBits = 15;
    return AvgBuiltin::IsGiven(args, index) ? (Low32(AvgBuiltin::Arg(args, index).ToInt64()) | 1) : kAllWaitBits;
}

// A configured folder, or the configuration's own value for a core without a configuration object.
inline std::u16string ConfigFolder(const GxCore* core, GxSystemConfig::Folder folder, const char16_t* fallback)
{
    return core != nullptr && core->m_SystemConfig != nullptr ? core->m_SystemConfig->m_Folders[folder]
                                                              : std::u16string(fallback);
}
