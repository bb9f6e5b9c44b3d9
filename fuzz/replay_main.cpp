// A main for a fuzz target built without libFuzzer: runs the target once on every file named on
// the command line or found in a folder named there, as libFuzzer runs kept inputs. The tests
// replay the regression inputs and the seeds this way with the ordinary compilers, so that a
// fault the fuzzer once found stays found. A broken invariant aborts, as under the fuzzer.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

int main(int argc, char** argv) {
  if (LLVMFuzzerInitialize != nullptr && LLVMFuzzerInitialize(&argc, &argv) != 0) return 1;
  std::set<std::filesystem::path> files;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path path = argv[i];
    if (std::filesystem::is_directory(path)) {
      for (const auto& entry : std::filesystem::directory_iterator(path)) {
        if (entry.is_regular_file()) files.insert(entry.path());
      }
    } else {
      files.insert(path);
    }
  }
  if (files.empty()) {
    std::fprintf(stderr, "no input to replay\n");
    return 1;
  }
  for (const auto& file : files) {
    std::ifstream stream(file, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(stream),
                                  std::istreambuf_iterator<char>()};
    if (!stream.eof() && stream.fail()) {
      std::fprintf(stderr, "cannot read %s\n", file.c_str());
      return 1;
    }
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    std::printf("replayed %s (%zu bytes)\n", file.filename().c_str(), bytes.size());
  }
  return 0;
}
