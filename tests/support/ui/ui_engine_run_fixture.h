// Whole engine runs with the data and widget subsystems installed, as the ui engine-run tests
// need them; the widget services are taken out of the core again at the end. Header-only, for
// test programs (GoogleTest).
#pragma once

#include "tests/support/engine_run_fixture.h"

#include "ui/ui_services.h"

namespace engine_test {

class UIEngineRunTest : public EngineRunTest {
protected:
    void SetUp() override
    {
        EngineRunTest::SetUp();
        UseDataServices();
        InstallUIServices();
    }
    void TearDown() override
    {
        GxCore::GetInstance()->m_WidgetServices = nullptr;
        EngineRunTest::TearDown();
    }
};

}  // namespace engine_test
