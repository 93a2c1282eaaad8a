// A help service that only remembers the requests handed to it.
#pragma once

#include "reference/help_viewer.h"

#include <vector>

namespace korvalin {

class RecordingHelp : public HelpService {
public:
    void Request(const HelpRequest& request) override { requests.push_back(request); }
    std::vector<HelpRequest> requests;
};

} // namespace korvalin
