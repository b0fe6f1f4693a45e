#include "tests/support/pack_builder.h"

#include "platform/win32/codepage.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr BYTE kKey[23] = {0x5a, 0x1c, 0x93, 0xe0, 0x7b, 0x2d, 0x48, 0xf6, 0xa1, 0x0e, 0x7c, 0x39,
                           0x55, 0xd2, 0x8b, 0x6f, 0x04, 0xe9, 0x1a, 0xc7, 0x3b, 0x2e, 0x68};

std::string ToCodePage932(const std::u16string& name)
{
    if (name.empty())
        return {};
    const int units = static_cast<int>(name.size());
    const int bytes = WideCharToMultiByte(932, 0, name.data(), units, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0)
        WideCharToMultiByte(932, 0, name.data(), units, result.data(), bytes, nullptr, nullptr);
    return result;
}

}  // namespace

void PutU32(std::vector<BYTE>& bytes, std::size_t offset, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes.at(offset + i) = static_cast<BYTE>(value >> (8 * i));
}

void PutU64(std::vector<BYTE>& bytes, std::size_t offset, std::uint64_t value)
{
    for (int i = 0; i < 8; ++i)
        bytes.at(offset + i) = static_cast<BYTE>(value >> (8 * i));
}

bool WriteBytesToFile(const std::string& path, const std::vector<BYTE>& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

void TestPackBuilder::Scramble(BYTE* bytes, std::size_t length, std::uint32_t position)
{
    for (std::size_t i = 0; i < length; ++i) {
        const std::uint32_t p = position + static_cast<std::uint32_t>(i);
        bytes[i] ^= static_cast<BYTE>((p & 0xFF) ^ kKey[p % 23]);
    }
}

TestPackBuilder& TestPackBuilder::SetScrambled(bool scrambled)
{
    m_Scrambled = scrambled;
    return *this;
}

TestPackBuilder& TestPackBuilder::SetWideNames(bool wideNames)
{
    m_WideNames = wideNames;
    return *this;
}

TestPackBuilder& TestPackBuilder::Add(std::u16string name, std::vector<BYTE> data, std::uint64_t fileTime)
{
    m_Entries.push_back({std::move(name), std::move(data), fileTime});
    return *this;
}

TestPackBuilder& TestPackBuilder::Add(std::u16string name, std::string_view text, std::uint64_t fileTime)
{
    return Add(std::move(name), std::vector<BYTE>(text.begin(), text.end()), fileTime);
}

TestPackBuilder::Image TestPackBuilder::BuildUnscrambled() const
{
    std::vector<std::vector<BYTE>> records;
    std::size_t indexSize = 0;
    for (const Entry& entry : m_Entries) {
        std::vector<BYTE> name;
        if (m_WideNames) {
            for (char16_t unit : entry.name) {
                name.push_back(static_cast<BYTE>(unit & 0xFF));
                name.push_back(static_cast<BYTE>(unit >> 8));
            }
            name.insert(name.end(), {0, 0});
        } else {
            const std::string narrow = ToCodePage932(entry.name);
            name.assign(narrow.begin(), narrow.end());
            name.push_back(0);
        }
        std::vector<BYTE> record(32 + name.size());
        std::memcpy(record.data() + 32, name.data(), name.size());
        records.push_back(std::move(record));
        indexSize += records.back().size();
    }

    Image image;
    image.dataStart = 48 + indexSize;
    image.bytes.assign(48, 0);
    std::memcpy(image.bytes.data(), "TWPACK-TEST", 11);   // not read by the engine
    PutU32(image.bytes, 12, m_WideNames ? 1 : 0);
    PutU32(image.bytes, 20, m_Scrambled ? 1 : 0);
    PutU32(image.bytes, 24, static_cast<std::uint32_t>(m_Entries.size()));
    PutU32(image.bytes, 28, static_cast<std::uint32_t>(indexSize));
    PutU64(image.bytes, 40, image.dataStart);

    std::uint64_t dataOffset = 0;
    for (std::size_t i = 0; i < m_Entries.size(); ++i) {
        std::vector<BYTE>& record = records[i];
        PutU32(record, 0, static_cast<std::uint32_t>(record.size()));
        PutU32(record, 4, static_cast<std::uint32_t>(m_Entries[i].data.size()));
        PutU64(record, 8, 0x5555555555555555ull);   // not read by the engine
        PutU64(record, 16, m_Entries[i].fileTime);
        PutU64(record, 24, dataOffset);
        image.entryOffsets.push_back(image.bytes.size());
        image.bytes.insert(image.bytes.end(), record.begin(), record.end());
        dataOffset += m_Entries[i].data.size();
    }
    for (const Entry& entry : m_Entries) {
        image.dataOffsets.push_back(image.bytes.size());
        image.bytes.insert(image.bytes.end(), entry.data.begin(), entry.data.end());
    }
    return image;
}

void TestPackBuilder::ScrambleImage(Image& image) const
{
    for (std::size_t i = 0; i < image.entryOffsets.size(); ++i) {
        const std::size_t start = image.entryOffsets[i];
        const std::size_t end = i + 1 < image.entryOffsets.size() ? image.entryOffsets[i + 1] : image.dataStart;
        Scramble(image.bytes.data() + start, end - start, 0);
        Scramble(image.bytes.data() + image.dataOffsets[i], m_Entries[i].data.size(), 0);
    }
}

TestPackBuilder::Image TestPackBuilder::Build() const
{
    Image image = BuildUnscrambled();
    if (m_Scrambled)
        ScrambleImage(image);
    return image;
}

bool TestPackBuilder::Write(const std::string& path) const
{
    return WriteBytesToFile(path, Build().bytes);
}
