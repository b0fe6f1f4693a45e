// Keeps an environment variable and puts it back afterwards; the C library then reads TZ again,
// so a test that changed the time zone leaves none behind.
#pragma once

#include <time.h>

#include <cstdlib>
#include <optional>
#include <string>

class ScopedEnvironment {
public:
    explicit ScopedEnvironment(const char* name) : m_Name(name)
    {
        if (const char* value = std::getenv(name)) m_Saved = value;
    }
    ~ScopedEnvironment()
    {
        if (m_Saved)
            setenv(m_Name, m_Saved->c_str(), 1);
        else
            unsetenv(m_Name);
        tzset();
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

    // Null unsets the variable.
    void Set(const char* value) { value ? setenv(m_Name, value, 1) : unsetenv(m_Name); }
    void Set(const std::string& value) { setenv(m_Name, value.c_str(), 1); }
    void Unset() { unsetenv(m_Name); }

private:
    const char* m_Name;
    std::optional<std::string> m_Saved;
};
