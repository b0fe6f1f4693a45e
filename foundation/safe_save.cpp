#include "foundation/safe_save.h"

#include "foundation/log.h"
#include "platform/crt/wide_stdio.h"
#include "platform/win32/file.h"

bool SaveFileReplacing(const std::u16string& path, const std::function<bool(std::FILE*)>& write)
{
    const std::u16string temporary = path + u".tmp";
    std::FILE* stream = _wfopen(temporary.c_str(), u"wb");
    if (stream == nullptr) {
        LogPrint(u"SaveFile: cannot create the file [%s]\n", path.c_str());
        return false;
    }
    bool written = write(stream);
    written = std::fflush(stream) == 0 && written;
    written = std::ferror(stream) == 0 && written;
    written = _commit(_fileno(stream)) == 0 && written;
    written = fclose_w(stream) == 0 && written;
    if (written && MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileW(temporary.c_str());
    LogPrint(u"SaveFile: writing failed, the earlier file is kept [%s]\n", path.c_str());
    return false;
}
