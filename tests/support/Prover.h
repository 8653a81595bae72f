// SPDX-License-Identifier: GPL-3.0-or-later
// The prover's process run on one number, for the proof's tests and
// benchmarks.
#pragma once

#include <cstdio>
#include <string>

// What the prover at `path` writes for n on `threads` threads: its
// certificate's lines without the closing "end", or "composite\n".
inline std::string RunProver(const char* path, const std::string& n, int threads) {
  const std::string command =
      "echo " + n + " | '" + path + "' --threads " + std::to_string(threads);
  FILE* pipe = popen(command.c_str(), "r");
  std::string text;
  char buffer[4096];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    text.append(buffer, got);
  pclose(pipe);
  const std::size_t end = text.rfind("end\n");
  return end == std::string::npos ? text : text.substr(0, end);
}
