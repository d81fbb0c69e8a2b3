// replay_end FILE: the end a replay file recorded, as the line `varnok
// --verify` prints for its re-run, so that a test can set the two side by side.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "app/replay_verifier.h"
#include "core/replay_file.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: replay_end FILE\n", stderr);
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const core::ReplayReadResult read = core::DecodeReplay(bytes);
  if (!read.replay) {
    std::fprintf(stderr, "replay_end: %s: %s\n", argv[1], read.why.c_str());
    return 1;
  }
  app::ReplayVerdict recorded;
  recorded.frames = read.replay->FrameCount();
  recorded.end = read.replay->end;
  std::printf("%s\n", app::VerdictJson(*read.replay, recorded).c_str());
  return 0;
}
