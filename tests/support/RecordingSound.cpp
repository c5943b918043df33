#include "RecordingSound.h"

void RecordingSound::playAsync(const std::string& path)
{
    played.push_back(path);
}

std::vector<std::string> RecordingSound::names() const
{
    std::vector<std::string> result;
    result.reserve(played.size());
    for (const std::string& path : played) {
        const auto slash = path.find_last_of('/');
        result.push_back(slash == std::string::npos ? path : path.substr(slash + 1));
    }
    return result;
}
