// Another program that writes the hosts file slowly, as an editor, a script or an installer
// writing line by line may: the text of NEW_TEXT written over FILE in PARTS pieces, GAP_MS
// apart, the file held open throughout; in place, or (--rename) into FILE.slow-writer, renamed
// over FILE once whole. Built for both systems, so that under Wine the writer is a Windows
// program whose open file the system can see.
//   slow_writer FILE NEW_TEXT PARTS GAP_MS [--rename]
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>

int main(int argc, char** argv) {
  if (argc < 5) {
    std::cerr << "usage: slow_writer FILE NEW_TEXT PARTS GAP_MS [--rename]\n";
    return 2;
  }
  const std::string file = argv[1];
  std::ifstream in(argv[2], std::ios::binary);
  std::string text(static_cast<std::size_t>(std::filesystem::file_size(argv[2])), '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  const std::size_t parts = std::stoul(argv[3]);
  const std::chrono::milliseconds gap(std::stol(argv[4]));
  const bool rename = argc > 5 && std::string(argv[5]) == "--rename";
  const std::string target = rename ? file + ".slow-writer" : file;
  {
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    for (std::size_t part = 0; part < parts; ++part) {
      if (part > 0) {
        std::this_thread::sleep_for(gap);
      }
      const std::size_t begin = text.size() * part / parts;
      const std::size_t end = text.size() * (part + 1) / parts;
      out.write(text.data() + begin, static_cast<std::streamsize>(end - begin));
      out.flush();
    }
    if (!out) {
      std::cerr << "slow_writer: cannot write " << target << "\n";
      return 1;
    }
  }
  if (rename) {
    std::filesystem::rename(target, file);
  }
  return 0;
}
