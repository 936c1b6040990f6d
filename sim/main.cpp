// vantrel-sim: the simulated line sensor on a pseudo-terminal.
#include <getopt.h>
#include <signal.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "sim/config.h"
#include "sim/parameters.h"
#include "sim/pty.h"
#include "sim/replay_script.h"
#include "sim/server.h"

namespace {

const char kUsage[] =
    "Usage: vantrel-sim [options]\n"
    "\n"
    "Simulated optical line sensor on a pseudo-terminal, answering the 36-byte\n"
    "request frames of the serial protocol (orders 1..10) at 19200 baud. Point the\n"
    "tool at it with VANTREL_COM1=<device or link>.\n"
    "\n"
    "Line and sensor:\n"
    "  --link PATH          make PATH a symlink to the pty's slave device (a stale\n"
    "                       symlink is replaced, any other file is refused)\n"
    "  --ccd-type N         CCD type 1 (1024 px, 7.8 um), 2 (1024 px, 25 um),\n"
    "                       3 (512 px, 25 um); default 1\n"
    "  --unpaced            answer at once instead of at the line's 19200 baud\n"
    "  --eeprom FILE        keep the EEPROM in FILE (16 lines, one value each);\n"
    "                       a missing or corrupt file gives the defaults\n"
    "  --seed N             seed of the noise and the random fault bytes; default 1\n"
    "  --firmware TEXT      firmware text of order 7 (at most 72 characters)\n"
    "  --still              the object stands still in the middle of the line\n"
    "  --noise N            RMS video noise in counts; default 4\n"
    "  --log                print one line per request: time, order, the 16 words\n"
    "  --replay FILE        answer each request with what the trace FILE recorded\n"
    "                       after the same order (the n-th request of an order gets\n"
    "                       the n-th recorded answer), its first byte after the\n"
    "                       recorded response time, the rest paced at 19200 baud\n"
    "                       (all at once with --unpaced); a request the trace cannot\n"
    "                       answer is reported on standard error and gets nothing;\n"
    "                       not with the fault switches\n"
    "\n"
    "Faults (any combination):\n"
    "  --silent             handle requests but never answer\n"
    "  --wrong-sync         36-byte replies start 00 55 instead of 00 AA\n"
    "  --wrong-echo         36-byte replies echo the order code minus one\n"
    "  --drop-every N       leave every N-th reply out\n"
    "  --delay-ms N         send each reply N ms late\n"
    "  --dribble            send reply bytes one at a time with a gap\n"
    "  --dribble-gap-us N   the gap for --dribble, microseconds; default 2000\n"
    "  --trailing N         send N extra bytes (0xEE) after every reply\n"
    "  --garbage-every N    send 1..16 random bytes before every N-th reply\n"
    "  --hangup-after N     hang the line up after N requests (the device vanishes)\n"
    "  --store-changed-word N  a write to RAM or EEPROM stores parameter word N\n"
    "                       (0..15) one higher than sent\n"
    "\n"
    "  --version            the version, then exit\n"
    "  --help               this text\n"
    "\n"
    "Stops on SIGINT or SIGTERM and removes its link.\n";

sim::Server* g_server = nullptr;

void OnSignal(int) {
  if (g_server) g_server->Stop();
}

bool ParseCount(const char* text, long max, int* value) {
  errno = 0;
  char* end = nullptr;
  const long v = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || v < 0 || v > max) return false;
  *value = static_cast<int>(v);
  return true;
}

enum Option {
  kLink = 1000,
  kCcdType,
  kUnpaced,
  kEeprom,
  kSeed,
  kFirmware,
  kStill,
  kNoise,
  kLog,
  kReplay,
  kSilent,
  kWrongSync,
  kWrongEcho,
  kDropEvery,
  kDelayMs,
  kDribble,
  kDribbleGap,
  kTrailing,
  kGarbageEvery,
  kHangupAfter,
  kStoreChangedWord,
  kHelp,
  kVersion,
};

}  // namespace

