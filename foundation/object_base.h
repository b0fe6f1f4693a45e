// Small bases shared by engine objects: non-copyable objects and reference counts whose
// release never deletes.
#pragma once

#include <cstdint>

class GxObjectNotCopyable {
public:
    GxObjectNotCopyable() = default;
    virtual ~GxObjectNotCopyable() = default;

    GxObjectNotCopyable(const GxObjectNotCopyable&) = delete;
    GxObjectNotCopyable& operator=(const GxObjectNotCopyable&) = delete;
};

// Shared objects handed out by factories: the count only tracks users, the factory deletes.
// The count starts at 1. Used on the window thread only, so it takes no lock.
class GxObjectRefCountNotAutoDelete {
public:
    GxObjectRefCountNotAutoDelete() = default;
    virtual ~GxObjectRefCountNotAutoDelete();

    GxObjectRefCountNotAutoDelete(const GxObjectRefCountNotAutoDelete&) = delete;
    GxObjectRefCountNotAutoDelete& operator=(const GxObjectRefCountNotAutoDelete&) = delete;

    virtual std::uint32_t AddRef();
    virtual std::uint32_t GetRefCount() const;
    // Count - 1 while above 0; never deletes the object.
    virtual std::uint32_t Release();
    virtual void ReleaseAll();

protected:
    std::uint32_t m_RefCount = 1;
};
