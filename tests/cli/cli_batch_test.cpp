// The batch commands' pool and progress line: outcomes in input order whatever order the
// threads finish in, each input worked once, a bounded number waiting, and the line a
// terminal shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cli_batch.h"
#include "files/test_files.h"

namespace tracelink::cli {
namespace {

// Later inputs finish sooner, so that the threads finish out of order.
void unevenPause(std::size_t i, std::size_t count) {
  std::this_thread::sleep_for(std::chrono::microseconds(50 * ((count - i) % 7)));
}

TEST(OrderedPool, OutcomesInInputOrderEachWorkedOnce) {
  struct Case {
    std::size_t count;
    unsigned threads;
  };
  for (const Case c : {Case{0, 1}, Case{1, 1}, Case{7, 1}, Case{40, 2}, Case{60, 4}, Case{3, 8}}) {
    std::vector<std::atomic<int>> calls(c.count);
    std::atomic<std::size_t> taken{0};
    std::atomic<std::size_t> worstLead{0};  // how far past the last taken outcome work began
    {
      OrderedPool<std::string> pool(c.count, c.threads, [&](std::size_t i) {
        ++calls[i];
        const std::size_t lead = i - taken.load();
        for (std::size_t w = worstLead.load();
             lead > w && !worstLead.compare_exchange_weak(w, lead);)
          ;
        unevenPause(i, c.count);
        return "outcome " + std::to_string(i);
      });
      for (std::size_t i = 0; i < c.count; ++i) {
        EXPECT_EQ(pool.take(i), "outcome " + std::to_string(i)) << c.count << "/" << c.threads;
        taken = i + 1;
        if (i % 5 == 0) std::this_thread::sleep_for(std::chrono::microseconds(300));
      }
    }
    for (std::size_t i = 0; i < c.count; ++i) EXPECT_EQ(calls[i], 1) << i;
    // The caller's count lags the pool's by at most the one outcome being taken.
    EXPECT_LE(worstLead.load(), std::max<std::size_t>(2 * c.threads, 4))
        << c.count << "/" << c.threads;
  }
}

TEST(OrderedPool, OutcomesLeftUntakenStopTheWork) {
  std::atomic<std::size_t> started{0};
  {
    OrderedPool<std::unique_ptr<int>> pool(1000, 2, [&](std::size_t i) {
      ++started;
      return std::make_unique<int>(static_cast<int>(i));
    });
    EXPECT_EQ(*pool.take(0), 0);
    EXPECT_EQ(*pool.take(1), 1);
  }  // returns without working on the rest
  EXPECT_LT(started.load(), 20u);
}

TEST(Batch, ThreadsFollowJobsAndNeverOutnumberTheInputs) {
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  struct Case {
    unsigned jobs;
    std::size_t inputs;
    unsigned threads;
  };
  for (const Case c : {Case{1, 10, 1}, Case{3, 10, 3}, Case{8, 2, 2}, Case{256, 1, 1},
                       Case{0, 1000, cores}, Case{0, 1, 1}, Case{4, 0, 0}})
    EXPECT_EQ(batchThreads(c.jobs, c.inputs), c.threads) << c.jobs << " " << c.inputs;
}

TEST(Batch, RunsEveryInputAndHandsThemOverInOrderWithTheProgress) {
  const std::vector<std::string> files{"a.otdr", "b.otdr", "c.otdr", "d.otdr", "e.otdr"};
  for (const unsigned jobs : {1u, 2u, 4u}) {
    std::ostringstream err;
    ProgressLine progress(err, "sor", files.size(), true);
    std::vector<std::string> done;
    runBatch<std::string>(
        files, jobs, progress,
        [&](std::size_t i) {
          unevenPause(i, files.size());
          return files[i] + "!";
        },
        [&](std::size_t i, std::string&& outcome) {
          done.push_back(std::to_string(i) + " " + outcome);
          if (i == 2) progress.message("c.otdr: bad");
        });
    EXPECT_EQ(done, (std::vector<std::string>{"0 a.otdr!", "1 b.otdr!", "2 c.otdr!", "3 d.otdr!",
                                              "4 e.otdr!"}));
    const std::string line = "\rsor 3/5 c.otdr";
    const std::string blank = "\r" + std::string(line.size() - 1, ' ') + "\r\r";
    EXPECT_EQ(err.str(), "\rsor 1/5 a.otdr\rsor 2/5 b.otdr" + line + blank +
                             "tracelink-cli: c.otdr: bad\n\rsor 4/5 d.otdr\rsor 5/5 e.otdr" +
                             blank);
  }
}

// Entries are handed over while the committing thread is busy with earlier groups; each is
// settled once, in the order added, with its own outcome: a failure to stage as it was, a
// refusal at the rename (a second file for a taken name) for that entry alone.
TEST(GroupedSaves, SettlesEveryEntryOnceInOrderAndNamesTheFiles) {
  for (const std::size_t count : {0u, 1u, 9u, 150u}) {
    test::TempFolder folder;
    std::vector<std::string> settled;
    std::vector<std::string> expected;
    std::map<std::string, std::string> contents;  // each file named, with what it holds
    {
      GroupedSaves saves([&](std::size_t i, const Status& s) {
        settled.push_back(std::to_string(i) + (s ? " ok" : " " + s.error().text()));
      });
      for (std::size_t i = 0; i < count; ++i) {
        const std::string name = "f" + std::to_string(i % 7 == 6 ? i - 1 : i) + ".pdf";
        if (i % 5 == 3) {
          saves.add(i, Error{"input " + std::to_string(i) + " is bad"});
          expected.push_back(std::to_string(i) + " input " + std::to_string(i) + " is bad");
        } else {
          saves.add(i, StageFile(folder / name, "page " + std::to_string(i), ExistingFile::Keep));
          // The earlier entry of that name, when it was staged, took the name first.
          const bool taken = i % 7 == 6 && (i - 1) % 5 != 3;
          if (!taken) contents[name] = "page " + std::to_string(i);
          expected.push_back(std::to_string(i) +
                             (taken ? " " + (folder / name).string() + ": exists already" : " ok"));
        }
        if (i % 16 == 0) std::this_thread::sleep_for(std::chrono::microseconds(200));
      }
      saves.finish();
      EXPECT_EQ(settled, expected) << count;
    }
    EXPECT_EQ(settled.size(), count);  // nothing settled twice by the destructor
    std::map<std::string, std::string> found;
    for (const auto& e : std::filesystem::directory_iterator(folder.path()))
      found[e.path().filename().string()] = test::readFile(e.path());
    EXPECT_EQ(found, contents) << count;  // no temporary file is left either
  }
}

// Leaving the scope without finish still commits and settles what was handed over.
TEST(GroupedSaves, TheDestructorCommitsWhatWaits) {
  test::TempFolder folder;
  std::vector<std::size_t> settled;
  {
    GroupedSaves saves([&](std::size_t i, const Status& s) {
      EXPECT_TRUE(s) << s.error().text();
      settled.push_back(i);
    });
    for (std::size_t i = 0; i < 3; ++i)
      saves.add(i, StageFile(folder / ("g" + std::to_string(i)), "x", ExistingFile::Replace));
  }
  EXPECT_EQ(settled, (std::vector<std::size_t>{0, 1, 2}));
  for (const char* name : {"g0", "g1", "g2"}) EXPECT_TRUE(std::filesystem::exists(folder / name));
}

TEST(ProgressLine, RewritesOneLineInPlace) {
  struct Case {
    const char* what;
    bool shown;
    std::vector<std::string> files;  // one step each; "!" writes a failure instead
    std::string expected;
  };
  const auto blank = [](std::size_t width) { return "\r" + std::string(width, ' ') + "\r\r"; };
  const Case cases[] = {
      {"hidden: failures only", false, {"a", "!", "b"}, "tracelink-cli: a failure\n"},
      {"steps", true, {"a", "bb"}, "\rrun 1/9 a\rrun 2/9 bb" + blank(10)},
      {"a shorter name blanks the rest",
       true,
       {"long-name", "s"},
       "\rrun 1/9 long-name\rrun 2/9 s" + std::string(8, ' ') + "\rrun 2/9 s" + blank(9)},
      {"a failure clears the line first",
       true,
       {"a", "!", "b"},
       "\rrun 1/9 a" + blank(9) + "tracelink-cli: a failure\n\rrun 3/9 b" + blank(9)},
      {"a name's line break stays on the line", true, {"x\ny"}, "\rrun 1/9 x\\ny" + blank(12)},
      {"nothing to clear", true, {}, ""},
  };
  for (const Case& c : cases) {
    std::ostringstream err;
    ProgressLine progress(err, "run", 9, c.shown);
    for (std::size_t i = 0; i < c.files.size(); ++i) {
      if (c.files[i] == "!") {
        progress.message("a failure");
      } else {
        progress.step(i + 1, c.files[i]);
      }
    }
    progress.clear();
    EXPECT_EQ(err.str(), c.expected) << c.what;
  }
}

TEST(ProgressLine, NeverShownOnACallersStream) {
  std::ostringstream err;
  EXPECT_FALSE(showsProgress(err));
}

}  // namespace
}  // namespace tracelink::cli
