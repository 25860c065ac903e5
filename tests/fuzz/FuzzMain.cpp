// The entry of the fuzz program built for the format whose harness BRISKLET_FUZZ_HARNESS names.
// Without libFuzzer it also runs that harness once over stored inputs: every file named on the command
// line and every file below every folder named there, so builds without clang check the seed corpus
// under their own sanitizers.

#include "FuzzCheck.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

void BRISKLET_FUZZ_HARNESS(std::string_view text);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    BRISKLET_FUZZ_HARNESS(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}

#ifndef BRISKLET_FUZZ_WITH_LIBFUZZER
int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        // libFuzzer's options ("-runs=0") are accepted and mean nothing here.
        if (std::string_view(argv[i]).starts_with('-')) continue;
        if (!fs::is_directory(argv[i]))
            inputs.emplace_back(argv[i]);
        else
            for (const auto& entry : fs::recursive_directory_iterator(argv[i]))
                if (entry.is_regular_file()) inputs.push_back(entry.path());
    }
    for (const fs::path& file : inputs) {
        std::ifstream in(file, std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        // A buffer of exactly the input's size, as libFuzzer passes it, so that reading one byte past
        // the end is caught instead of landing in a container's spare capacity.
        const auto data = std::make_unique_for_overwrite<std::uint8_t[]>(bytes.size());
        std::copy(bytes.begin(), bytes.end(), data.get());
        std::fprintf(stderr, "running %s (%zu bytes)\n", file.c_str(), bytes.size());
        LLVMFuzzerTestOneInput(data.get(), bytes.size());
    }
    // No input at all is a broken corpus path, not a pass.
    return inputs.empty() ? 1 : 0;
}
#endif
