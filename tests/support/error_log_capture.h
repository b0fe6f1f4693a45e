// Keeps every error line logged while it is registered, as UTF-8.
#pragma once

#include "foundation/log.h"
#include "foundation/wide_string.h"

#include <cstdint>
#include <string>
#include <vector>

class TestErrorLogCapture : public GxDebugListenerBase {
public:
    TestErrorLogCapture() { LogSetSink(this); }
    ~TestErrorLogCapture() override { LogSetSink(nullptr); }
    int Output(const char16_t* text, std::int32_t level) override
    {
        if (level == kLevelError)
            m_Lines.push_back(WideToUtf8(text));
        return 0;
    }
    const std::vector<std::string>& Lines() const { return m_Lines; }
    void Clear() { m_Lines.clear(); }

private:
    std::vector<std::string> m_Lines;
};
