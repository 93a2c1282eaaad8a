// Finding the help file: the application's own folder first, then every folder of PATH from left
// to right; the first folder holding an ordinary file named Korvalin.HLP wins.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace korvalin {

inline constexpr const char* kHelpFileName = "Korvalin.HLP";
// The help file the application names before any search (no folder).
inline constexpr const char* kDeclaredHelpFile = "Korvalin.Hlp";

// What a test for a file says: there, not there, or the test itself failed (unreadable folder,
// name too long, a file used as a folder...). A failed test counts as "not there".
enum class FileProbe { Found, Missing, Failed };
using FileTest = std::function<FileProbe(const std::string& fullName)>;

// An ordinary file (following links) of that name exists.
FileProbe OrdinaryFileExists(const std::string& fullName);

struct HelpSearch {
    bool found = false;
    std::string path;                 // folder, "/" and file name when found; empty otherwise
    std::vector<std::string> tested;  // every full name tested, in order
};

// The search itself. `appDir` is the folder of the program; `pathVariable` the value of PATH
// (entries separated by ":", used as they stand; an empty entry is the root "/").
HelpSearch SearchHelpFile(const std::string& appDir, const std::string& pathVariable,
                          const FileTest& test = OrdinaryFileExists);

// The application-wide help file: the declared name until the search finds the file.
std::string& ApplicationHelpFile();

// Runs the search with the process's PATH. On success sets KORVALIN1.HelpFilePath and the
// application-wide help file to the full name. Returns whether the file was found.
bool FindHelpFile(const std::string& appDir, const FileTest& test = OrdinaryFileExists);

} // namespace korvalin
