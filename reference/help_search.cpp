#include "reference/help_search.h"

#include "app/korvalin1.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <sys/stat.h>

namespace korvalin {
namespace {

constexpr char kListSeparator = ':';
constexpr char kFolderSeparator = '/';

std::string WithSeparator(std::string dir) {
    if (dir.empty() || dir.back() != kFolderSeparator) dir += kFolderSeparator;
    return dir;
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

} // namespace

FileProbe OrdinaryFileExists(const std::string& fullName) {
    struct stat info {};
    if (::stat(fullName.c_str(), &info) == 0) return S_ISREG(info.st_mode) ? FileProbe::Found : FileProbe::Missing;
    return errno == ENOENT ? FileProbe::Missing : FileProbe::Failed;
}

FileProbe FileInFolder(const std::string& folder, const std::string& name, std::string& found) {
    // The exact spelling first: the common case, and all a folder that cannot be listed allows.
    const FileProbe exact = OrdinaryFileExists(folder + name);
    if (exact == FileProbe::Found) {
        found = folder + name;
        return exact;
    }
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return exact;
    std::vector<std::string> spellings;
    while (const dirent* entry = ::readdir(dir))
        if (SameIgnoringCase(entry->d_name, name)) spellings.emplace_back(entry->d_name);
    ::closedir(dir);
    std::sort(spellings.begin(), spellings.end());
    for (const std::string& spelling : spellings) {
        if (OrdinaryFileExists(folder + spelling) == FileProbe::Found) {
            found = folder + spelling;
            return FileProbe::Found;
        }
    }
    return exact;
}

FileProbe HelpFileInFolder(const std::string& folder, std::string& found) {
    return FileInFolder(folder, kHelpFileName, found);
}

HelpSearch SearchHelpFile(const std::string& appDir, const std::string& pathVariable, const FileTest& test) {
    HelpSearch result;
    auto probe = [&](const std::string& dir) {
        result.tested.push_back(dir + kHelpFileName);
        // A test that fails leaves the answer "not found".
        std::string found;
        if (test(dir, found) == FileProbe::Found) {
            result.found = true;
            result.path = found;
        }
    };

    probe(WithSeparator(appDir));
    if (result.found) return result;

    std::string rest = pathVariable;
    if (rest.empty()) return result;
    if (rest.back() != kListSeparator) rest += kListSeparator;
    // Every entry up to a separator, left to right, until one holds the file.
    size_t pos = rest.find(kListSeparator);
    while (pos != std::string::npos && !result.found) {
        probe(WithSeparator(rest.substr(0, pos)));
        rest.erase(0, pos + 1);
        pos = rest.find(kListSeparator);
    }
    return result;
}

std::string& ApplicationHelpFile() {
    static std::string file = kDeclaredHelpFile;
    return file;
}

bool FindHelpFile(const std::string& appDir, const FileTest& test) {
    const char* path = std::getenv("PATH");
    const HelpSearch search = SearchHelpFile(appDir, path ? path : "", test);
    if (search.found) {
        KORVALIN1.HelpFilePath = search.path;
        ApplicationHelpFile() = search.path;
    }
    return search.found;
}

} // namespace korvalin
