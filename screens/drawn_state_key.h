// GxDrawnStateKey: what a screen draws on its own (plates, thumbnails, numbers, faces), folded
// into one 64-bit key (FNV-1a). The screen compares the key of each pass with the last one and
// moves the scene generation when it changed, so no change of its own drawing is left out of the
// next frame however it came about.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

class GxDrawnStateKey {
public:
    GxDrawnStateKey& Add(std::uint64_t value)
    {
        for (int i = 0; i < 8; ++i)
            Byte(static_cast<std::uint8_t>(value >> (8 * i)));
        return *this;
    }
    GxDrawnStateKey& Add(std::int32_t value) { return Add(static_cast<std::uint64_t>(static_cast<std::uint32_t>(value))); }
    GxDrawnStateKey& Add(bool value) { return Add(static_cast<std::uint64_t>(value ? 1 : 0)); }
    GxDrawnStateKey& Add(float value)
    {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        return Add(static_cast<std::uint64_t>(bits));
    }
    GxDrawnStateKey& Add(const void* pointer) { return Add(static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(pointer))); }
    GxDrawnStateKey& Add(std::u16string_view text)
    {
        Add(static_cast<std::uint64_t>(text.size()));
        for (const char16_t unit : text) {
            Byte(static_cast<std::uint8_t>(unit));
            Byte(static_cast<std::uint8_t>(unit >> 8));
        }
        return *this;
    }
    std::uint64_t Get() const { return m_Hash; }

private:
    void Byte(std::uint8_t byte)
    {
        m_Hash ^= byte;
        m_Hash *= 0x100000001B3ull;
    }

    std::uint64_t m_Hash = 0xCBF29CE484222325ull;
};
