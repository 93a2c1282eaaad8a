// Finding the help file: the application's own folder first, then every folder of PATH from left
// to right; the first folder holding an ordinary file named KORVALIN.HLP, in any mix of upper and
// lower case, wins.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace korvalin {

// The help file's name as every message and page spells it.
inline constexpr const char* kHelpFileName = "KORVALIN.HLP";
// The help file the application names before any search (no folder).
inline constexpr const char* kDeclaredHelpFile = kHelpFileName;

// What a test for a file says: there, not there, or the test itself failed (unreadable folder,
// name too long, a file used as a folder...). A failed test counts as "not there".
enum class FileProbe { Found, Missing, Failed };

// An ordinary file (following links) of that name exists.
FileProbe OrdinaryFileExists(const std::string& fullName);

// Looks in `folder` (ending with "/") for an ordinary file called `name` whatever the case of its
// letters; `found` receives the folder and the name as it is spelt there. Of several spellings the
// exact one wins, then the first in byte order. A folder that cannot be listed is asked for the
// exact name only.
FileProbe FileInFolder(const std::string& folder, const std::string& name, std::string& found);

// Tests one folder (ending with "/") for the help file, as FileInFolder does for kHelpFileName.
using FileTest = std::function<FileProbe(const std::string& folder, std::string& found)>;
FileProbe HelpFileInFolder(const std::string& folder, std::string& found);

struct HelpSearch {
    bool found = false;
    std::string path;                 // the file found, as spelt in its folder; empty otherwise
    std::vector<std::string> tested;  // each folder tested, with kHelpFileName, in order
};

// The search itself. `appDir` is the folder of the program; `pathVariable` the value of PATH
// (entries separated by ":", used as they stand; an empty entry is the root "/").
HelpSearch SearchHelpFile(const std::string& appDir, const std::string& pathVariable,
                          const FileTest& test = HelpFileInFolder);

// The application-wide help file: the declared name until the search finds the file.
std::string& ApplicationHelpFile();

// Runs the search with the process's PATH. On success sets KORVALIN1.HelpFilePath and the
// application-wide help file to the full name. Returns whether the file was found.
bool FindHelpFile(const std::string& appDir, const FileTest& test = HelpFileInFolder);

} // namespace korvalin
