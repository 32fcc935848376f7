#include "fuzz_support.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

// Replays a fuzz target's committed inputs, its corpus and the reproducers of past findings, through
// the same entry points libFuzzer calls; files named on the command line replace them.
int main(int argc, char** argv)
{
    LLVMFuzzerInitialize(&argc, &argv);

    namespace fs = std::filesystem;
    std::vector<fs::path> inputs;
    if (argc > 1) {
        inputs.assign(argv + 1, argv + argc);
    } else {
        for (const char* folder : {"corpus", "regressions"}) {
            const fs::path dir = fs::path(QUORBEL_FUZZ_TARGET_DIR) / folder;
            if (!fs::is_directory(dir))
                continue;
            for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
                if (entry.is_regular_file())
                    inputs.push_back(entry.path());
            }
        }
        std::sort(inputs.begin(), inputs.end());
    }
    // An empty list means the folders moved, not that there is nothing to check.
    if (inputs.empty()) {
        std::fprintf(stderr, "no inputs under %s\n", QUORBEL_FUZZ_TARGET_DIR);
        return 1;
    }

    for (const fs::path& input : inputs) {
        std::ifstream file(input, std::ios::binary);
        if (!file) {
            std::fprintf(stderr, "cannot read %s\n", input.c_str());
            return 1;
        }
        const std::vector<char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        std::printf("%s (%zu bytes)\n", input.c_str(), bytes.size());
        std::fflush(stdout);
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }
    std::printf("%zu inputs replayed\n", inputs.size());
    return 0;
}
