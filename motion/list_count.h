// Reading the count of a list in a ".gis" or ".gnc" file without trusting it.
#pragma once

#include <cstdint>

class GxContentReaderBase;

// The list begin under `name` and its count. A failed list begin gives 0. A count larger than the
// bytes left after it is damage (no list of these files comes near one element per byte): one
// error is counted and the list reads as empty, so a damaged count never makes a loader allocate.
std::uint32_t ReadListCount(GxContentReaderBase& reader, const char* name);

// Room worth reserving for `count` elements of at least `minimumBytes` stored bytes each.
std::uint32_t ReservableCount(const GxContentReaderBase& reader, std::uint32_t count, std::uint32_t minimumBytes);
