target_link_libraries(tw_platform_win32 PUBLIC PkgConfig::SDL2)
