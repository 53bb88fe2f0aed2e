// Watched sockets on the Qt backend, as the sharing server uses them: a handler runs when
// bytes arrive and again while some are left, writability is reported only while asked
// for, a wait that lets events run ends on a ready socket, and a watch may end inside its
// own handler.
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>

#include "QtTestSupport.h"
#include "ui/DescriptorWatch.h"

namespace orvane::test {
namespace {

class QtDescriptorWatchTest : public QtBackendTest {
 protected:
  QtDescriptorWatchTest() {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, ends_) != 0) ends_[0] = -1;
  }
  ~QtDescriptorWatchTest() override {
    for (int end : ends_) {
      if (end >= 0) ::close(end);
    }
  }
  int ours() const { return ends_[0]; }
  int theirs() const { return ends_[1]; }

 private:
  int ends_[2] = {-1, -1};
};

TEST_F(QtDescriptorWatchTest, ReadingIsReportedUntilTheBytesAreTakenWritingOnlyWhenAsked) {
  ASSERT_GE(ours(), 0);
  ui::DescriptorWatch watch(backend, ours());
  std::string received;
  int readable = 0;
  int writable = 0;
  watch.onReadable = [&](ui::DescriptorWatch& w) {
    ++readable;
    char byte;
    // One byte per call: the rest is reported again.
    if (::read(w.descriptor(), &byte, 1) == 1) received += byte;
  };
  watch.onWritable = [&](ui::DescriptorWatch& w) {
    ++writable;
    w.setWatchWriting(false);
  };
  EXPECT_FALSE(waitUntil([&] { return readable + writable > 0; }, 5));
  ASSERT_EQ(::write(theirs(), "abc", 3), 3);
  EXPECT_TRUE(waitUntil([&] { return received == "abc"; }));
  EXPECT_EQ(writable, 0);
  watch.setWatchWriting(true);
  EXPECT_TRUE(waitUntil([&] { return writable == 1; }));
  watch.setWatchReading(false);
  ASSERT_EQ(::write(theirs(), "d", 1), 1);
  EXPECT_FALSE(waitUntil([&] { return received.size() > 3; }, 5));
  watch.setWatchReading(true);
  EXPECT_TRUE(waitUntil([&] { return received == "abcd"; }));
  EXPECT_EQ(writable, 1);
}

TEST_F(QtDescriptorWatchTest, AWaitForMessagesEndsOnArrivingBytesAndAWatchMayEndInItsHandler) {
  ASSERT_GE(ours(), 0);
  auto watch = std::make_unique<ui::DescriptorWatch>(backend, ours());
  bool ran = false;
  watch->onReadable = [&](ui::DescriptorWatch&) {
    ran = true;
    watch.reset();
  };
  ASSERT_EQ(::write(theirs(), "x", 1), 1);
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 50 && !ran; ++i) backend.waitForMessages(10000);
  EXPECT_TRUE(ran);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(watch, nullptr);
  // Nothing is reported for the watch that is gone.
  ASSERT_EQ(::write(theirs(), "y", 1), 1);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_FALSE(waitUntil([&] { return false; }, 5));
}

}  // namespace
}  // namespace orvane::test
