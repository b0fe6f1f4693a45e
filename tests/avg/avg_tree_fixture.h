// Shared pieces of the adventure module's task tests: the process's engine core with the real
// configuration, a task manager and root of the test's own, layer graphics whose flexible
// textures only remember the file they were told to load, and the error lines logged.
#pragma once

#include "core/core.h"
#include "core/layer_graphics.h"
#include "core/task_base.h"
#include "core/task_manage.h"
#include "graphics/texture_flex.h"
#include "tests/support/core_config_fixture.h"
#include "tests/support/error_log_capture.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace avg_test {

class RecordingFlex : public GxTextureFlex {
public:
    explicit RecordingFlex(std::vector<std::u16string>* loads) : m_Loads(loads) {}
    bool CreateFromFile(std::u16string_view name, D3DFORMAT, D3DCOLOR) override
    {
        m_Loads->push_back(std::u16string(name));
        return true;
    }

private:
    std::vector<std::u16string>* m_Loads;
};

class RecordingLayerGraphics : public GxLayerGraphicsBase {
public:
    GxTextureFlex* NewTextureFlex() override { return new RecordingFlex(&m_Loads); }
    std::vector<std::u16string> m_Loads;
};

// GxCore::GetInstance() is where the module's services look for the task manager: the fixture
// lends it its own manager for the test's lifetime. Tasks are built on the heap under m_Root and
// deleted by the manager.
class AvgTreeTest : public ::testing::Test {
protected:
    AvgTreeTest()
        : m_Core(*GxCore::GetInstance()), m_Config(m_Core), m_PreviousManage(m_Core.m_TaskManage),
          m_PreviousGraphics(SetLayerGraphics(&m_Graphics))
    {
        m_Manage = std::make_unique<GxTaskManage>(&m_Core);
        m_Core.m_TaskManage = m_Manage.get();
        m_Root = new GxTaskBase(m_Manage.get());
    }
    ~AvgTreeTest() override
    {
        m_Manage.reset();
        m_Core.m_TaskManage = m_PreviousManage;
        SetLayerGraphics(m_PreviousGraphics);
    }

    GxCore& m_Core;
    TestCoreConfig m_Config;
    TestErrorLogCapture m_Log;
    RecordingLayerGraphics m_Graphics;
    GxTaskManage* m_PreviousManage;
    GxLayerGraphicsBase* m_PreviousGraphics;
    std::unique_ptr<GxTaskManage> m_Manage;
    GxTaskBase* m_Root = nullptr;
};

}  // namespace avg_test
