// Runs a fuzz harness once over stored inputs, without libFuzzer: every file named on the command
// line and every file below every folder named there. Builds without clang use it to check the seed
// corpus under their own sanitizers.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> inputsBelow(const fs::path& start) {
    std::vector<fs::path> inputs;
    if (!fs::is_directory(start)) return {start};
    for (const auto& entry : fs::recursive_directory_iterator(start))
        if (entry.is_regular_file()) inputs.push_back(entry.path());
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

bool run(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", file.c_str());
        return false;
    }
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // A buffer of exactly the input's size, as libFuzzer passes it, so that reading one byte past
    // the end is caught instead of landing in a container's spare capacity.
    const std::unique_ptr<std::uint8_t[]> data(new std::uint8_t[bytes.size()]);
    std::copy(bytes.begin(), bytes.end(), data.get());
    std::fprintf(stderr, "running %s (%zu bytes)\n", file.c_str(), bytes.size());
    LLVMFuzzerTestOneInput(data.get(), bytes.size());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    std::size_t count = 0;
    for (int i = 1; i < argc; ++i) {
        // libFuzzer's options ("-runs=0") are accepted and mean nothing here.
        if (std::string_view(argv[i]).starts_with('-')) continue;
        for (const fs::path& file : inputsBelow(argv[i])) {
            if (!run(file)) return 1;
            ++count;
        }
    }
    std::fprintf(stderr, "%zu inputs ran\n", count);
    // No input at all is a broken corpus path, not a pass.
    return count > 0 ? 0 : 1;
}
