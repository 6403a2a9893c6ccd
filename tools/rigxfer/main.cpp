// rigxfer: keeps the logbook's radio transfer file up to date from a radio through
// hamlib, directly or through a running rigctld.
#include <poll.h>
#include <signal.h>

#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "common/fatal.h"
#include "common/version.h"
#include "tools/rigxfer/options.h"
#include "tools/rigxfer/radio_link.h"

namespace {

constexpr const char* kUsage =
    "Usage: rigxfer [OPTION]...\n"
    "Keeps the logbook's radio transfer file up to date with the frequency and\n"
    "mode of a radio, through hamlib or a running rigctld.\n"
    "  -m, --model=N         hamlib radio model (default 2: a rigctld; 1: a dummy)\n"
    "  -r, --rig-file=PATH   serial device, or HOST:PORT of the rigctld\n"
    "  -s, --serial-speed=N  serial speed in baud (default: the model's own)\n"
    "  -i, --interval=MS     poll interval in milliseconds (default 250)\n"
    "  -o, --output=FILE     the transfer file (default RIGXFER.OUT)\n"
    "  -H, --high-power      mark every contact as made with the amplifier\n"
    "      --once            ask the radio once and exit\n"
    "      --help            this text\n"
    "      --version         the version\n";

// Exit status of --once when the radio did not answer.
constexpr int kNoAnswer = 5;

volatile std::sig_atomic_t stopRequested = 0;

void onStopSignal(int) { stopRequested = 1; }

// The stop signals wait while the radio is being asked (an interrupted read would
// pass for a radio that does not answer) and arrive during the pause between looks.
int runBridge(const kivo::RigxferOptions& options) {
  kivo::RadioLink radio(options);
  if (!radio.setupError().empty()) {
    std::cerr << "rigxfer: " << radio.setupError() << "\n";
    return 1;
  }
  kivo::TransferFile file(options.output, options.highPower, std::cerr);
  sigset_t stops, waiting;
  sigemptyset(&stops);
  for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stops, s);
  sigprocmask(SIG_BLOCK, &stops, &waiting);
  struct sigaction action = {};
  action.sa_handler = onStopSignal;  // without SA_RESTART, so that the pause ends at once
  sigemptyset(&action.sa_mask);
  for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaction(s, &action, nullptr);
  // A rigctld that went away must not end us when we write to its socket.
  std::signal(SIGPIPE, SIG_IGN);
  const timespec pause = {options.intervalMs / 1000, (options.intervalMs % 1000) * 1000000L};
  while (!stopRequested) {
    const bool answered = kivo::pollRadio(radio, file);
    if (options.once) return answered ? 0 : kNoAnswer;
    ::ppoll(nullptr, 0, &pause, &waiting);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string error;
  const kivo::RigxferOptions options =
      kivo::parseRigxferOptions(std::vector<std::string>(argv + 1, argv + argc), error);
  if (!error.empty()) {
    std::cerr << "rigxfer: " << error << "\nTry 'rigxfer --help'.\n";
    return 1;
  }
  if (options.action == kivo::RigxferOptions::Action::kHelp) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (options.action == kivo::RigxferOptions::Action::kVersion) {
    std::printf("rigxfer %s\n", kivo::kProgramVersion);
    return 0;
  }
  try {
    return runBridge(options);
  } catch (const kivo::RuntimeError& e) {
    std::cerr << kivo::errorMessage(e) << "\n";
    return e.number();
  }
}
