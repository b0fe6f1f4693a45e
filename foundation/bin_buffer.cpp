#include "foundation/bin_buffer.h"

#include <new>

GxBinBuffer::GxBinBuffer(std::uint32_t size)
{
    Allocate(size);
}

std::unique_ptr<GxBinBuffer> GxBinBuffer::CreateSized(std::uint32_t size)
{
    return std::make_unique<GxBinBuffer>(size);
}

GxBinBuffer::~GxBinBuffer()
{
    Free();
}

BYTE* GxBinBuffer::Allocate(std::uint32_t size)
{
    Free();
    // Sizes come from files, so a failed allocation is a bad input, not a crash.
    m_Data = new (std::nothrow) BYTE[size]();
    if (m_Data == nullptr)
        return nullptr;
    m_Size = size;
    m_RefCount = 1;
    return m_Data;
}

BYTE* GxBinBuffer::AllocateForOverwrite(std::uint32_t size)
{
    Free();
    m_Data = new (std::nothrow) BYTE[size];
    if (m_Data == nullptr)
        return nullptr;
    m_Size = size;
    m_RefCount = 1;
    return m_Data;
}

void GxBinBuffer::Free()
{
    delete[] m_Data;
    m_Data = nullptr;
    m_Size = 0;
    m_RefCount = 0;
}

void GxBinBuffer::AddRef()
{
    ++m_RefCount;
}

void GxBinBuffer::Release()
{
    if (m_RefCount == 0)
        return;
    if (--m_RefCount == 0)
        Free();
}
