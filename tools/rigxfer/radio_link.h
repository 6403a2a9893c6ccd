#pragma once
// The radio through hamlib, and one look at it that keeps the transfer file current.
#include <string>

#include "tools/rigxfer/options.h"
#include "tools/rigxfer/transfer_file.h"

struct s_rig;  // hamlib's RIG

namespace kivo {

// A radio of a hamlib model, opened when it is first asked and closed again when it
// stops answering, so that the next look opens it afresh: a rigctld that was
// restarted, or a USB serial adapter plugged in again, is found without a restart.
class RadioLink {
 public:
  explicit RadioLink(const RigxferOptions& options);
  ~RadioLink();
  RadioLink(const RadioLink&) = delete;
  RadioLink& operator=(const RadioLink&) = delete;

  // Empty when the model exists and takes the options; otherwise why it does not.
  const std::string& setupError() const { return setupError_; }
  // Frequency and mode of the current VFO; false with the reason when the radio
  // does not answer.
  bool read(RadioReading& reading, std::string& reason);
  // Opens the radio now; false with the reason when it cannot be opened.
  bool open(std::string& reason);
  void close();
  // The hamlib handle, for the tests that tune hamlib's dummy radio.
  s_rig* rig() { return rig_; }

 private:
  s_rig* rig_ = nullptr;
  bool open_ = false;
  std::string setupError_;
};

// Asks the radio once and hands the answer, or its silence, to the file. True when
// the radio answered.
bool pollRadio(RadioLink& radio, TransferFile& file);

}  // namespace kivo
