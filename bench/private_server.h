// The private PulseAudio server the benchmarks play through (a null sink; nothing is heard and the
// desktop's own server is never touched), started by the script the test suite uses too. A
// benchmark that uses it defines KORVALIN_PULSE_SCRIPT as that script's path.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace korvalin::bench {

class PrivateServer {
public:
    PrivateServer() {
        char folder[] = "/tmp/korvalin-bench-pulse.XXXXXX";
        if (!mkdtemp(folder)) return;
        folder_ = folder;
        FILE* out = popen(("'" KORVALIN_PULSE_SCRIPT "' start '" + folder_ + "' 2>/dev/null").c_str(), "r");
        if (!out) return;
        char line[512] = {};
        if (fgets(line, sizeof line, out)) address_ = std::string(line, std::strcspn(line, "\n"));
        if (pclose(out) != 0) address_.clear();
    }
    ~PrivateServer() {
        if (!folder_.empty())
            std::system(("'" KORVALIN_PULSE_SCRIPT "' stop '" + folder_ + "' > /dev/null 2>&1").c_str());
    }
    PrivateServer(const PrivateServer&) = delete;
    PrivateServer& operator=(const PrivateServer&) = delete;
    // The server's address for PULSE_SERVER; empty when it did not start.
    const std::string& Address() const { return address_; }

private:
    std::string folder_, address_;
};

} // namespace korvalin::bench
