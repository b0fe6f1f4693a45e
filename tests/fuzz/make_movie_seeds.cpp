// Writes the seed corpus of the movie demux fuzz target with the movie builder:
//   make_movie_seeds <corpus folder>   (writes movie_source/ inside it)
// The movies are tiny, so that the seeds stay small and each run is quick.
#include "tests/support/movie_fixtures.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

bool Put(const std::filesystem::path& path, const MovieBytes& bytes)
{
    if (bytes.empty()) return false;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

TestMovieSpec Tiny(TestMovieContainer container, int audioStreams)
{
    TestMovieSpec spec;
    spec.container = container;
    spec.width = 16;
    spec.height = 16;
    spec.frames = 4;
    spec.audioStreams = audioStreams;
    spec.sampleRate = 8000;
    return spec;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_movie_seeds <corpus folder>\n");
        return 2;
    }
    const std::filesystem::path folder = std::filesystem::path(argv[1]) / "movie_source";
    TestMovieSpec mpa = Tiny(TestMovieContainer::Mpa, 1);
    mpa.sampleRate = 16000;
    TestMovieSpec mpg = Tiny(TestMovieContainer::Mpg, 1);
    mpg.sampleRate = 16000;
    const MovieBytes avi = BuildTestMovie(Tiny(TestMovieContainer::Avi, 1));
    const MovieBytes cut(avi.begin(), avi.begin() + static_cast<std::ptrdiff_t>(avi.size() * 6 / 10));
    const bool ok = Put(folder / "raw_pcm.avi", avi) && Put(folder / "raw_pcm_cut.avi", cut) &&
                    Put(folder / "raw.mov", BuildTestMovie(Tiny(TestMovieContainer::Mov, 0))) &&
                    Put(folder / "mpeg1_mp2.mpg", BuildTestMovie(mpg)) && Put(folder / "mp2.mpa", BuildTestMovie(mpa)) &&
                    Put(folder / "wmv2_wma2.wmv", BuildTestMovie(Tiny(TestMovieContainer::Asf, 1)));
    return ok ? 0 : 1;
}
