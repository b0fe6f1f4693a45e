// Builds small movies for tests in memory with libavformat and libavcodec, from frames and tones
// made here: raw BGR24 ".avi" (byte-exact), MPEG-1/MP2 program streams, MP2 audio alone,
// WMV2/WMA2 in ASF and raw video in QuickTime. Encoders run single-threaded, so a spec always
// gives the same bytes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

using MovieBytes = std::vector<std::uint8_t>;

enum class TestMovieContainer {
    Avi,   // raw BGR24 video, 16-bit PCM audio
    Mpg,   // MPEG-1 video, MP2 audio, MPEG program stream
    Mpa,   // MP2 audio only (video settings ignored)
    Asf,   // WMV2 video, WMA2 audio (".wmv" and ".asf" alike)
    Mov,   // raw BGR24 video, 16-bit PCM audio, QuickTime
};

enum class TestMoviePicture {
    Numbered,   // each frame one flat colour that tells its number (TestMovieFrameNumber)
    Solid,      // every frame the movie's solid colour
    Drawn,      // each frame painted by drawFrame (below)
};

struct TestMovieSpec {
    TestMovieContainer container = TestMovieContainer::Avi;
    int width = 64;
    int height = 48;
    int framesPerSecond = 10;     // MPEG-1: 24, 25, 30, 50, 60, or 5, 10, 12, 15 as widely read extensions
    int frames = 10;              // 0: no video stream
    TestMoviePicture picture = TestMoviePicture::Numbered;
    std::uint32_t solidColour = 0x563412;   // 0xRRGGBB
    int audioStreams = 0;         // 0, 1 or 2
    int sampleRate = 22050;
    int channels = 1;
    double toneHertz = 440.0;
    // A beep instead of a steady tone: the tone sounds only under frames beepFrom to
    // beepFrom + beepFrames - 1 (by the frame rate), silence elsewhere; 0 frames: steady tone.
    int beepFrom = 0;
    int beepFrames = 0;
    // ASF only: false writes the header as a live stream would, with no play duration.
    bool playDuration = true;
    // Compressed video: the target bit rate and the distance between key frames.
    int videoBitRate = 400000;
    int gopSize = 5;
    // When set, the ceiling of the video rate (and a decoder buffer of that many bits): large
    // key frames then stay within the rate the MPEG muxer paces the stream by.
    int videoMaxRate = 0;
    // Drawn pictures: fills frame `index` as width x height pixels 0xAARRGGBB, rows top to bottom
    // (alpha ignored); the vector comes sized, holding the frame before (zeros at first).
    std::function<void(int index, std::vector<std::uint32_t>& argb)> drawFrame;
    // When set, the sound in place of the tone: the sample at `seconds` in [-1, 1], on every channel.
    std::function<double(double seconds)> sound;
};

// The file's bytes; empty (with one stderr line) when an encoder or muxer refuses the settings.
MovieBytes BuildTestMovie(const TestMovieSpec& spec);
// The usual file name extension of the container (".avi", ".mpg", ".mpa", ".wmv", ".mov").
std::string TestMovieExtension(TestMovieContainer container);

// The colour of frame `index` (0xRRGGBB) as the builder draws it.
std::uint32_t TestMovieFrameColour(const TestMovieSpec& spec, int index);
// The frame number a numbered frame's colour tells, read with room for a lossy codec's error
// (a few levels per channel); -1 when the colour is no frame's.
int TestMovieFrameNumber(std::uint8_t blue, std::uint8_t green, std::uint8_t red);
