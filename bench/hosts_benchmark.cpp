// Load, build and save of generated hosts files of 10,000, 100,000 and 1,000,000 entries and
// foreign lines.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "blocklist/block_list.h"
#include "hostsfile/hosts_format.h"
#include "hostsfile/hosts_store.h"

namespace {

// A file like a large user's: mostly the program's own entries, some allowed, a few foreign lines.
std::string GeneratedHosts(std::int64_t lines) {
  std::string text =
      "# Copyright (c) 1993-2009 Microsoft Corp.\r\n#\r\n127.0.0.1 localhost\r\n::1 localhost\r\n";
  for (std::int64_t i = 0; i < lines; ++i) {
    if (i % 50 == 0) {
      text += "0.0.0.0 tracker" + std::to_string(i) + ".example.net\r\n";
    } else {
      // Each entry as the program writes it: its IPv4 line, then its IPv6 line, each with the
      // name's absolute form as well.
      const std::string host = "ads" + std::to_string(i) + ".example-network.com";
      std::string name = host;
      name.append(" ").append(host).append(".\r\n");
      const bool allowed = i % 9 == 0;
      text.append(allowed ? "#127.0.0.1 \t" : "127.0.0.1 \t").append(name);
      text.append(allowed ? "#::1 \t" : "::1 \t").append(name);
    }
  }
  return text;
}

std::filesystem::path BenchFile(const char* name, std::int64_t lines) {
  return std::filesystem::temp_directory_path() /
         ("rir-bench-" + std::string(name) + "-" + std::to_string(lines));
}

void WriteFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary)
      .write(text.data(), static_cast<std::streamsize>(text.size()));
}

void BM_Load(benchmark::State& state) {
  const auto path = BenchFile("load", state.range(0));
  const std::string text = GeneratedHosts(state.range(0));
  WriteFile(path, text);
  for (auto _ : state) {
    hostsfile::HostsStore store(path.string());
    blocklist::BlockList list;
    if (!store.Load(list)) {
      state.SkipWithError("load failed");
    }
    benchmark::DoNotOptimize(list.size());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
  std::filesystem::remove(path);
}

void BM_Build(benchmark::State& state) {
  blocklist::BlockList list;
  const std::string text = GeneratedHosts(state.range(0));
  const hostsfile::HostsLayout layout = hostsfile::ParseHosts(text, list);
  for (auto _ : state) {
    std::string built = hostsfile::BuildHostsText(layout, list);
    benchmark::DoNotOptimize(built.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}

void BM_Save(benchmark::State& state) {
  const auto path = BenchFile("save", state.range(0));
  const std::string text = GeneratedHosts(state.range(0));
  WriteFile(path, text);
  hostsfile::HostsStore store(path.string());
  for (auto _ : state) {
    if (!store.Save(text)) {
      state.SkipWithError("save failed");
    }
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
  std::filesystem::remove(path);
}

BENCHMARK(BM_Load)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Build)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
