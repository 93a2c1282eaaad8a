// Runs a fuzz target over its stored corpus, one input per file, as a plain test (for builds
// without libFuzzer). Usage: corpus_runner <corpus folder>...
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    size_t inputs = 0;
    for (int i = 1; i < argc; ++i) {
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(argv[i], ec)) {
            if (!entry.is_regular_file()) continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
            ++inputs;
        }
        if (ec) {
            std::fprintf(stderr, "cannot read corpus %s\n", argv[i]);
            return 1;
        }
    }
    std::printf("%zu inputs ran without a fault\n", inputs);
    return inputs > 0 ? 0 : 1;
}
