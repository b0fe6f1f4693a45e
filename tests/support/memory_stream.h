// A FILE stream writing into memory, for the content writers under test.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

class TestMemoryStream {
public:
    TestMemoryStream() : m_File(open_memstream(&m_Data, &m_Size)) {}
    ~TestMemoryStream()
    {
        if (m_File != nullptr)
            std::fclose(m_File);
        std::free(m_Data);
    }
    TestMemoryStream(const TestMemoryStream&) = delete;
    TestMemoryStream& operator=(const TestMemoryStream&) = delete;

    std::FILE* File() { return m_File; }
    std::string Bytes()
    {
        std::fflush(m_File);
        return std::string(m_Data, m_Size);
    }

private:
    char* m_Data = nullptr;
    std::size_t m_Size = 0;
    std::FILE* m_File;
};
