// Fuzz bodies of the three content readers: each reads one record from arbitrary bytes, the
// matching read for most values and a mismatched one now and then. Run by the corpus replay
// test here, and by libFuzzer through content_fuzz_entry.cpp.
#pragma once

#include <cstddef>
#include <cstdint>

int FuzzContentTextReader(const std::uint8_t* data, std::size_t size);
int FuzzContentBinaryReader(const std::uint8_t* data, std::size_t size);
int FuzzContentCompressedReader(const std::uint8_t* data, std::size_t size);
