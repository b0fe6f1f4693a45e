#include "motion/list_count.h"

#include "foundation/content.h"

#include <algorithm>

std::uint32_t ReadListCount(GxContentReaderBase& reader, const char* name)
{
    return reader.ReadBoundedListCount(name, "GxContentReader/ListCount Overrun Name=%s Count=%u\n");
}

std::uint32_t ReservableCount(const GxContentReaderBase& reader, std::uint32_t count, std::uint32_t minimumBytes)
{
    const std::uint64_t fits = reader.BytesLeft() / std::max<std::uint32_t>(minimumBytes, 1);
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(count, fits));
}
