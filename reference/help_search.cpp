#include "reference/help_search.h"

#include "app/korvalin1.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>

namespace korvalin {
namespace {

constexpr char kListSeparator = ':';
constexpr char kFolderSeparator = '/';

std::string WithSeparator(std::string dir) {
    if (dir.empty() || dir.back() != kFolderSeparator) dir += kFolderSeparator;
    return dir;
}

} // namespace

FileProbe OrdinaryFileExists(const std::string& fullName) {
    struct stat info {};
    if (::stat(fullName.c_str(), &info) == 0) return S_ISREG(info.st_mode) ? FileProbe::Found : FileProbe::Missing;
    return errno == ENOENT ? FileProbe::Missing : FileProbe::Failed;
}

HelpSearch SearchHelpFile(const std::string& appDir, const std::string& pathVariable, const FileTest& test) {
    HelpSearch result;
    auto probe = [&](const std::string& dir) {
        const std::string name = dir + kHelpFileName;
        result.tested.push_back(name);
        // A test that fails leaves the answer "not found".
        if (test(name) == FileProbe::Found) {
            result.found = true;
            result.path = name;
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
