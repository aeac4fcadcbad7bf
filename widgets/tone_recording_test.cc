// The tones as a listener hears them: a private PulseAudio server with a
// null sink, its monitor recorded while tallies sound through the player, and
// the recording taken apart into tones.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <fstream>
#include <iostream>
#include <iterator>
#include <numbers>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/temp_dir.h"
#include "widgets/tone_player.h"
#include "widgets/tone_queue.h"

extern char** environ;

namespace woodtick {
namespace {

using std::chrono::milliseconds;
constexpr int kRate = TonePlayer::kSampleRate;

// A program run in the background with its output going to files; ended
// with `signal` when the object goes.
class Child {
 public:
  Child(std::vector<std::string> argv, const std::string& out, const std::string& err) {
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&files, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> args;
    for (std::string& arg : argv) args.push_back(arg.data());
    args.push_back(nullptr);
    if (posix_spawnp(&pid_, args[0], &files, nullptr, args.data(), environ) != 0) pid_ = 0;
    posix_spawn_file_actions_destroy(&files);
  }
  ~Child() { Stop(SIGTERM); }

  bool started() const { return pid_ != 0; }
  bool running() { return pid_ != 0 && waitpid(pid_, nullptr, WNOHANG) == 0; }
  void Stop(int signal) {
    if (pid_ == 0) return;
    kill(pid_, signal);
    for (int i = 0; i < 200 && waitpid(pid_, nullptr, WNOHANG) == 0; ++i) {
      std::this_thread::sleep_for(milliseconds(10));
    }
    if (waitpid(pid_, nullptr, WNOHANG) == 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    pid_ = 0;
  }

 private:
  pid_t pid_ = 0;
};

template <typename Ready>
bool WaitFor(Ready ready) {
  for (int i = 0; i < 500; ++i) {
    if (ready()) return true;
    std::this_thread::sleep_for(milliseconds(10));
  }
  return false;
}

off_t FileSize(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 ? info.st_size : -1;
}

std::string Tail(const std::string& path) {
  std::ifstream in(path);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return text.substr(text.size() > 300 ? text.size() - 300 : 0);
}

struct Heard {
  size_t start;
  size_t end;  // one past the last sounding sample
  double frequency_hz;
  double length_ms() const { return 1000.0 * (end - start) / kRate; }
};

// The pitch of pcm[start, end) from its rising zero crossings: whole cycles
// over their time.
double Pitch(const std::vector<int16_t>& pcm, size_t start, size_t end) {
  std::vector<size_t> rising;
  for (size_t i = start + 1; i < end; ++i) {
    if (pcm[i - 1] < 0 && pcm[i] >= 0) rising.push_back(i);
  }
  if (rising.size() < 2) return 0;
  return (rising.size() - 1) * double{kRate} / (rising.back() - rising.front());
}

// The tones in a recording: stretches where the level (the largest sample
// within a third of a millisecond either side, which spans half a cycle of
// any tone above 750 Hz) stays above a twentieth of the loudest. A tone's
// fades dip below that for about a millisecond, so tones played back to back
// are told apart; the edges lose under a millisecond of each tone.
std::vector<Heard> FindTones(const std::vector<int16_t>& pcm, int peak) {
  const size_t reach = kRate / 3000;
  auto loud = [&](size_t i) {
    const auto from = pcm.begin() + (i > reach ? i - reach : 0);
    const auto to = pcm.begin() + std::min(pcm.size(), i + reach + 1);
    return std::any_of(from, to, [&](int16_t sample) { return std::abs(sample) * 20 > peak; });
  };
  std::vector<Heard> tones;
  for (size_t i = 0; i < pcm.size(); ++i) {
    if (!loud(i)) continue;
    const size_t start = i;
    while (i < pcm.size() && loud(i)) ++i;
    tones.push_back({start, i, Pitch(pcm, start, i)});
  }
  return tones;
}

constexpr Tone kCount{1000, 250};
const std::vector<Tone> kHit{{1000, 250}, {800, 200}, {1000, 300}};

TEST(ToneRecordingTest, EachCountSoundsOneToneAndEachHitThreeWithoutClicks) {
  TempDir dir;
  ASSERT_FALSE(dir.path().empty());
  // The server, the recorder and the player meet only here.
  setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
  setenv("HOME", dir.path().c_str(), 1);
  setenv("PULSE_SERVER", ("unix:" + dir.File("native")).c_str(), 1);
  Child server({"pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
                "--log-target=stderr", "-L",
                // Without rewinds the monitor holds exactly what is played: a
                // rewind lets a new stream start at once over sound the sink
                // has already rendered, and the monitor, which passed that
                // sound on as silence, would lose the stream's start.
                "module-null-sink sink_name=tones rate=48000 channels=1 format=s16le norewinds=1",
                "-L", "module-native-protocol-unix auth-anonymous=1 socket=" + dir.File("native")},
               "/dev/null", dir.File("server.log"));
  if (!WaitFor([&] { return FileSize(dir.File("native")) >= 0 || !server.running(); }) ||
      !server.running()) {
    GTEST_SKIP() << "no PulseAudio server could be started here: " << Tail(dir.File("server.log"));
  }
  Child recorder({"parec", "--device=tones.monitor", "--format=s16le", "--rate=48000",
                  "--channels=1", "--latency-msec=20"},
                 dir.File("monitor.raw"), dir.File("parec.log"));
  if (!WaitFor([&] { return FileSize(dir.File("monitor.raw")) > 0 || !recorder.running(); }) ||
      !recorder.running()) {
    GTEST_SKIP() << "parec could not record the null sink: " << Tail(dir.File("parec.log"));
  }

  // 50 tallies, HITs among them by chance (a fixed seed), each heard out
  // before the next.
  std::minstd_rand chance(18);
  std::vector<std::vector<Tone>> tallies;
  {
    TonePlayer player;
    for (int i = 0; i < 50; ++i) {
      tallies.push_back(chance() % 3 == 0 ? kHit : std::vector<Tone>{kCount});
      for (const Tone& tone : tallies.back()) player.Play(tone.frequency_hz, tone.duration_ms);
      ASSERT_TRUE(WaitFor([&] { return player.pending() == 0; })) << "tally " << i;
      std::this_thread::sleep_for(milliseconds(40));
    }
  }
  std::this_thread::sleep_for(milliseconds(200));
  recorder.Stop(SIGINT);

  std::ifstream in(dir.File("monitor.raw"), std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<int16_t> pcm(bytes.size() / 2);
  std::copy_n(bytes.data(), pcm.size() * 2, reinterpret_cast<char*>(pcm.data()));
  int peak = 0;
  int jump = 0;
  for (size_t i = 1; i < pcm.size(); ++i) {
    peak = std::max(peak, std::abs(static_cast<int>(pcm[i])));
    jump = std::max(jump, std::abs(pcm[i] - pcm[i - 1]));
  }
  ASSERT_GT(peak, 1000) << "nothing was heard";

  // A tally's tones follow each other within the fades; tallies lie 40 ms
  // and more apart.
  const std::vector<Heard> tones = FindTones(pcm, peak);
  std::vector<std::vector<Heard>> heard;
  for (size_t i = 0; i < tones.size(); ++i) {
    if (i == 0 || tones[i].start - tones[i - 1].end > kRate / 100) heard.emplace_back();
    heard.back().push_back(tones[i]);
  }
  ASSERT_EQ(heard.size(), tallies.size());
  double shortest = 1e9, longest = -1e9;  // heard length less the asked
  double lowest = 1e9, highest = -1e9;    // heard pitch less the asked
  for (size_t t = 0; t < tallies.size(); ++t) {
    SCOPED_TRACE("tally " + std::to_string(t));
    ASSERT_EQ(heard[t].size(), tallies[t].size());
    for (size_t k = 0; k < tallies[t].size(); ++k) {
      const double off_hz = heard[t][k].frequency_hz - tallies[t][k].frequency_hz;
      const double off_ms = heard[t][k].length_ms() - tallies[t][k].duration_ms;
      EXPECT_NEAR(off_hz, 0, 2) << "tone " << k;
      EXPECT_NEAR(off_ms, 0, 1.5) << "tone " << k;
      shortest = std::min(shortest, off_ms), longest = std::max(longest, off_ms);
      lowest = std::min(lowest, off_hz), highest = std::max(highest, off_hz);
    }
  }
  // No click: no step between samples steeper than the highest tone's own
  // at the loudest level, with a tenth to spare for rounding.
  const double allowed = 1.1 * peak * 2 * std::numbers::pi * 1000 / kRate;
  EXPECT_LE(jump, allowed);
  std::cout << "heard " << tones.size() << " tones in " << heard.size() << " tallies; pitch off by "
            << lowest << " to " << highest << " Hz, length by " << shortest << " to " << longest
            << " ms; largest step " << jump << " of " << static_cast<int>(allowed)
            << " allowed (peak " << peak << ")\n";
}

}  // namespace
}  // namespace woodtick
