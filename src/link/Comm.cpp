#include "link/Comm.h"

#include <algorithm>
#include <mutex>
#include <utility>

#include "ui/Backend.h"

namespace orvane {

namespace {

constexpr int kNotOpenCode = -1;
constexpr int kMaxEventCharIndex = 5;

}  // namespace

TThreadComm::TThreadComm(ui::Backend& backend, SerialDeviceFactory& devices)
    : backend_(backend), devices_(devices) {}

TThreadComm::~TThreadComm() { Close(); }

// ---- properties ----

void TThreadComm::SetDeviceName(const std::string& name) {
  if (!Enabled() && name != deviceName_) deviceName_ = name;
}

void TThreadComm::SetReadBufSize(std::uint16_t size) {
  if (!Enabled() && size != readBufSize_) readBufSize_ = size;
}

void TThreadComm::SetWriteBufSize(std::uint16_t size) {
  if (!Enabled() && size != writeBufSize_) writeBufSize_ = size;
}

void TThreadComm::SetSuspendTime(std::uint32_t time) {
  if (!Enabled() && time != suspendTime_) suspendTime_ = time;
}

void TThreadComm::SetMonitorEvents(TCommEventTypes events) {
  if (!Enabled() && events != monitorEvents_) monitorEvents_ = events;
}

void TThreadComm::SetBaudRate(TBaudRate rate) {
  if (rate == baudRate_) return;
  baudRate_ = rate;
  UpdateDataControlBlockLock();
}

void TThreadComm::SetParity(TParity parity) {
  if (parity == parity_) return;
  parity_ = parity;
  UpdateDataControlBlockLock();
}

void TThreadComm::SetStopBits(TStopBits bits) {
  if (bits == stopBits_) return;
  stopBits_ = bits;
  UpdateDataControlBlockLock();
}

void TThreadComm::SetDataBits(TDataBits bits) {
  if (bits == dataBits_) return;
  dataBits_ = bits;
  UpdateDataControlBlockLock();
}

void TThreadComm::SetEventChars(const TCommEventChars& chars) {
  bool same = true;
  for (int index = 1; index <= kMaxEventCharIndex; ++index)
    same = same && chars.EventChar(index) == eventChars_.EventChar(index);
  if (same) return;
  eventChars_.Assign(chars);
  UpdateDataControlBlockLock();
}

void TThreadComm::SetOptions(TCommOptions options) {
  if (options == options_) return;
  options_ = options;
  UpdateDataControlBlockLock();
}

void TThreadComm::SetFlowControl(TFlowControl flow) {
  if (flow == flowControl_) return;
  flowControl_ = flow;
  UpdateDataControlBlockLock();
}

// ---- opening and closing ----

void TThreadComm::CreateHandle() {
  int errorCode = 0;
  device_ = devices_.open(deviceName_, errorCode);
  lostReported_ = false;
  ++opening_;
}

void TThreadComm::Open() {
  std::exception_ptr noted;
  {
    std::lock_guard scope(lock_);
    if (Enabled()) {
      noted = std::make_exception_ptr(CommError(comm_message::kPortAlreadyOpen, kNotOpenCode));
    } else {
      CreateHandle();
      if (Enabled()) {
        // These two raise at once: the device stays open without a watcher.
        UpdateCommTimeouts();
        UpdateDataControlBlock();
        if (int error = device_->setQueueSizes(readBufSize_, writeBufSize_); error != 0)
          noted = std::make_exception_ptr(CommError(comm_message::kBufferInit, error));
        device_->startEvents(EventMaskOf(monitorEvents_),
                             [this](std::uint32_t mask) { HandleCommEvent(mask); });
      }
    }
  }
  if (noted) std::rethrow_exception(noted);
}

void TThreadComm::Close() {
  if (!Enabled()) return;
  std::lock_guard scope(lock_);
  // Stopping never waits for this thread, so it is safe from inside a handler; the device
  // goes afterwards, which closes it.
  std::unique_ptr<SerialDevice> device = std::move(device_);
  device->stopEvents();
  device.reset();
}

// ---- transfers ----

int TThreadComm::Write(const char* data, int count) {
  if (!Enabled()) return -1;
  std::lock_guard scope(lock_);
  if (count <= 0) return 0;
  int written = device_->write(data, count);
  if (written < 0) {
    TComStat status;
    device_->clearErrors(status);
    return 0;
  }
  return written;
}

int TThreadComm::Read(char* buffer, int count) {
  if (!Enabled()) return -1;
  std::lock_guard scope(lock_);
  device_->clearErrorFlags();
  if (count <= 0) return 0;
  int read = device_->read(buffer, count);
  if (read < 0) {
    device_->clearErrorFlags();
    return 0;
  }
  return read;
}

int TThreadComm::InQueCount() {
  if (!Enabled()) return -1;
  return std::max(device_->inQueueCount(), 0);
}

int TThreadComm::OutQueCount() {
  if (!Enabled()) return -1;
  return std::max(device_->outQueueCount(), 0);
}

void TThreadComm::PurgeIn() {
  if (Enabled()) device_->purge(true, false);
}

void TThreadComm::PurgeOut() {
  if (Enabled()) device_->purge(false, true);
}

void TThreadComm::FlushBuffers() {
  if (Enabled()) device_->flush();
}

// ---- line state ----

void TThreadComm::SetDTRState(bool on) {
  EscapeComm(on ? EscapeFunction::SetDtr : EscapeFunction::ClrDtr);
}

void TThreadComm::SetRTSState(bool on) {
  EscapeComm(on ? EscapeFunction::SetRts : EscapeFunction::ClrRts);
}

void TThreadComm::SetBREAKState(bool on) {
  EscapeComm(on ? EscapeFunction::SetBreak : EscapeFunction::ClrBreak);
  if (Enabled()) {
    std::lock_guard scope(lock_);
    device_->purge(true, true);
  }
}

void TThreadComm::SetXONState(bool on) {
  EscapeComm(on ? EscapeFunction::SetXon : EscapeFunction::SetXoff);
}

void TThreadComm::EscapeComm(EscapeFunction function) {
  if (!Enabled()) throw CommError(comm_message::kPortNotOpen, kNotOpenCode);
  int error = 0;
  {
    std::lock_guard scope(lock_);
    switch (function) {
      case EscapeFunction::SetDtr: error = device_->setDtr(true); break;
      case EscapeFunction::ClrDtr: error = device_->setDtr(false); break;
      case EscapeFunction::SetRts: error = device_->setRts(true); break;
      case EscapeFunction::ClrRts: error = device_->setRts(false); break;
      case EscapeFunction::SetBreak: error = device_->setBreak(true); break;
      case EscapeFunction::ClrBreak: error = device_->setBreak(false); break;
      case EscapeFunction::SetXon: error = device_->setXon(true); break;
      case EscapeFunction::SetXoff: error = device_->setXon(false); break;
    }
  }
  if (error != 0) throw CommError(comm_message::kEscapeFailure, error);
}

bool TThreadComm::GetModemState(int index) {
  if (!Enabled() || index < 1 || index > 4) return false;
  return device_->modemLine(index);
}

bool TThreadComm::GetComState(int index) {
  if (!Enabled()) return false;
  TComStat status;
  device_->clearErrors(status);
  switch (index) {
    case 2: return status.dsrHold;
    case 3: return status.rlsdHold;
    case 4: return status.xoffHold;
    case 5: return status.xoffSent;
    default: return status.ctsHold;
  }
}

void TThreadComm::Lock() { lock_.lock(); }

void TThreadComm::Unlock() { lock_.unlock(); }

void TThreadComm::CheckOpen() {
  if (Enabled()) throw CommError(comm_message::kPortAlreadyOpen, kNotOpenCode);
}

// ---- settings ----

LineSettings TThreadComm::CurrentLineSettings() const {
  LineSettings settings;
  settings.baudRate = BaudRateValue(baudRate_);
  settings.dataBits = DataBitsValue(dataBits_);
  settings.parity = ParityValue(parity_);
  settings.stopBits = StopBitsValue(stopBits_);
  settings.parityCheck = options_.contains(TCommOption::coParityCheck);
  settings.nullStrip = options_.contains(TCommOption::coNullStrip);
  settings.xonChar = eventChars_.XOnChar();
  settings.xoffChar = eventChars_.XOffChar();
  settings.eventChar = eventChars_.EvtChar();
  return settings;
}

void TThreadComm::UpdateDataControlBlock() {
  if (!Enabled()) return;
  device_->setQueueSizes(readBufSize_, writeBufSize_);
  if (int error = device_->applyLineSettings(CurrentLineSettings()); error != 0)
    throw CommError(comm_message::kDataControlBlock, error);
}

void TThreadComm::UpdateDataControlBlockLock() {
  std::lock_guard scope(lock_);
  UpdateDataControlBlock();
}

void TThreadComm::UpdateCommTimeouts() {
  if (!Enabled()) return;
  DeviceTimeouts timeouts;
  timeouts.writeTotalPerByte = static_cast<std::uint32_t>(19200 / BaudRateValue(baudRate_));
  if (int error = device_->applyTimeouts(timeouts); error != 0)
    throw CommError(comm_message::kCommTimeouts, error);
}

// ---- events ----

void TThreadComm::HandleCommEvent(std::uint32_t eventMask) {
  if (!Enabled()) return;
  if ((eventMask & comm_event::kLost) != 0) {
    if (lostReported_) return;
    lostReported_ = true;
    if (OnLost) OnLost(*this);
    return;
  }
  TComStat status;
  const std::uint32_t errors = device_->clearErrors(status);
  // A handler may close the port (or close and reopen it): the rest of this event is
  // then dropped, so that no handler runs for a port that was closed.
  const std::uint64_t opening = opening_;
  auto wanted = [&](std::uint32_t bit) {
    return (eventMask & bit) != 0 && Enabled() && opening == opening_;
  };
  auto notify = [&](std::uint32_t bit, const TNotifyEvent& handler) {
    if (wanted(bit) && handler) handler(*this);
  };
  notify(comm_event::kBreak, OnBreak);
  notify(comm_event::kCts, OnCts);
  notify(comm_event::kDsr, OnDsr);
  if (wanted(comm_event::kError) && OnError) OnError(*this, static_cast<int>(errors));
  notify(comm_event::kRing, OnRing);
  notify(comm_event::kRlsd, OnRlsd);
  if (wanted(comm_event::kRxChar) && OnRxChar && status.inQueue > 0)
    OnRxChar(*this, status.inQueue);
  notify(comm_event::kRxFlag, OnRxFlag);
  notify(comm_event::kTxEmpty, OnTxEmpty);
  if (OnComStatEvent && Enabled() && opening == opening_) OnComStatEvent(*this, eventMask, status);
}

}  // namespace orvane
