#include "tools/rigxfer/transfer_file.h"

#include <cstdio>
#include <utility>

#include "common/files.h"
#include "tools/rigxfer/transfer_text.h"

namespace kivo {

TransferFile::TransferFile(std::string name, bool highPower, std::ostream& err)
    : name_(std::move(name)), highPower_(highPower), err_(err) {}

bool TransferFile::answered(const RadioReading& reading) {
  const std::string text = transferText(reading.hz, reading.mode, highPower_);
  if (text.empty()) {
    char hz[48];
    std::snprintf(hz, sizeof hz, "%g", reading.hz);
    silent(std::string("it reported ") + hz + " Hz");
    return false;
  }
  if (silent_) {
    err_ << "rigxfer: the radio answers again" << std::endl;
    silent_ = false;
  }
  if (text != written_) {
    writeFileAtomically(name_, text);
    written_ = text;
  }
  return true;
}

void TransferFile::silent(const std::string& reason) {
  if (silent_) return;
  silent_ = true;
  err_ << "rigxfer: the radio does not answer (" << reason << "); " << name_ << " is left as it is" << std::endl;
}

}  // namespace kivo
