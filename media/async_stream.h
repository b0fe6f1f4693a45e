// CAsyncStream: the byte stream the asynchronous reader serves its requests from. The movie
// source stream implements it over the engine's file access; tests put their own behind it.
#pragma once

#include "platform/dshow/dshow.h"

class CAsyncStream {
public:
    virtual ~CAsyncStream() = default;

    // S_OK when the next read starts at `position`; S_FALSE when it cannot.
    virtual HRESULT SetPointer(LONGLONG position) = 0;
    // Reads at most `count` bytes at the position; S_FALSE when the read fails.
    virtual HRESULT Read(BYTE* buffer, DWORD count, BOOL aligned, DWORD* bytesRead) = 0;
    // The stream's size; `available` (may be null) the bytes readable now.
    virtual LONGLONG Size(LONGLONG* available = nullptr) = 0;
    // Positions, lengths and buffers of aligned requests are multiples of this.
    virtual DWORD Alignment() = 0;
    // Held across each seek and read pair so that readers on other threads do not interleave.
    virtual void Lock() = 0;
    virtual void Unlock() = 0;
};
