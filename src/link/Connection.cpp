#include "link/Connection.h"

#include <algorithm>

#include "app/MainForm.h"
#include "dialogue/RestartForm.h"
#include "link/Cache.h"
#include "profile/KeywordText.h"

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

Connection::Connection(TMainForm& main) : main_(main) {}

std::string Connection::probe() {
  TCache& cache = *main_.windows().cache;
  std::string reply = cache.SendCommand(":GV#", true);
  if (reply.empty() && main_.windows().restart != nullptr) {
    reply = main_.windows().restart->TryRestart();
  }
  if (reply.find(":GV") != std::string::npos) reply.clear();
  return reply;
}

void Connection::SerialPortSelect(const void* sender) {
  // A port that opens but cannot be set up raises the port component's error; it is shown
  // and ends this handler, as an error reaching the message loop would, while whatever
  // called the handler (start-up) goes on.
  try {
    selectPort(sender);
  } catch (const CommError& error) {
    main_.backend().messageBox(error.what(), "Orvane", ui::MessageButtons::Ok);
  }
}

void Connection::selectPort(const void*) {
  TMainForm& m = main_;
  if (m.StartupTimer.tag() == startup_phase::kBeforeStart) return;
  ui::ComboBox& selector = *m.SerialPort;
  const std::string choice = selector.text();
  if (choice == "Auto-detect" && m.ConnectedPort > 0) return;
  TCache* cache = m.windows().cache;
  if (cache == nullptr) return;
  const int previous = m.ConnectedPort;
  m.appearance.Defocus();
  std::string reply;
  m.UpdateTimer.stop();
  m.repaint();

  if (choice == "Auto-detect") {
    int port = 1;
    for (; port < 6 && reply.empty() && !m.shuttingDown(); ++port) {
      m.CurrentOrvaneStatus->setText("Status: Checking COM" + std::to_string(port));
      m.repaint();
      if (!cache->SetPort(port)) continue;
      reply = probe();
      if (!reply.empty()) break;
    }
    if (!reply.empty()) selector.setItemIndex(port);
  } else if (choice == "Offline") {
    cache->ClosePort();
    m.CurrentOrvaneStatus->setText("Status: System offline");
    m.ConnectedPort = 0;
    return;
  } else if (selector.itemIndex() >= 1 && selector.itemIndex() <= 5) {
    m.CurrentOrvaneStatus->setText("Status: Checking " + choice);
    m.repaint();
    if (cache->SetPort(selector.itemIndex())) reply = probe();
    if (reply.empty() && previous > 0) {
      cache->SetPort(previous);
      m.CurrentOrvaneStatus->setText("Status: Checking COM" + std::to_string(previous));
      reply = cache->SendCommand(":GV#", true);
      if (reply.find(":GV") != std::string::npos) reply.clear();
      if (!reply.empty()) selector.setItemIndex(previous);
    }
  }
  if (reply.empty()) {
    fail();
  } else {
    succeed(reply);
  }
}

void Connection::fail() {
  TMainForm& m = main_;
  m.CurrentOrvaneStatus->setText("Status: Unable to establish connection");
  m.appearance.Blink(*m.CurrentOrvaneStatus);
  m.ConnectedPort = -1;
  m.OrvaneVersion->setText(std::string(kDetectionFailed));
  removeMismatchMark(*m.ProfileVersion);
  m.UpdateTimer.stop();
}

void Connection::succeed(const std::string& reply) {
  TMainForm& m = main_;
  m.CurrentOrvaneStatus->setText("Status: Connection established");
  m.appearance.Blink(*m.CurrentOrvaneStatus);
  m.ConnectedPort = m.SerialPort->itemIndex();
  m.OrvaneVersion->setText(ControllerVersionLabel(reply));
  const char level = reply[0];
  m.ControllerLevel = (level >= '0' && level <= '9') ? level - '0' : 1;
  CompareVersions();
  if (setOrvaneSettings) setOrvaneSettings();
  m.UpdateTimer.start();
  m.AlignmentPrompt = m.ControllerLevel >= 2;
  m.InitialAlignLabel->setVisible(m.ControllerLevel >= 2);
  m.InitialAlign->setVisible(m.ControllerLevel >= 2);
}

void Connection::CompareVersions() {
  TMainForm& m = main_;
  if (m.ProfileVersion->text() == kDetectionFailed || m.OrvaneVersion->text() == kDetectionFailed) {
    return;
  }
  removeMismatchMark(*m.ProfileVersion);
  if (m.OrvaneVersion->text().substr(0, kComparedCharacters) !=
      m.ProfileVersion->text().substr(0, kComparedCharacters)) {
    m.sheets.Callback(*m.ProfileMenu);
    m.ProfileVersion->setText(m.ProfileVersion->text() + " - doesn't match !!");
    m.repaint();
    m.appearance.Blink(*m.ProfileVersion);
  }
}

void Connection::CacheDelayChange() {
  if (TCache* cache = main_.windows().cache) cache->SetCacheDelay();
}

void Connection::LinkLost() {
  TMainForm& m = main_;
  if (TCache* cache = m.windows().cache) cache->ClosePort();
  if (m.ConnectedPort > 0) fail();
}

}  // namespace orvane
