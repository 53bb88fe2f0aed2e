#include "link/Cache.h"

#include <algorithm>
#include <memory>

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
constexpr int kAnnouncementPauseMs = 50;
constexpr double kBitsPerByte = 10;  // start bit, 8 data bits, stop bit

bool isAnnouncement(const std::string& text) {
  return text.find("Updati") != std::string::npos ||
         text.find("Planetary Data") != std::string::npos;
}

// Detection's and the boot dialogue's commands, and the stop: a mount that may be moving is
// told to stop on any open port, connected or not.
bool writableWhileNotConnected(const std::string& command) {
  return command == ":GV#" || command == "\x06" || command == "bW#" || command == "bC#" ||
         command == "bR#" || command == ":Q#";
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
      Comm1(backend, devices),
      controller_(controller),
      fields_(fields),
      sheetFields_(sheetFields),
      queue_(backend, *this) {
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
  // On time every second, without the toolkit's coarsening: the polling timer keeps to
  // this beat.
  Timer.setPrecise(true);
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
  queue_.LineClosed();
  Comm1.Close();
}

int TCache::ReplyTimeoutMs() const {
  return MillisecondsOfField(fields_.timeOut.text());
}

std::string TCache::SendCommand(const std::string& command, bool wait) {
  return Exchange(command, wait).reply;
}

CommandResult TCache::Exchange(const std::string& command, bool wait) {
  CommandRequest request;
  request.command = command;
  request.wantsReply = wait;
  request.replyTimeoutMs = ReplyTimeoutMs();
  return queue_.Run(std::move(request));
}

std::vector<CommandResult> TCache::SendSequence(const std::vector<CommandStep>& steps,
                                                bool abandonOnStop) {
  auto results = std::make_shared<std::vector<CommandResult>>(steps.size());
  std::vector<CommandRequest> requests;
  for (size_t i = 0; i < steps.size(); ++i) {
    CommandRequest request;
    request.command = steps[i].command;
    request.wantsReply = steps[i].wait;
    request.replyTimeoutMs = ReplyTimeoutMs();
    request.pauseAfterMs = steps[i].pauseAfterMs;
    request.abandonOnStop = abandonOnStop;
    request.done = [results, i](const CommandResult& result) { (*results)[i] = result; };
    requests.push_back(std::move(request));
  }
  for (CommandQueue::Ticket ticket : queue_.SubmitAll(std::move(requests))) {
    queue_.WaitFor(ticket);
  }
  return *results;
}

CommandResult TCache::SendInRun(const std::string& command, bool wait) {
  auto result = std::make_shared<CommandResult>();
  CommandRequest request;
  request.command = command;
  request.wantsReply = wait;
  request.readyOnReply = wait;
  request.replyTimeoutMs = ReplyTimeoutMs();
  request.done = [result](const CommandResult& ended) { *result = ended; };
  queue_.WaitFor(queue_.Submit(std::move(request)));
  return *result;
}

void TCache::SendStopCommand(const std::string& command) {
  queue_.WriteStop(command);
}

void TCache::Flush() {
  // Only received bytes: what the program wrote may still be on its way out.
  Comm1.PurgeIn();
}

bool TCache::PutOnLine(const std::string& command) {
  if (!Comm1.Enabled()) return false;
  if (controller_.ConnectedPort <= 0 && !writableWhileNotConnected(command)) return false;
  const int written = Comm1.Write(command.data(), static_cast<int>(command.size()));
  if (written <= 0) return false;
  ++traffic.commands;
  traffic.bytesOut += written;
  if (!command.empty() && command[0] == '>' && onSettingWritten) onSettingWritten(command);
  return true;
}

void TCache::WriteCommand(const std::string& command) {
  PutOnLine(command);
}

double TCache::MsOnLine(std::size_t bytes) const {
  const int rate = BaudRateValue(Comm1.BaudRate());
  return rate > 0 ? static_cast<double>(bytes) * kBitsPerByte * 1000.0 / rate : 0.0;
}

void TCache::SendOutAll() {
  if (controller_.ConnectedPort <= 0 || OutCache->items().empty()) return;
  // The writes are taken when the line is free, so that until then a newer value still
  // replaces a queued one and a refused value still withdraws it.
  queue_.SubmitBurst(
      [this] { return takeQueuedWrites(); },
      [this](std::vector<std::string> unwritten) { putBackQueuedWrites(std::move(unwritten)); });
}

std::vector<std::string> TCache::takeQueuedWrites() {
  if (controller_.ConnectedPort <= 0 || !Comm1.Enabled()) return {};
  std::vector<std::string> commands = OutCache->items();
  OutCache->clearItems();
  for (const std::string& command : commands) {
    ++traffic.queuedWrites;
    traffic.queuedWriteBytes += static_cast<long long>(command.size());
  }
  return commands;
}

void TCache::putBackQueuedWrites(std::vector<std::string> unwritten) {
  // In front of anything queued since, each unless a newer write of its setting is there.
  std::vector<std::string> lines;
  for (const std::string& command : unwritten) {
    --traffic.queuedWrites;
    traffic.queuedWriteBytes -= static_cast<long long>(command.size());
  }
  for (std::string& command : unwritten) {
    const size_t colon = command.find(':');
    const std::string prefix = command.substr(0, colon == std::string::npos ? 1 : colon + 1);
    const bool replaced =
        std::any_of(OutCache->items().begin(), OutCache->items().end(),
                    [&](const std::string& queued) { return queued.rfind(prefix, 0) == 0; });
    if (!replaced) lines.push_back(std::move(command));
  }
  for (const std::string& queued : OutCache->items()) lines.push_back(queued);
  OutCache->setItems(std::move(lines));
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
  queue_.LineClosed();
  announcementOpen_ = false;
  Comm1.Close();
  return !Comm1.Enabled();
}

void TCache::Read(std::uint32_t count) {
  char buffer[kReceiveBufferSize];
  const int wanted = static_cast<int>(std::min<std::uint32_t>(count, kReceiveBufferSize));
  const int got = Comm1.Read(buffer, wanted);
  if (got > 0) {
    traffic.bytesIn += got;
    Received(std::string(buffer, static_cast<size_t>(got)));
  }
}

void TCache::Received(const std::string& chunk) {
  if (chunk.empty()) return;
  const bool awaiting = queue_.AwaitingReply();
  if (announcementOpen_ || isAnnouncement(chunk) ||
      (awaiting && isAnnouncement(queue_.PartialReply() + chunk))) {
    // An announcement is never a reply; the command waiting now gets none.
    const bool complete = chunk.find(" #") != std::string::npos;
    announcementOpen_ = !complete;
    const std::string* running = queue_.RunningCommand();
    // The controller answers a date with the planetary-data announcement: once that is
    // complete the exchange is over (the reply is not used), no need to wait on.
    const bool dateAnswered = complete && running != nullptr && running->rfind(":SC", 0) == 0;
    queue_.SuppressReply();
    if (dateAnswered) queue_.EndWait();
    if (!complete) backend().sleep(kAnnouncementPauseMs);
    return;
  }
  if (awaiting && chunk[0] != '<') {
    queue_.ReplyPiece(chunk);
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
    const std::string clockText =
        ShiftedClockText(local.hour, local.minute, local.second, controller_.ClockOffset);
    // The offset may be out of date with the controller gone or frozen: the strip says
    // so. The clock field goes on with it all the same, so that a time sent from it (all
    // settings sent once the link is back) is not the time at which the link went.
    fields_.localTime.setText(controller_.ReadingsStale ? std::string(kNoCurrentReading)
                                                        : clockText);
    ui::Widget* clock = sheetFields_.ControllerClockField();
    if (clock != nullptr && !clock->focused()) clock->setText(clockText);
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
