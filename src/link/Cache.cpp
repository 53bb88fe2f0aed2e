#include "link/Cache.h"

#include <algorithm>

#include "link/AstroTime.h"
#include "text/NumberText.h"
#include "ui/Backend.h"

namespace orvane {

namespace {

constexpr int kWindowWidth = 212;
constexpr int kWindowHeight = 314;
constexpr size_t kReceivedLogLimit = 500;
constexpr int kShowCacheWindowBit = 2;
constexpr int kPortBufferSize = 60;
constexpr int kReceiveBufferSize = 500;
constexpr int kPollStepMs = 5;
constexpr int kSettleAfterWriteMs = 40;
constexpr int kAnnouncementPauseMs = 50;
// A reply time-out of 0 would wait for ever; such a wait is bounded to this.
constexpr int kShortestReplyTimeoutMs = 50;
// Quiet time after which a reply without "#" counts as complete: longer than the gaps a
// USB serial adapter leaves inside one reply (its latency timer, 16 ms by default).
constexpr int kReplyQuietMs = 20;

bool writableWhileNotConnected(const std::string& command) {
  return command == ":GV#" || command == "\x06" || command == "bW#" || command == "bC#" ||
         command == "bR#";
}

int readInteger(const std::string& text) {
  long long value = 0;
  if (!TryParseInteger(text, value) || value < 0) return 0;
  return static_cast<int>(std::min<long long>(value, 1 << 30));
}

}  // namespace

int MillisecondsOfField(std::string_view fieldText) {
  // A field left empty shows only blanks; it counts as empty, not as 0.
  if (fieldText.find_first_not_of(' ') == std::string_view::npos) return 1000;
  return readInteger(BlanksAsZeros(std::string(fieldText)));
}

int CacheDelayTicks(std::string_view fieldText) {
  std::string text(fieldText);
  while (text.size() < 4) text.insert(text.begin(), '0');
  return readInteger(BlanksAsZeros(text)) / 1000;
}

TCache::TCache(ui::Backend& backend, SerialDeviceFactory& devices, int applicationTag,
               ControllerState& controller, CacheFields fields, const ClockFields& sheetFields)
    : ui::Form(backend, "Cache"),
      Timer(backend, 1000, true),
      TimeOutTimer(backend, 1000, false),
      Comm1(backend, devices),
      controller_(controller),
      fields_(fields),
      sheetFields_(sheetFields) {
  ui::Backend& b = backend;
  setText("Cache Manager");
  setStayOnTop(true);
  setColor(ui::kMaroon);
  ui::Size screen = b.screenSize();
  setBounds(screen.width - kWindowWidth, 0, kWindowWidth, kWindowHeight);
  OutCache = std::make_unique<ui::ListBox>(b, this, "OutCache");
  OutCache->setBounds(8, 8, 190, 129);
  InCache = std::make_unique<ui::ListBox>(b, this, "InCache");
  InCache->setBounds(8, 144, 190, 129);
  InCache->setLineLimit(kReceivedLogLimit);
  Timer.onTimer = [this](ui::Timer&) { TimerClick(); };
  TimeOutTimer.onTimer = [this](ui::Timer&) { TimeOutTimer.stop(); };
  Comm1.SetDeviceName("Com1");
  Comm1.SetReadBufSize(kPortBufferSize);
  Comm1.SetWriteBufSize(kPortBufferSize);
  Comm1.SetMonitorEvents(TCommEventTypes{TCommEventType::evRxChar});
  Comm1.SetFlowControl(TFlowControl::fcNone);
  Comm1.OnRxChar = [this](TThreadComm&, std::uint32_t count) { Read(count); };
  Comm1.OnError = [this](TThreadComm&, int errors) { Comm1Error(errors); };
  Comm1.OnLost = [this](TThreadComm&) {
    if (onLinkLost) onLinkLost();
  };
  setVisible((applicationTag & kShowCacheWindowBit) != 0);
}

TCache::~TCache() {
  Comm1.OnLost = nullptr;
  Comm1.Close();
}

std::string TCache::SendCommand(const std::string& command, bool wait) {
  int timeout = MillisecondsOfField(fields_.timeOut.text());
  if (timeout <= 0) timeout = kShortestReplyTimeoutMs;
  ui::Backend& b = backend();
  while (ReceiveBusy) {
    b.sleep(kPollStepMs);
    b.processMessages();
  }
  TimeOutTimer.setInterval(timeout);
  Flush();
  WriteCommand(command);
  b.sleep(kSettleAfterWriteMs);
  if (wait) {
    AwaitingReply = true;
    TimeOutTimer.start();
    ReplyText.clear();
    partialReply_.clear();
    for (;;) {
      if (!ReplyText.empty()) break;
      if (!partialReply_.empty() && b.ticksMs() - partialSinceMs_ >= kReplyQuietMs) {
        finishPartialReply();
        break;
      }
      if (!TimeOutTimer.enabled()) {
        finishPartialReply();
        break;
      }
      b.sleep(kPollStepMs);
      b.processMessages();
    }
    AwaitingReply = false;
    TimeOutTimer.stop();
  }
  return ReplyText;
}

void TCache::finishPartialReply() {
  if (ReplyText.empty()) ReplyText = partialReply_;
  partialReply_.clear();
}

void TCache::Flush() {
  Comm1.PurgeIn();
  Comm1.PurgeOut();
  ReplyText.clear();
  partialReply_.clear();
}

void TCache::WriteCommand(const std::string& command) {
  if (!Comm1.Enabled()) return;
  if (controller_.ConnectedPort <= 0 && !writableWhileNotConnected(command)) return;
  Comm1.Write(command.data(), static_cast<int>(command.size()));
  ++traffic.commands;
  traffic.bytesOut += static_cast<long long>(command.size());
  Comm1.FlushBuffers();
}

void TCache::SendOutAll() {
  if (controller_.ConnectedPort <= 0) return;
  while (!OutCache->items().empty()) {
    const std::string command = OutCache->items().front();
    WriteCommand(command);
    OutCache->removeItem(0);
  }
}

bool TCache::SetPort(int port) {
  if (Comm1.Enabled()) ClosePort();
  if (Comm1.Enabled()) return false;
  Comm1.SetDeviceName("Com" + std::to_string(port));
  Comm1.Open();
  if (Comm1.Enabled()) {
    Comm1.SetRTSState(true);
    Comm1.SetDTRState(true);
  }
  return Comm1.Enabled();
}

bool TCache::ClosePort() {
  if (!Comm1.Enabled()) return false;
  Comm1.Close();
  return !Comm1.Enabled();
}

void TCache::Read(std::uint32_t count) {
  ReceiveBusy = true;
  char buffer[kReceiveBufferSize];
  const int wanted = static_cast<int>(std::min<std::uint32_t>(count, kReceiveBufferSize));
  const int got = Comm1.Read(buffer, wanted);
  if (got > 0) {
    traffic.bytesIn += got;
    Received(std::string(buffer, static_cast<size_t>(got)));
  }
  ReceiveBusy = false;
}

void TCache::Received(const std::string& chunk) {
  if (chunk.find("Updati") != std::string::npos ||
      chunk.find("Planetary Data") != std::string::npos) {
    AwaitingReply = false;
    partialReply_.clear();
    if (chunk.find(" #") == std::string::npos) backend().sleep(kAnnouncementPauseMs);
    return;
  }
  // Once a reply is complete, later chunks of the same wait are logged like any other.
  if (AwaitingReply && ReplyText.empty() && chunk[0] != '<') {
    // Pieces of one reply are joined; a reply ending in "#" is complete at once.
    partialReply_ += chunk;
    partialSinceMs_ = backend().ticksMs();
    if (partialReply_.back() == '#') finishPartialReply();
    return;
  }
  InCache->addItem(chunk);
}

void TCache::Comm1Error(int errors) {
  backend().messageBox("Orvane", std::to_string(errors), ui::MessageButtons::Ok);
}

void TCache::AddToCache(const std::string& command) {
  size_t colon = command.find(':');
  std::string number =
      command.size() > 1
          ? command.substr(1, colon == std::string::npos ? std::string::npos : colon - 1)
          : std::string();
  if (colon == std::string::npos) number.clear();
  ClearEvents(number);
  OutCache->addItem(command);
}

void TCache::ClearEvents(const std::string& number) {
  // Only commands for this very setting go: ">12:" must not take ">123:" with it, or a
  // queued write of another setting would be lost. An empty number withdraws every write.
  const std::string prefix = number.empty() ? std::string(">") : ">" + number + ":";
  std::vector<std::string> kept;
  for (const std::string& line : OutCache->items()) {
    if (line.compare(0, prefix.size(), prefix) != 0) kept.push_back(line);
  }
  if (kept.size() != OutCache->items().size()) OutCache->setItems(std::move(kept));
}

void TCache::SetCacheDelay() {
  Timer.setTag(CacheDelayTicks(fields_.cacheDelay.text()));
}

void TCache::TimerClick() {
  Timer.setTag(Timer.tag() - 1);
  ui::Backend& b = backend();
  const ui::DateTime utc = b.utcNow();
  fields_.utcTime.setText(ClockText(utc));
  const ui::DateTime local = b.localNow();
  fields_.computerTime.setText(ClockText(local));
  if (controller_.ClockOffsetKnown) {
    fields_.localTime.setText(
        ShiftedClockText(local.hour, local.minute, local.second, controller_.ClockOffset));
    ui::Widget* clock = sheetFields_.ControllerClockField();
    if (clock != nullptr && !clock->focused()) clock->setText(fields_.localTime.text());
  }
  if (fields_.rightAscension.text() != "0" && fields_.declination.text() != "0") {
    const ui::Widget* longitude = sheetFields_.LongitudeField();
    fields_.startime.setText(longitude != nullptr ? Stardate(longitude->text(), utc) : "");
  }
  if (Timer.tag() < 1) {
    SendOutAll();
    SetCacheDelay();
  }
  if (tickListener_ != nullptr) tickListener_->CheckForEvent(fields_.computerTime.text());
}

}  // namespace orvane
