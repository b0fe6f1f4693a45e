target_link_libraries(tw_platform_dshow PUBLIC tw_platform_audio tw_platform_win32)
# The movie demux and decoder filters sit on FFmpeg, opened through platform/av when a movie is.
target_link_libraries(tw_platform_dshow PUBLIC tw_platform_av ${CMAKE_DL_LIBS})
