// The lines of the demo's error.log that tell of a fault, for the tests that run the built demo.
#pragma once

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

// Every non-empty line of `errorLog` except those that name a music, sound, voice or movie file
// ("bgms/…", "sounds/…", "voices/…", "movies/…" in parentheses) missing from the game folder:
// the sounds and the movie are generated apart from the rest of the demo, and a build without
// them still plays the story silently. A file that is there but fails still counts.
inline std::vector<std::string> FaultLines(const std::string& errorLog, const std::filesystem::path& game)
{
    std::vector<std::string> faults;
    std::istringstream lines(errorLog);
    for (std::string line; std::getline(lines, line);) {
        if (line.find_first_not_of("\r\n ") == std::string::npos)
            continue;
        bool missingMedia = false;
        for (const char* folder : {"(bgms/", "(sounds/", "(voices/", "(movies/"}) {
            const std::size_t at = line.find(folder);
            const std::size_t end = at == std::string::npos ? at : line.find(')', at);
            if (end != std::string::npos && !std::filesystem::exists(game / line.substr(at + 1, end - at - 1)))
                missingMedia = true;
        }
        if (!missingMedia)
            faults.push_back(line);
    }
    return faults;
}
