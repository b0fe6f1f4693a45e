// Saved-state round trips of one task for the widget tests: the state written in one content
// form under a header of its own, and read back into another task. No GoogleTest.
#pragma once

#include "tests/support/content_bytes.h"

#include <string>

class GxTaskBase;

// The header and the task's WriteState; `written` receives WriteState's result.
std::string SaveTaskState(GxTaskBase& task, TestContentForm form, bool* written = nullptr);
// False when the header does not read; else ReadState's result. The reader's error count, when
// asked for, after the read.
bool LoadTaskState(GxTaskBase& task, TestContentForm form, const std::string& bytes, int* errors = nullptr);
