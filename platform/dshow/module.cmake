target_link_libraries(tw_platform_dshow PUBLIC tw_platform_audio tw_platform_win32)
# The movie demux and decoder filters sit on FFmpeg.
pkg_check_modules(TW_FFMPEG REQUIRED IMPORTED_TARGET libavformat libavcodec libavutil libswscale libswresample)
target_link_libraries(tw_platform_dshow PUBLIC PkgConfig::TW_FFMPEG)
