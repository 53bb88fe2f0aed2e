#include "link/Cache.h"

#include <algorithm>

#include "app/MainForm.h"
#include "link/AstroTime.h"
#include "sheets/NumberText.h"

namespace orvane {

namespace {

constexpr int kWindowWidth = 212;
constexpr int kWindowHeight = 314;
constexpr size_t kReceivedLogLimit = 500;
constexpr int kShowCacheWindowBit = 2;

std::string blanksToZeros(std::string text) {
  std::replace(text.begin(), text.end(), ' ', '0');
  return text;
}

int readInteger(const std::string& text) {
  long long value = 0;
  if (!TryParseInteger(text, value) || value < 0) return 0;
  return static_cast<int>(std::min<long long>(value, 1 << 30));
}

std::string clockText(const ui::DateTime& time) {
  return LZ(static_cast<unsigned>(time.hour)) + ":" + LZ(static_cast<unsigned>(time.minute)) + ":" +
         LZ(static_cast<unsigned>(time.second));
}

}  // namespace

int ReplyTimeoutMs(std::string_view fieldText) {
  if (fieldText.empty()) return 1000;
  return readInteger(blanksToZeros(std::string(fieldText)));
}

int CacheDelayTicks(std::string_view fieldText) {
  std::string text(fieldText);
  while (text.size() < 4) text.insert(text.begin(), '0');
  return readInteger(blanksToZeros(text)) / 1000;
}

TCache::TCache(AppContext& context)
    : ui::Form(context.backend, "Cache"),
      Timer(context.backend, 1000, true),
      TimeOutTimer(context.backend, 1000, false),
      context_(context) {
  ui::Backend& b = context.backend;
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
  setVisible((context.applicationTag & kShowCacheWindowBit) != 0);
}

TCache::~TCache() = default;

void TCache::AddToCache(const std::string& command) {
  size_t colon = command.find(':');
  std::string number = command.size() > 1 ? command.substr(1, colon == std::string::npos
                                                                  ? std::string::npos
                                                                  : colon - 1)
                                          : std::string();
  if (colon == std::string::npos) number.clear();
  ClearEvents(number);
  OutCache->addItem(command);
}

void TCache::ClearEvents(const std::string& number) {
  const std::string prefix = ">" + number;
  std::vector<std::string> kept;
  for (const std::string& line : OutCache->items()) {
    if (line.compare(0, prefix.size(), prefix) != 0) kept.push_back(line);
  }
  if (kept.size() != OutCache->items().size()) OutCache->setItems(std::move(kept));
}

void TCache::SetCacheDelay() {
  TMainForm* main = context_.windows.main;
  if (main == nullptr || !main->CacheDelay) return;
  Timer.setTag(CacheDelayTicks(main->CacheDelay->text()));
}

void TCache::TimerClick() {
  Timer.setTag(Timer.tag() - 1);
  TMainForm* main = context_.windows.main;
  if (main == nullptr || !main->ComputerTime) return;
  ui::Backend& b = backend();
  const ui::DateTime utc = b.utcNow();
  main->UTCTime->setText(clockText(utc));
  main->ComputerTime->setText(clockText(b.localNow()));
  if (main->RA->text() != "0" && main->Dec->text() != "0") {
    ControlBinding* longitude = main->sheets.LongitudeBinding;
    main->Startime->setText(longitude != nullptr ? Stardate(longitude->control->text(), utc) : "");
  }
  if (Timer.tag() < 1) SetCacheDelay();
}

}  // namespace orvane
