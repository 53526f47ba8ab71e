// Without libFuzzer, a fuzz target runs as a test: every file of its corpus
// folder, then a fixed number of generated inputs (bounded and repeatable).
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
  size_t runs = 0;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path dir(argv[i]);
    if (!std::filesystem::is_directory(dir)) continue;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
      std::ifstream in(entry.path(), std::ios::binary);
      std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
      ++runs;
    }
  }
  // Generated inputs drawn from the characters the stored texts are made of.
  static const char alphabet[] = "0123456789abcdefghi-&,|\"{}[]:ABCDEF xyz\x01\xe4\xb8\xad";
  std::mt19937 rng(20261209);
  for (int n = 0; n < 20000; ++n) {
    std::vector<uint8_t> bytes(rng() % 160);
    for (auto& b : bytes) b = static_cast<uint8_t>(alphabet[rng() % (sizeof(alphabet) - 1)]);
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    ++runs;
  }
  std::printf("%zu inputs run\n", runs);
  return 0;
}
