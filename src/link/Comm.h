// TThreadComm: the serial port component. It opens one device by name (through a
// SerialDeviceFactory), applies line settings and time-outs, reads and writes, controls
// the modem lines, and turns the device's events into calls of its handlers. TComm is the
// same component under the name the windows use; the cache manager owns the one instance.
//
// Threads. Every operation and every handler runs on the user-interface thread. Device
// events are watched by that thread's own event loop (the device's descriptor among those
// the message pump waits on for termios devices, a window timer for the simulated device),
// so handlers run one at a time, in order, whenever that thread processes pending events.
//
// Closing. Close stops the watcher, also from inside a handler (e.g. from OnLost): no
// handler runs after Close has returned, and nothing waits for another thread. See
// TCommEventWatch.
//
// A failed device (adapter pulled, the far side of a pseudo-terminal closed, I/O errors)
// is reported once through OnLost; the watcher ends then. The component stays open until
// its owner closes it; transfers on the lost device return short counts.
//
// Line settings the device cannot apply (a rate the platform does not offer, 4 data bits)
// raise "Error updating DataControlBlock (Error: 22)".
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "link/CommEventChars.h"
#include "link/CommTypes.h"
#include "link/SerialDevice.h"

namespace orvane {

namespace ui {
class Backend;
}

// The device functions of EscapeComm.
enum class EscapeFunction { SetDtr, ClrDtr, SetRts, ClrRts, SetBreak, ClrBreak, SetXon, SetXoff };

class TThreadComm {
 public:
  using TNotifyEvent = std::function<void(TThreadComm& sender)>;
  using TCommErrorEvent = std::function<void(TThreadComm& sender, int errors)>;
  using TCommRxCharEvent = std::function<void(TThreadComm& sender, std::uint32_t count)>;
  using TComStatEvent =
      std::function<void(TThreadComm& sender, std::uint32_t eventMask, const TComStat& status)>;

  TThreadComm(ui::Backend& backend, SerialDeviceFactory& devices);
  virtual ~TThreadComm();
  ui::Backend& backend() { return backend_; }
  TThreadComm(const TThreadComm&) = delete;
  TThreadComm& operator=(const TThreadComm&) = delete;

  // ---- published properties ----
  // Changed only while closed.
  const std::string& DeviceName() const { return deviceName_; }
  void SetDeviceName(const std::string& name);
  std::uint16_t ReadBufSize() const { return readBufSize_; }
  void SetReadBufSize(std::uint16_t size);
  std::uint16_t WriteBufSize() const { return writeBufSize_; }
  void SetWriteBufSize(std::uint16_t size);
  std::uint32_t SuspendTime() const { return suspendTime_; }
  void SetSuspendTime(std::uint32_t time);
  TCommEventTypes MonitorEvents() const { return monitorEvents_; }
  void SetMonitorEvents(TCommEventTypes events);
  // Stored only; the device's time-outs are fixed at open.
  std::uint32_t ReadTimeout() const { return readTimeout_; }
  void SetReadTimeout(std::uint32_t ms) { readTimeout_ = ms; }
  std::uint32_t WriteTimeout() const { return writeTimeout_; }
  void SetWriteTimeout(std::uint32_t ms) { writeTimeout_ = ms; }
  // Applied at once when open (may raise the line-settings error).
  TBaudRate BaudRate() const { return baudRate_; }
  void SetBaudRate(TBaudRate rate);
  TParity Parity() const { return parity_; }
  void SetParity(TParity parity);
  TStopBits StopBits() const { return stopBits_; }
  void SetStopBits(TStopBits bits);
  TDataBits DataBits() const { return dataBits_; }
  void SetDataBits(TDataBits bits);
  TCommEventChars& EventChars() { return eventChars_; }
  void SetEventChars(const TCommEventChars& chars);
  TCommOptions Options() const { return options_; }
  void SetOptions(TCommOptions options);
  // Stored; the line settings are re-applied but carry no flow control.
  TFlowControl FlowControl() const { return flowControl_; }
  void SetFlowControl(TFlowControl flow);

  // ---- handlers (user-interface thread) ----
  TNotifyEvent OnBreak, OnCts, OnDsr, OnRing, OnRlsd;
  TCommErrorEvent OnError;
  TCommRxCharEvent OnRxChar;
  TNotifyEvent OnRxFlag, OnTxEmpty;
  TComStatEvent OnComStatEvent;
  // The device failed; called once per opening, and no other handler follows.
  TNotifyEvent OnLost;

  // ---- operations ----
  void Open();
  void Close();
  bool Enabled() const { return device_ != nullptr; }
  // Bytes written, or -1 when closed.
  int Write(const char* data, int count);
  // Bytes read (those waiting, at most count), or -1 when closed; count 0 reads nothing.
  int Read(char* buffer, int count);
  int InQueCount();
  int OutQueCount();
  void PurgeIn();
  void PurgeOut();
  // Waits until the written bytes have left (the cache manager's flush after a write).
  void FlushBuffers();
  void SetDTRState(bool on);
  void SetRTSState(bool on);
  void SetBREAKState(bool on);
  void SetXONState(bool on);
  // 1 CTS, 2 DSR, 3 ring, 4 carrier detect; false when closed.
  bool GetModemState(int index);
  // 2 DSR hold, 3 carrier-detect hold, 4 XOff hold, 5 XOff sent, else CTS hold.
  bool GetComState(int index);
  void Lock();
  void Unlock();
  void CheckOpen();
  void UpdateDataControlBlock();
  void UpdateDataControlBlockLock();
  void UpdateCommTimeouts();
  void EscapeComm(EscapeFunction function);
  // Runs on the user-interface thread for each device event.
  void HandleCommEvent(std::uint32_t eventMask);

 protected:
  // Opens the device by DeviceName; leaves the component closed when that fails.
  virtual void CreateHandle();

 private:
  LineSettings CurrentLineSettings() const;

  ui::Backend& backend_;
  SerialDeviceFactory& devices_;
  std::unique_ptr<SerialDevice> device_;
  bool lostReported_ = false;
  std::uint64_t opening_ = 0;  // counts openings, so an event knows whether its port closed
  std::recursive_mutex lock_;

  std::string deviceName_ = "Com2";
  std::uint32_t readTimeout_ = 1000;
  std::uint32_t writeTimeout_ = 1000;
  std::uint16_t readBufSize_ = 4096;
  std::uint16_t writeBufSize_ = 2048;
  std::uint32_t suspendTime_ = 5;
  TCommEventTypes monitorEvents_ = kAllCommEvents;
  TBaudRate baudRate_ = TBaudRate::br9600;
  TParity parity_ = TParity::paNone;
  TStopBits stopBits_ = TStopBits::sb10;
  TDataBits dataBits_ = TDataBits::da8;
  TCommEventChars eventChars_{this};
  TCommOptions options_;
  TFlowControl flowControl_ = TFlowControl::fcDefault;
};

// The component as windows configure it; it adds no behaviour.
class TComm : public TThreadComm {
 public:
  using TThreadComm::TThreadComm;
};

}  // namespace orvane
