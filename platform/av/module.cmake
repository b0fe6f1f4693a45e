# FFmpeg's headers only: the libraries are opened at their first use (dlopen), so that they stay
# out of the engine's start-up. The modules that call FFmpeg link this one and get the headers.
pkg_check_modules(TW_FFMPEG REQUIRED libavformat libavcodec libavutil libswscale libswresample)
target_include_directories(tw_platform_av SYSTEM PUBLIC ${TW_FFMPEG_INCLUDE_DIRS})
target_compile_options(tw_platform_av PUBLIC ${TW_FFMPEG_CFLAGS_OTHER})
target_link_libraries(tw_platform_av PUBLIC tw_platform_win32 ${CMAKE_DL_LIBS})
