// The real game configuration and player options plugged into a test's own core through the
// data services, as the engine's start-up does it: a test changes a field of m_System or m_User,
// then calls Refresh() for the values the core copies (GxCore::GetConfig). Declare it after the
// core, so that it is taken out before the core goes.
#pragma once

#include "core/core.h"
#include "data/data_services.h"
#include "data/system_config.h"
#include "data/user_config.h"

class TestCoreConfig {
public:
    explicit TestCoreConfig(GxCore& core) : m_Core(core), m_PreviousServices(GetDataServices())
    {
        InstallDataServices();
        m_Core.m_SystemConfig = &m_System;
        m_Core.m_UserConfig = &m_User;
        m_Core.RefreshConfig();
    }
    ~TestCoreConfig()
    {
        m_Core.m_SystemConfig = nullptr;
        m_Core.m_UserConfig = nullptr;
        m_Core.RefreshConfig();
        SetDataServices(m_PreviousServices);
    }
    TestCoreConfig(const TestCoreConfig&) = delete;
    TestCoreConfig& operator=(const TestCoreConfig&) = delete;

    void Refresh() { m_Core.RefreshConfig(); }

    GxSystemConfig m_System;
    GxUserConfig m_User;

private:
    GxCore& m_Core;
    GxDataServicesBase* m_PreviousServices;
};
