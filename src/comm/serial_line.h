// The serial port COMn with a modem on it. The device is named by VX_COM<n> in the environment,
// else /dev/ttyS<n-1>; it runs raw 8N1 at the speed of the line settings ("57600,N,8,1"). While
// the node has the port open it holds an open-file-description lock on the device, so a second
// node given the same port is told "Port already open!" instead of sharing it.
//
// Carrier comes from the carrier-detect line. A device without modem lines (a pseudo-terminal, as
// the tests' fake modem is) has carrier while it is open and its other end has not hung up.
// Hanging up is the node's own "+++" / "ATH0" (IsModemLine); closing the port also drops DTR
// unless SetHangUpOnClose(false) asked to keep the call.
#pragma once

#include <string>

#include "comm/descriptor_line.h"
#include "platform/environment.h"

namespace vx::comm {

// The device of COMn: VX_COM<n>, else /dev/ttyS<n-1>; empty for a port below 1.
std::string SerialDevicePath(int port, const platform::Environment& env);
// The speed of line settings such as "57600,N,8,1" (0 when they hold none).
long SettingsSpeed(const std::string& settings);

class SerialLine final : public DescriptorLine {
 public:
  SerialLine(platform::EventLoop& loop, const platform::Environment& env)
      : DescriptorLine(loop, -1), env_(env) {}

  bool CarrierDetect() const override;
  bool IsModemLine() const override { return true; }
  void DiscardInput() override;
  void SendBreak() override;
  void SetBreak(bool on) override;
  void SetHangUpOnClose(bool on) override;

  const std::string& device() const { return device_; }

 private:
  bool Attach(std::string& error) override;

  const platform::Environment& env_;
  std::string device_;
  bool modem_lines_ = false;
  bool hang_up_on_close_ = true;
};

}  // namespace vx::comm
