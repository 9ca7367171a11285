// The directory search over the real file system with the standard library,
// for the off-screen platform and the browser (whose file system Emscripten
// keeps): names sorted, so packs are numbered the same on every run.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "shell/platform.h"

namespace fs = std::filesystem;

namespace
{

// The one search of the process. Names are sorted, so packs are numbered
// the same on every run whatever order the file system lists them in.
struct Search {
    bool open = false;
    std::vector<std::string> names;
    size_t next = 0;
};

Search& search()
{
    static Search s;
    return s;
}

bool matches(const char* pattern, const char* name)
{
    if (*pattern == '\0') return *name == '\0';
    if (*pattern == '*') {
        for (const char* n = name;; ++n) {
            if (matches(pattern + 1, n)) return true;
            if (*n == '\0') return false;
        }
    }
    if (*name == '\0') return false;
    if (*pattern == '?' || *pattern == *name) return matches(pattern + 1, name + 1);
    return false;
}

} // namespace

void platform_find_first(const char* pattern)
{
    Search& s = search();
    s = Search{};
    std::string whole = pattern;
    size_t cut = whole.find_last_of("/\\");
    fs::path directory = cut == std::string::npos ? fs::path(".") : fs::path(whole.substr(0, cut + 1));
    std::string name_pattern = cut == std::string::npos ? whole : whole.substr(cut + 1);
    std::error_code ec;
    for (fs::directory_iterator it(directory, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (it->is_regular_file(ec) && matches(name_pattern.c_str(), name.c_str())) s.names.push_back(name);
    }
    std::sort(s.names.begin(), s.names.end());
    s.open = !s.names.empty();
}

int platform_find_next(char* buffer, size_t size)
{
    Search& s = search();
    if (!s.open) return -1;
    if (size > 0) {
        const std::string& name = s.names[s.next];
        size_t n = std::min(name.size(), size - 1);
        std::memcpy(buffer, name.data(), n);
        buffer[n] = '\0';
    }
    if (++s.next >= s.names.size()) s = Search{};
    return 0;
}
