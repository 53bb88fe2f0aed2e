#include "link/Connection.h"

#include <algorithm>

#include "link/Cache.h"
#include "link/ProgramPhase.h"
#include "link/RestartPrompt.h"
#include "text/VersionText.h"
#include "ui/Backend.h"

namespace orvane {

namespace {

constexpr std::string_view kMismatchMark = " - doesn't match";
constexpr std::string_view kDetectionFailed = "Detection failed";
constexpr size_t kComparedCharacters = 18;

void removeMismatchMark(ui::Label& label) {
  const size_t at = label.text().find(kMismatchMark);
  if (at != std::string::npos) label.setText(label.text().substr(0, at));
}

}  // namespace

std::string ControllerVersionLabel(const std::string& reply) {
  // With the "." in place the reply reads like a profile's "Version " value.
  std::string text = reply;
  text.insert(std::min<size_t>(2, text.size()), ".");
  return VersionLabel(text);
}

Connection::Connection(ui::Backend& backend, ControllerState& controller, ConnectionFields fields,
                       ui::ColorScheme& scheme)
    : backend_(backend),
      controller_(controller),
      fields_(fields),
      scheme_(scheme),
      retryTimer_(backend, kRetryIntervalMs, false) {
  retryTimer_.onTimer = [this](ui::Timer&) { retry(); };
}

std::string Connection::probe() {
  std::string reply = cache_->SendCommand(":GV#", true);
  if (reply.empty() && restart_ != nullptr) reply = restart_->TryRestart();
  return versionOrNothing(reply);
}

std::string Connection::versionOrNothing(const std::string& reply) {
  // An echo of the probe (a port that sends back what it gets) and random bytes alike are
  // no controller: only a well-formed version identifies one.
  return IsVersionReply(reply) ? reply : std::string();
}

void Connection::SerialPortSelect(const void* sender) {
  // A port that opens but cannot be set up raises the port component's error; it is shown
  // and ends this handler, as an error reaching the message loop would, while whatever
  // called the handler (start-up) goes on.
  try {
    selectPort(sender);
  } catch (const CommError& error) {
    backend_.messageBox(error.what(), "Orvane", ui::MessageButtons::Ok);
  }
}

void Connection::selectPort(const void*) {
  ConnectionFields& f = fields_;
  if (f.startupTimer.tag() == startup_phase::kBeforeStart) return;
  ui::ComboBox& selector = f.serialPort;
  const std::string choice = selector.text();
  if (choice == "Auto-detect" && controller_.ConnectedPort > 0) return;
  TCache* cache = cache_;
  if (cache == nullptr) return;
  // The user's choice ends the retrying of a lost link (and any retry in progress).
  ++selections_;
  stopRetrying();
  const int previous = controller_.ConnectedPort;
  scheme_.Defocus();
  std::string reply;
  std::string unopened;
  f.updateTimer.stop();
  f.window.repaint();

  if (choice == "Auto-detect") {
    int port = 1;
    for (; port < 6 && reply.empty() && !ShuttingDown(f.startupTimer); ++port) {
      f.status.setText("Status: Checking COM" + std::to_string(port));
      f.window.repaint();
      if (!cache->SetPort(port)) continue;
      reply = probe();
      if (!reply.empty()) break;
    }
    if (!reply.empty()) selector.setItemIndex(port);
  } else if (choice == "Offline") {
    cache->ClosePort();
    f.status.setText("Status: System offline");
    controller_.ConnectedPort = 0;
    return;
  } else if (selector.itemIndex() >= 1 && selector.itemIndex() <= 5) {
    f.status.setText("Status: Checking " + choice);
    f.window.repaint();
    const bool opened = cache->SetPort(selector.itemIndex());
    if (opened) reply = probe();
    if (reply.empty() && previous > 0) {
      cache->SetPort(previous);
      f.status.setText("Status: Checking COM" + std::to_string(previous));
      reply = versionOrNothing(cache->SendCommand(":GV#", true));
      if (!reply.empty()) selector.setItemIndex(previous);
    }
    if (!opened) unopened = choice;
  }
  if (reply.empty()) {
    fail();
  } else {
    succeed(reply, selector.itemIndex());
    if (onConnected) onConnected(false);
  }
  if (!unopened.empty()) {
    // Said, not silently undone: the chosen port has no device that can be opened. The port
    // list shows the port still in use (short enough to fit beside the profile page's
    // buttons).
    f.status.setText("Error: Cannot open " + unopened);
    scheme_.Blink(f.status);
  }
}

void Connection::fail() {
  ConnectionFields& f = fields_;
  f.status.setText("Status: Unable to establish connection");
  scheme_.Blink(f.status);
  controller_.ConnectedPort = -1;
  f.orvaneVersion.setText(std::string(kDetectionFailed));
  removeMismatchMark(f.profileVersion);
  f.updateTimer.stop();
}

void Connection::succeed(const std::string& reply, int port) {
  ConnectionFields& f = fields_;
  f.status.setText("Status: Connection established");
  scheme_.Blink(f.status);
  controller_.ConnectedPort = port;
  f.orvaneVersion.setText(ControllerVersionLabel(reply));
  const char level = reply[0];
  controller_.ControllerLevel = (level >= '0' && level <= '9') ? level - '0' : 1;
  CompareVersions();
  if (setOrvaneSettings) setOrvaneSettings();
  if (!controller_.PollingHeld) f.updateTimer.start();
  controller_.AlignmentPrompt = controller_.ControllerLevel >= 2;
  f.initialAlignLabel.setVisible(controller_.ControllerLevel >= 2);
  f.initialAlign.setVisible(controller_.ControllerLevel >= 2);
}

void Connection::CompareVersions() {
  ConnectionFields& f = fields_;
  if (f.profileVersion.text() == kDetectionFailed || f.orvaneVersion.text() == kDetectionFailed) {
    return;
  }
  removeMismatchMark(f.profileVersion);
  if (f.orvaneVersion.text().substr(0, kComparedCharacters) !=
      f.profileVersion.text().substr(0, kComparedCharacters)) {
    if (showProfilePage) showProfilePage();
    f.profileVersion.setText(f.profileVersion.text() + " - doesn't match !!");
    f.window.repaint();
    scheme_.Blink(f.profileVersion);
  }
}

void Connection::CacheDelayChange() {
  if (cache_ != nullptr) cache_->SetCacheDelay();
}

void Connection::LinkLost() {
  const int port = controller_.ConnectedPort;
  if (cache_ != nullptr) cache_->ClosePort();
  // A port that was never connected (lost during detection, or while being retried) is
  // simply closed: detection, or the retrying, goes on.
  if (port <= 0) return;
  ConnectionFields& f = fields_;
  lostPort_ = port;
  // No command goes out meanwhile; the queued setting writes wait for the controller.
  controller_.ConnectedPort = -1;
  f.updateTimer.stop();
  f.status.setText("Status: Connection lost, retrying");
  scheme_.Blink(f.status);
  controller_.ReadingsStale = true;
  if (showReadingsStale) showReadingsStale();
  retryTimer_.start();
}

void Connection::stopRetrying() {
  lostPort_ = 0;
  retryTimer_.stop();
}

void Connection::retry() {
  const int port = lostPort_;
  if (port <= 0 || cache_ == nullptr || ShuttingDown(fields_.startupTimer) ||
      backend_.terminated()) {
    stopRetrying();
    return;
  }
  const unsigned selection = selections_;
  std::string reply;
  try {
    // Opening does not block: a device that is not back yet fails at once.
    if (!cache_->SetPort(port)) return;
    reply = probe();
  } catch (const CommError&) {
    // Back but not usable yet; the next attempt tries again.
  }
  if (selection != selections_ || lostPort_ != port) return;  // the user chose meanwhile
  if (reply.empty()) {
    cache_->ClosePort();
    return;
  }
  stopRetrying();
  succeed(reply, port);
  if (onConnected) onConnected(true);
  // The setting writes queued while the link was down, in their order.
  cache_->SendOutAll();
}

void Connection::ReportSilence() {
  if (controller_.ConnectedPort <= 0) return;
  fields_.status.setText("Status: Controller not answering");
  scheme_.Blink(fields_.status);
}

void Connection::ReportAnswering() {
  if (fields_.status.text() != "Status: Controller not answering") return;
  fields_.status.setText("Status: Connection established");
  scheme_.Blink(fields_.status);
}

}  // namespace orvane
