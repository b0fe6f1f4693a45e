// GxBinBuffer: a zero-filled byte block with a reference count on the block (not on the
// object). Every file the engine reads is loaded into one.
#pragma once

#include "platform/win32/win_types.h"

#include <cstdint>
#include <memory>

class GxBinBuffer {
public:
    GxBinBuffer() = default;
    // The CreateSized constructor: allocates `size` zero bytes at once.
    explicit GxBinBuffer(std::uint32_t size);
    static std::unique_ptr<GxBinBuffer> CreateSized(std::uint32_t size);
    virtual ~GxBinBuffer();

    GxBinBuffer(const GxBinBuffer&) = delete;
    GxBinBuffer& operator=(const GxBinBuffer&) = delete;

    // Frees any data, then allocates `size` zero bytes with a count of 1. Returns the data,
    // or null (size 0, count 0) when the memory cannot be had.
    BYTE* Allocate(std::uint32_t size);
    // As Allocate, for a caller that fills every byte at once (a whole-file read): the bytes
    // start undefined.
    BYTE* AllocateForOverwrite(std::uint32_t size);
    void Free();
    void AddRef();
    // Count - 1; the data is freed when it reaches 0. Nothing happens at a count of 0.
    void Release();

    BYTE* GetData() { return m_Data; }
    const BYTE* GetData() const { return m_Data; }
    std::uint32_t GetSize() const { return m_Size; }
    std::uint32_t GetRefCount() const { return m_RefCount; }
    // The first byte, or 0 for an empty buffer; the content loaders pick their form by it.
    BYTE GetFirstByte() const { return (m_Data != nullptr && m_Size != 0) ? m_Data[0] : 0; }

private:
    BYTE* m_Data = nullptr;
    std::uint32_t m_Size = 0;
    std::uint32_t m_RefCount = 0;
};
