# libswresample converts sound rates; it is opened through platform/av at the first conversion.
target_link_libraries(tw_platform_audio PUBLIC tw_platform_win32 tw_platform_av PkgConfig::SDL2)
