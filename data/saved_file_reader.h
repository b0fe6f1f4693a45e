// The reader of a saved file's bytes ("permanent.dat", game data): a first byte "T" picks the
// text form and its header name, any other byte the binary form and its header name. The
// version is read and not compared. The reader is quiet: its caller writes one line per file.
#pragma once

#include <memory>

class GxBinBuffer;
class GxContentReaderBase;

// Null when the stored header name is not the one of the form picked.
std::unique_ptr<GxContentReaderBase> OpenSavedFileReader(const GxBinBuffer& bytes, const char* textHeader,
                                                         const char* binaryHeader);

// Counts the reader's errors from here on: Failed() tells whether a read since went wrong, also
// a string read, which has no result of its own.
class GxReadFailureWatch {
public:
    explicit GxReadFailureWatch(const GxContentReaderBase& reader);
    bool Failed() const;

private:
    const GxContentReaderBase& m_Reader;
    int m_Errors;
};
