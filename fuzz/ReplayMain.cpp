// Replays a fuzz target's corpus without libFuzzer: every file below the folders given on the
// command line goes through LLVMFuzzerTestOneInput once, so the inputs that found faults and the
// inputs that reach the interesting paths keep being checked by every ordinary test run.
//
//   <target>_replay CORPUS-FOLDER...

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

int main(int argc, char** argv)
{
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    std::vector<std::filesystem::path> inputs;
    for (int i = 1; i < argc; ++i) {
        std::error_code error;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(argv[i], error))
            if (entry.is_regular_file())
                inputs.push_back(entry.path());
        if (error) {
            std::fprintf(stderr, "cannot read the corpus %s: %s\n", argv[i], error.message().c_str());
            return 1;
        }
    }
    if (inputs.empty()) {
        std::fprintf(stderr, "no corpus inputs: nothing was checked\n");
        return 1;
    }
    std::sort(inputs.begin(), inputs.end());
    for (const auto& path : inputs) {
        std::ifstream file(path, std::ios::binary);
        const std::vector<char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        // A heap block of exactly its size, as libFuzzer gives: reading past its end is then a fault
        // the sanitizers see (and an empty input still has a valid pointer).
        const std::unique_ptr<uint8_t[]> data(new uint8_t[bytes.size()]);
        std::copy(bytes.begin(), bytes.end(), data.get());
        LLVMFuzzerTestOneInput(data.get(), bytes.size());
    }
    std::printf("replayed %zu inputs\n", inputs.size());
    return 0;
}
