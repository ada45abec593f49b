// Writes the recorded instrument replies of the block_transfer seed corpus into the folder
// given: whole conversations of the current trace and of Upload All, clean, with junk
// ahead of replies, with stray bytes after them, cut short, in raw bytes, up to the
// 14-block cap and the 50-trace limit. Built with the fuzz targets; it runs no fuzzing.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "transfer_script.h"

namespace {

// Block counts of range indices 0..7.
constexpr int kBlocks[] = {1, 1, 1, 1, 2, 3, 8, 12};

void write(const std::string& dir, const std::string& name, const ScriptWriter& w) {
  std::ofstream(dir + "/" + name, std::ios::binary)
      .write(reinterpret_cast<const char*>(w.out.data()),
             static_cast<std::streamsize>(w.out.size()));
}

// One trace: its header, then its data blocks; junk ahead of every reply when asked.
void trace(ScriptWriter& w, int rangeN, int stored, int seed, int junk = 0, int shape = 0,
           int shapeValue = 0) {
  w.header(rangeN, stored, true, junk, shape, shapeValue);
  const int blocks = rangeN >= 0 && rangeN <= 7 ? kBlocks[rangeN] : 0;
  for (int b = 0; b < blocks; ++b) w.data(seed * 16 + b, junk, shape, shapeValue);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_transfer_seeds DIR\n");
    return 2;
  }
  const std::string dir = argv[1];
  for (int range = 0; range <= 7; ++range) {
    ScriptWriter w(false, 0, false, 5, range);
    trace(w, range, 3, range);
    write(dir, "current_range" + std::to_string(range), w);
  }
  {
    ScriptWriter w(true, 0, false, 4, 1);
    for (int t = 1; t <= 3; ++t) trace(w, 7, 3, t);
    write(dir, "all_three_12_blocks", w);
  }
  {
    // More stored than an upload fetches: it stops at 50.
    ScriptWriter w(true, 0, false, 6, 2);
    for (int t = 1; t <= 51; ++t) trace(w, t % 4, 60, t);
    write(dir, "all_stops_at_50", w);
  }
  {
    ScriptWriter w(true, 0, false, 0, 3);
    w.header(0, 0, false);
    write(dir, "no_datas", w);
  }
  {
    // A header whose range index names no block count, on a fresh program.
    ScriptWriter w(true, 0, true, 2, 4);
    w.header(9, 971, true);
    trace(w, 4, 2, 5);
    write(dir, "unknown_range_then_current", w);
  }
  {
    ScriptWriter w(true, 0, false, 1, 5);
    trace(w, 4, 2, 1, 0, 3, 0x55);
    trace(w, 5, 2, 2, 0, 3, 0x55);
    write(dir, "all_sync_byte_after_replies", w);
  }
  {
    ScriptWriter w(true, 0, false, 7, 6);
    trace(w, 6, 2, 1, 3);
    trace(w, 5, 2, 2, 5);
    write(dir, "all_junk_ahead", w);
  }
  {
    ScriptWriter w(false, 0, false, 4, 7);
    w.header(5, 1, true);
    w.data(1).data(2, 0, 2, 100);
    write(dir, "current_cut_short", w);
  }
  {
    ScriptWriter w(false, 0, false, 3, 8);
    w.header(6, 1, true).data(1).silence();
    write(dir, "current_silent", w);
  }
  {
    ScriptWriter w(true, 2, false, 5, 9);
    for (int t = 1; t <= 3; ++t) trace(w, 4, 3, t);
    write(dir, "all_second_save_fails", w);
  }
  {
    // The instrument's own bytes, not the compact form: a 2-block current trace.
    ScriptWriter w(false, 0, false, 2, 10);
    w.raw(encodeFrame(headerWords(4, 1, true, 10)));
    w.raw(encodeFrame(dataWords(1)));
    std::vector<std::uint8_t> last = encodeFrame(dataWords(2));
    last.insert(last.begin(), {0x00, 0x13, 0x55});
    w.raw(last);
    write(dir, "current_raw_replies", w);
  }
  {
    // A 12-block trace in raw bytes, one byte short at the end.
    ScriptWriter w(false, 0, false, 6, 11);
    w.raw(encodeFrame(headerWords(7, 1, true, 10)));
    for (int b = 1; b <= 12; ++b) {
      std::vector<std::uint8_t> frame = encodeFrame(dataWords(static_cast<std::uint16_t>(b)));
      if (b == 12) frame.pop_back();
      w.raw(frame);
    }
    write(dir, "current_raw_12_blocks_cut", w);
  }
  return 0;
}
