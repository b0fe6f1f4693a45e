// Writes the compressed content form from a binary one: a 28-byte header (the name in 16
// bytes, then little-endian version, body size and a reserved word) and a zlib stream of the
// binary form's values without its 20-byte header. The engine only reads this form.
#pragma once

#include <cstdint>
#include <string>

// `binaryFile` is a whole binary-form record; `name` the compressed header's name ("ZMOA").
// `announcedSize` replaces the body size field when not 0. Empty when the input is too short.
std::string CompressBinaryContent(const std::string& binaryFile, const std::string& name, std::uint32_t announcedSize = 0);

// The compressed form of a body given directly (the values without any header).
std::string CompressedContentRecord(const std::string& name, std::uint32_t version, const std::string& body,
                                    std::uint32_t announcedSize = 0);