int main(int argc, char** argv) {
  static const option kOptions[] = {
      {"link", required_argument, nullptr, kLink},
      {"ccd-type", required_argument, nullptr, kCcdType},
      {"unpaced", no_argument, nullptr, kUnpaced},
      {"eeprom", required_argument, nullptr, kEeprom},
      {"seed", required_argument, nullptr, kSeed},
      {"firmware", required_argument, nullptr, kFirmware},
      {"still", no_argument, nullptr, kStill},
      {"noise", required_argument, nullptr, kNoise},
      {"log", no_argument, nullptr, kLog},
      {"replay", required_argument, nullptr, kReplay},
      {"silent", no_argument, nullptr, kSilent},
      {"wrong-sync", no_argument, nullptr, kWrongSync},
      {"wrong-echo", no_argument, nullptr, kWrongEcho},
      {"drop-every", required_argument, nullptr, kDropEvery},
      {"delay-ms", required_argument, nullptr, kDelayMs},
      {"dribble", no_argument, nullptr, kDribble},
      {"dribble-gap-us", required_argument, nullptr, kDribbleGap},
      {"trailing", required_argument, nullptr, kTrailing},
      {"garbage-every", required_argument, nullptr, kGarbageEvery},
      {"hangup-after", required_argument, nullptr, kHangupAfter},
      {"store-changed-word", required_argument, nullptr, kStoreChangedWord},
      {"help", no_argument, nullptr, kHelp},
      {"version", no_argument, nullptr, kVersion},
      {nullptr, 0, nullptr, 0},
  };

  sim::Config config;
  std::string link;
  std::string replay_path;
  int value = 0;
  const long kMaxCount = 1000000;
  auto bad = [](const char* name, const char* text) {
    std::fprintf(stderr, "vantrel-sim: bad value for --%s: '%s'\n", name, text);
    return 2;
  };
  for (;;) {
    const int c = getopt_long(argc, argv, "h", kOptions, nullptr);
    if (c == -1) break;
    switch (c) {
      case kLink:
        link = optarg;
        break;
      case kCcdType:
        if (!ParseCount(optarg, 3, &value) || !sim::IsCcdType(value))
          return bad("ccd-type", optarg);
        config.ccd_type = value;
        break;
      case kUnpaced:
        config.paced = false;
        break;
      case kEeprom:
        config.eeprom_path = optarg;
        break;
      case kSeed: {
        errno = 0;
        char* end = nullptr;
        const unsigned long long seed = std::strtoull(optarg, &end, 10);
        if (errno != 0 || end == optarg || *end != '\0') return bad("seed", optarg);
        config.seed = seed;
        break;
      }
      case kFirmware:
        config.firmware = optarg;
        if (config.firmware.size() > sim::kFirmwareChars) {
          std::fprintf(stderr, "vantrel-sim: firmware text cut to %zu characters\n",
                       sim::kFirmwareChars);
          config.firmware.resize(sim::kFirmwareChars);
        }
        break;
      case kStill:
        config.scene.drift = 0;
        break;
      case kNoise:
        if (!ParseCount(optarg, 1023, &value)) return bad("noise", optarg);
        config.scene.noise = value;
        break;
      case kLog:
        config.log = true;
        break;
      case kReplay:
        replay_path = optarg;
        break;
      case kSilent:
        config.faults.silent = true;
        break;
      case kWrongSync:
        config.faults.wrong_sync = true;
        break;
      case kWrongEcho:
        config.faults.wrong_echo = true;
        break;
      case kDropEvery:
        if (!ParseCount(optarg, kMaxCount, &config.faults.drop_every))
          return bad("drop-every", optarg);
        break;
      case kDelayMs:
        if (!ParseCount(optarg, 3600000, &config.faults.delay_ms)) return bad("delay-ms", optarg);
        break;
      case kDribble:
        config.faults.dribble = true;
        break;
      case kDribbleGap:
        if (!ParseCount(optarg, 1000000, &config.faults.dribble_gap_us)) {
          return bad("dribble-gap-us", optarg);
        }
        break;
      case kTrailing:
        if (!ParseCount(optarg, 4096, &config.faults.trailing)) return bad("trailing", optarg);
        break;
      case kGarbageEvery:
        if (!ParseCount(optarg, kMaxCount, &config.faults.garbage_every)) {
          return bad("garbage-every", optarg);
        }
        break;
      case kHangupAfter:
        if (!ParseCount(optarg, kMaxCount, &config.faults.hangup_after)) {
          return bad("hangup-after", optarg);
        }
        break;
      case kStoreChangedWord:
        if (!ParseCount(optarg, 15, &config.faults.store_changed_word)) {
          return bad("store-changed-word", optarg);
        }
        break;
      case kVersion:
        std::puts("vantrel-sim " VANTREL_VERSION);
        return 0;
      case kHelp:
      case 'h':
        std::fputs(kUsage, stdout);
        return 0;
      default:
        std::fputs("Try 'vantrel-sim --help'.\n", stderr);
        return 2;
    }
  }
  if (optind < argc) {
    std::fprintf(stderr, "vantrel-sim: unexpected argument '%s'\nTry 'vantrel-sim --help'.\n",
                 argv[optind]);
    return 2;
  }

  // A trace that cannot be replayed is refused before the device appears.
  if (!replay_path.empty()) {
    if (!(config.faults == sim::Faults{})) {
      std::fprintf(stderr, "vantrel-sim: the fault switches do not combine with --replay\n");
      return 2;
    }
    std::string error;
    if (!sim::LoadReplayScript(replay_path, &config.replay, &error)) {
      std::fprintf(stderr, "vantrel-sim: %s\n", error.c_str());
      return 2;
    }
  }

  sim::Server server(config);
  sim::PtyEnds pty;
  std::string error;
  if (!sim::OpenPty(&pty, &error)) {
    std::fprintf(stderr, "vantrel-sim: %s\n", error.c_str());
    return 1;
  }
  if (!link.empty() && !sim::MakeLink(link, pty.slave_path, &error)) {
    std::fprintf(stderr, "vantrel-sim: %s\n", error.c_str());
    sim::ClosePty(&pty);
    return 1;
  }
  server.Attach(pty.master, pty.keeper);

  g_server = &server;
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);

  if (link.empty()) {
    std::printf("vantrel-sim: sensor on %s\n", pty.slave_path.c_str());
  } else {
    std::printf("vantrel-sim: sensor on %s -> %s\n", link.c_str(), pty.slave_path.c_str());
  }
  const char* pacing = config.paced ? "paced at 19200 baud" : "unpaced";
  if (config.replay) {
    std::printf("vantrel-sim: replaying %s (%zu requests of %zu orders), %s\n", replay_path.c_str(),
                config.replay->RequestCount(), config.replay->OrderCount(), pacing);
  } else {
    std::printf("vantrel-sim: CCD type %d (%d pixels), %s\n", config.ccd_type,
                sim::CcdPixels(config.ccd_type), pacing);
  }
  std::fflush(stdout);

  const sim::Server::End end = server.Run();
  g_server = nullptr;
  if (!link.empty()) sim::RemoveLink(link, pty.slave_path);
  switch (end) {
    case sim::Server::End::kStopped:
      std::printf("vantrel-sim: stopped\n");
      return 0;
    case sim::Server::End::kHungUp:
      return 0;
    case sim::Server::End::kFailed:
      std::fprintf(stderr, "vantrel-sim: %s\n", server.LastError().c_str());
      return 1;
  }
  return 0;
}
