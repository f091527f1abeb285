// Runs a libFuzzer harness over saved inputs without libFuzzer, so that the normal build, with the
// compiler and sanitizers CI uses, replays every seed corpus and every crash kept in it.
// Usage: fuzz_NAME_replay FILE_OR_FOLDER...   (a folder's files run in name order)
// Exits non-zero when an input aborts, and when the harness's verdict, if it gives one, is a
// failure.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);
// Both optional, as for libFuzzer: set-up before the first input, and (ours) a verdict on the
// whole replay once every input has run.
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int *argc, char ***argv);
extern "C" __attribute__((weak)) int quorvelFuzzReplayVerdict();

namespace {

std::vector<std::filesystem::path> inputsOf(const std::filesystem::path &argument)
{
    if (!std::filesystem::is_directory(argument)) {
        return {argument};
    }
    std::vector<std::filesystem::path> files;
    for (const std::filesystem::directory_entry &entry :
         std::filesystem::directory_iterator(argument)) {
        if (entry.is_regular_file()) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE_OR_FOLDER...\n", argv[0]);
        return EXIT_FAILURE;
    }
    std::vector<std::filesystem::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const std::vector<std::filesystem::path> found = inputsOf(argv[i]);
        inputs.insert(inputs.end(), found.begin(), found.end());
    }
    if (LLVMFuzzerInitialize) {
        LLVMFuzzerInitialize(&argc, &argv);
    }
    for (const std::filesystem::path &input : inputs) {
        std::ifstream file(input, std::ios::binary);
        if (!file) {
            std::fprintf(stderr, "cannot read %s\n", input.c_str());
            return EXIT_FAILURE;
        }
        const std::vector<char> bytes{std::istreambuf_iterator<char>(file), {}};
        std::fprintf(stderr, "replaying %s\n", input.c_str());
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size());
    }
    std::fprintf(stderr, "replayed %zu inputs\n", inputs.size());
    if (inputs.empty()) {
        return EXIT_FAILURE;
    }
    return quorvelFuzzReplayVerdict ? quorvelFuzzReplayVerdict() : EXIT_SUCCESS;
}
