target_link_libraries(tw_platform_d3d9 PUBLIC tw_platform_win32 tw_platform_raster PkgConfig::SDL2)
target_link_libraries(tw_platform_d3d9 PUBLIC PNG::PNG JPEG::JPEG ZLIB::ZLIB)
