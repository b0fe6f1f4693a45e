# The Windows Media reader sits on FFmpeg's ASF demuxer, through the movie filters' FFmpeg handles.
target_link_libraries(tw_platform_wmf PUBLIC tw_platform_dshow)
