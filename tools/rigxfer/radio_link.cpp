#include "tools/rigxfer/radio_link.h"

#include <hamlib/rig.h>

#include <string>

namespace kivo {

namespace {

// hamlib's text for an error code, without the line end it carries.
std::string hamlibError(int code) {
  std::string text = rigerror2(code);
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text.empty() ? "hamlib error " + std::to_string(code) : text;
}

bool setConf(RIG* rig, const char* name, const std::string& value) {
  const token_t token = rig_token_lookup(rig, name);
  return token != RIG_CONF_END && rig_set_conf(rig, token, value.c_str()) == RIG_OK;
}

}  // namespace

RadioLink::RadioLink(const RigxferOptions& options) {
  // hamlib reports on standard error by itself; rigxfer tells of outages in one line.
  rig_set_debug(RIG_DEBUG_NONE);
  rig_ = rig_init(static_cast<rig_model_t>(options.model));
  if (!rig_) {
    setupError_ = "hamlib has no radio model " + std::to_string(options.model);
    return;
  }
  if (!options.rigPath.empty() && !setConf(rig_, "rig_pathname", options.rigPath)) {
    setupError_ = "radio model " + std::to_string(options.model) + " does not take the path " + options.rigPath;
  } else if (options.serialSpeed > 0 && !setConf(rig_, "serial_speed", std::to_string(options.serialSpeed))) {
    setupError_ = "radio model " + std::to_string(options.model) + " does not take the serial speed " +
                  std::to_string(options.serialSpeed);
  }
}

RadioLink::~RadioLink() {
  close();
  if (rig_) rig_cleanup(rig_);
}

bool RadioLink::open(std::string& reason) {
  if (open_) return true;
  if (!rig_ || !setupError_.empty()) {
    reason = setupError_;
    return false;
  }
  const int rc = rig_open(rig_);
  if (rc != RIG_OK) {
    reason = hamlibError(rc);
    return false;
  }
  open_ = true;
  return true;
}

void RadioLink::close() {
  if (open_) rig_close(rig_);
  open_ = false;
}

bool RadioLink::read(RadioReading& reading, std::string& reason) {
  if (!open(reason)) return false;
  freq_t hz = 0;
  rmode_t mode = RIG_MODE_NONE;
  pbwidth_t width = 0;
  int rc = rig_get_freq(rig_, RIG_VFO_CURR, &hz);
  if (rc == RIG_OK) rc = rig_get_mode(rig_, RIG_VFO_CURR, &mode, &width);
  if (rc != RIG_OK) {
    reason = hamlibError(rc);
    close();
    return false;
  }
  reading.hz = hz;
  const char* name = rig_strrmode(mode);
  reading.mode = name ? name : "";
  return true;
}

bool pollRadio(RadioLink& radio, TransferFile& file) {
  RadioReading reading;
  std::string reason;
  if (!radio.read(reading, reason)) {
    file.silent(reason);
    return false;
  }
  return file.answered(reading);
}

}  // namespace kivo
