#include "data/saved_file_reader.h"

#include "foundation/bin_buffer.h"
#include "foundation/content_binary.h"
#include "foundation/content_text.h"

std::unique_ptr<GxContentReaderBase> OpenSavedFileReader(const GxBinBuffer& bytes, const char* textHeader,
                                                         const char* binaryHeader)
{
    std::unique_ptr<GxContentReaderBase> reader;
    const char* header = binaryHeader;
    if (bytes.GetFirstByte() == 'T') {
        reader = std::make_unique<GxContentTextReader>(bytes, false);
        header = textHeader;
    } else {
        reader = std::make_unique<GxContentBinaryReader>(bytes, false);
    }
    std::uint32_t version = 0;
    if (!reader->ReadHeader(header, &version))
        return nullptr;
    return reader;
}

GxReadFailureWatch::GxReadFailureWatch(const GxContentReaderBase& reader)
    : m_Reader(reader), m_Errors(reader.GetErrorCount())
{
}

bool GxReadFailureWatch::Failed() const
{
    return m_Reader.GetErrorCount() != m_Errors;
}
