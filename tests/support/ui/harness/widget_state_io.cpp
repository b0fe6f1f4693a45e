#include "tests/support/ui/harness/widget_state_io.h"

#include "core/task_base.h"
#include "foundation/bin_buffer.h"
#include "foundation/content_binary.h"
#include "foundation/content_text.h"

#include <cstring>
#include <memory>

namespace {

constexpr const char* kHeader = "WGT";

}  // namespace

std::string SaveTaskState(GxTaskBase& task, TestContentForm form, bool* written)
{
    bool result = false;
    std::string bytes = WriteContentBytes(form, [&](GxContentWriterBase& writer) {
        writer.WriteHeader(kHeader, 1);
        result = task.WriteState(writer);
    });
    if (written)
        *written = result;
    return bytes;
}

bool LoadTaskState(GxTaskBase& task, TestContentForm form, const std::string& bytes, int* errors)
{
    GxBinBuffer buffer;
    if (!bytes.empty())
        std::memcpy(buffer.Allocate(static_cast<std::uint32_t>(bytes.size())), bytes.data(), bytes.size());
    std::unique_ptr<GxContentReaderBase> reader;
    if (form == TestContentForm::kText)
        reader = std::make_unique<GxContentTextReader>(buffer, false);
    else
        reader = std::make_unique<GxContentBinaryReader>(buffer, false);
    std::uint32_t version = 0;
    if (!reader->ReadHeader(kHeader, &version))
        return false;
    const bool result = task.ReadState(*reader);
    if (errors)
        *errors = reader->GetErrorCount();
    return result;
}
