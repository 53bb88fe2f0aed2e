// The serial port component on the in-process device and the simulated controller, in
// virtual time on the headless backend.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "link/Comm.h"
#include "link/SimulatedSerialDeviceFactory.h"
#include "ui/headless/HeadlessBackend.h"

namespace orvane {
namespace {

constexpr int kControllerPort = 3;
constexpr long long kReplyWaitMs = 500;

class CommTest : public ::testing::Test {
 protected:
  CommTest() {
    devices.addController(kControllerPort);
    comm.SetDeviceName("Com3");
    comm.OnRxChar = [this](TThreadComm& sender, std::uint32_t count) {
      ++rxEvents;
      std::string chunk(count, '\0');
      const int read = sender.Read(chunk.data(), static_cast<int>(count));
      received.append(chunk, 0, static_cast<std::size_t>(std::max(read, 0)));
    };
  }

  void Send(const std::string& text) {
    EXPECT_EQ(comm.Write(text.data(), static_cast<int>(text.size())),
              static_cast<int>(text.size()));
  }
  // Runs virtual time until the received text ends with "#", or the limit has passed.
  bool AwaitReply(long long limitMs = kReplyWaitMs) {
    return backend.runUntil([&] { return !received.empty() && received.back() == '#'; },
                            limitMs);
  }

  ui::HeadlessBackend backend;
  SimulatedSerialDeviceFactory devices{backend};
  TComm comm{backend, devices};
  std::string received;
  int rxEvents = 0;
};

std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const CommError& error) {
    return error.what();
  }
  return "(nothing raised)";
}

TEST_F(CommTest, StartsWithTheDefaults) {
  TComm fresh(backend, devices);
  EXPECT_EQ(fresh.DeviceName(), "Com2");
  EXPECT_EQ(fresh.ReadTimeout(), 1000u);
  EXPECT_EQ(fresh.WriteTimeout(), 1000u);
  EXPECT_EQ(fresh.ReadBufSize(), 4096);
  EXPECT_EQ(fresh.WriteBufSize(), 2048);
  EXPECT_EQ(fresh.SuspendTime(), 5u);
  EXPECT_EQ(fresh.MonitorEvents(), kAllCommEvents);
  EXPECT_EQ(fresh.BaudRate(), TBaudRate::br9600);
  EXPECT_EQ(fresh.Parity(), TParity::paNone);
  EXPECT_EQ(fresh.StopBits(), TStopBits::sb10);
  EXPECT_EQ(fresh.DataBits(), TDataBits::da8);
  EXPECT_EQ(fresh.FlowControl(), TFlowControl::fcDefault);
  EXPECT_TRUE(fresh.Options().empty());
  const char expectedChars[] = {17, 19, 0, 0, 0};
  for (int index = 1; index <= 5; ++index)
    EXPECT_EQ(fresh.EventChars().EventChar(index), expectedChars[index - 1]) << index;
  EXPECT_FALSE(fresh.Enabled());
}

TEST_F(CommTest, OpenPropertiesChangeOnlyWhileClosed) {
  comm.Open();
  ASSERT_TRUE(comm.Enabled());
  comm.SetDeviceName("Com4");
  comm.SetReadBufSize(60);
  comm.SetWriteBufSize(60);
  comm.SetSuspendTime(9);
  comm.SetMonitorEvents({TCommEventType::evRxChar});
  EXPECT_EQ(comm.DeviceName(), "Com3");
  EXPECT_EQ(comm.ReadBufSize(), 4096);
  EXPECT_EQ(comm.WriteBufSize(), 2048);
  EXPECT_EQ(comm.SuspendTime(), 5u);
  EXPECT_EQ(comm.MonitorEvents(), kAllCommEvents);

  comm.Close();
  comm.SetDeviceName("Com4");
  comm.SetReadBufSize(60);
  comm.SetMonitorEvents({TCommEventType::evRxChar});
  EXPECT_EQ(comm.DeviceName(), "Com4");
  EXPECT_EQ(comm.ReadBufSize(), 60);
  EXPECT_EQ(comm.MonitorEvents(), TCommEventTypes{TCommEventType::evRxChar});
}

TEST_F(CommTest, OpenOnAnOpenPortRaisesAndKeepsThePortWorking) {
  comm.Open();
  EXPECT_EQ(MessageOf([&] { comm.Open(); }), "Port already assigned (open) (Error: -1)");
  EXPECT_EQ(MessageOf([&] { comm.CheckOpen(); }), "Port already assigned (open) (Error: -1)");
  ASSERT_TRUE(comm.Enabled());
  Send(":GV#");
  ASSERT_TRUE(AwaitReply());
  EXPECT_EQ(received, "324#");
  comm.Close();
  EXPECT_EQ(MessageOf([&] { comm.CheckOpen(); }), "(nothing raised)");
}

TEST_F(CommTest, DevicesThatCannotBeOpenedLeaveThePortClosedWithoutError) {
  TComm second(backend, devices);
  second.SetDeviceName("Com3");
  comm.Open();
  for (const char* name : {"Com2", "Com9", "/dev/no-such-device", "Com3" /* busy */}) {
    second.SetDeviceName(name);
    EXPECT_NO_THROW(second.Open()) << name;
    EXPECT_FALSE(second.Enabled()) << name;
  }
  comm.Close();
  second.Open();
  EXPECT_TRUE(second.Enabled());
}

TEST_F(CommTest, ClosedPortRefusesTransfersAndLineStateChanges) {
  char buffer[8] = {};
  EXPECT_EQ(comm.Read(buffer, 8), -1);
  EXPECT_EQ(comm.Write("x", 1), -1);
  EXPECT_EQ(comm.InQueCount(), -1);
  EXPECT_EQ(comm.OutQueCount(), -1);
  EXPECT_FALSE(comm.GetModemState(1));
  EXPECT_FALSE(comm.GetComState(1));
  EXPECT_NO_THROW(comm.PurgeIn());
  EXPECT_NO_THROW(comm.PurgeOut());
  EXPECT_NO_THROW(comm.Close());
  const std::vector<std::function<void()>> lineChanges = {
      [&] { comm.SetRTSState(true); }, [&] { comm.SetDTRState(true); },
      [&] { comm.SetBREAKState(false); }, [&] { comm.SetXONState(true); }};
  for (const auto& change : lineChanges)
    EXPECT_EQ(MessageOf(change), "Port not open (Error: -1)");
}

TEST_F(CommTest, ReadOfNothingReturnsZeroOnAnOpenPort) {
  comm.Open();
  char buffer[4] = {'a', 'b', 'c', 'd'};
  EXPECT_EQ(comm.Read(buffer, 0), 0);
  EXPECT_EQ(comm.Read(buffer, 4), 0);  // nothing waits
  EXPECT_EQ(buffer[0], 'a');
  EXPECT_EQ(comm.InQueCount(), 0);
  EXPECT_NO_THROW(comm.SetRTSState(true));
  EXPECT_NO_THROW(comm.SetDTRState(true));
}

TEST_F(CommTest, BytesWaitUntilReadAndPurgeDiscardsThem) {
  comm.OnRxChar = nullptr;
  comm.Open();
  Send(":GV#");
  backend.advance(kReplyWaitMs);
  EXPECT_EQ(comm.InQueCount(), 4);
  comm.PurgeIn();
  EXPECT_EQ(comm.InQueCount(), 0);
}

TEST_F(CommTest, ReceivedBytesEventCarriesTheWaitingCount) {
  std::vector<std::uint32_t> counts;
  comm.OnRxChar = [&](TThreadComm& sender, std::uint32_t count) {
    counts.push_back(count);
    EXPECT_EQ(sender.InQueCount(), static_cast<int>(count));
    std::string chunk(count, '\0');
    sender.Read(chunk.data(), static_cast<int>(count));
    received += chunk;
  };
  comm.Open();
  Send(":GV#");
  // Busy for 40 ms without processing events, as the cache manager pauses after writing:
  // the whole reply waits and comes in one event.
  backend.sleep(40);
  backend.processMessages();
  EXPECT_EQ(received, "324#");
  EXPECT_EQ(counts, std::vector<std::uint32_t>{4});
}

// With only received bytes monitored, line errors never reach OnError (and bytes that
// arrive garbled at a wrong rate do not call OnRxChar either); with every event
// monitored the same arrival reports a framing error.
TEST_F(CommTest, OnErrorOnlyForMonitoredLineErrors) {
  struct Case {
    TCommEventTypes monitored;
    bool errorsExpected;
  };
  for (const Case& c : {Case{{TCommEventType::evRxChar}, false}, Case{kAllCommEvents, true}}) {
    std::vector<int> errorFlags;
    rxEvents = 0;
    comm.SetMonitorEvents(c.monitored);
    comm.OnError = [&](TThreadComm&, int errors) { errorFlags.push_back(errors); };
    comm.Open();
    Send(":GV#");
    comm.SetBaudRate(TBaudRate::br19200);  // the reply arrives at the controller's 9600
    backend.advance(kReplyWaitMs);
    EXPECT_EQ(!errorFlags.empty(), c.errorsExpected);
    for (int flags : errorFlags) EXPECT_EQ(flags, static_cast<int>(comm_error::kFrame));
    EXPECT_EQ(rxEvents, 0);
    comm.Close();
    comm.SetBaudRate(TBaudRate::br9600);
  }
}

TEST_F(CommTest, ReceivedByteEventWithEmptyQueueDoesNotCallOnRxChar) {
  std::vector<std::uint32_t> statusMasks;
  comm.OnComStatEvent = [&](TThreadComm&, std::uint32_t mask, const TComStat& status) {
    statusMasks.push_back(mask);
    EXPECT_EQ(status.inQueue, 0u);
  };
  comm.Open();
  comm.HandleCommEvent(comm_event::kRxChar);
  EXPECT_EQ(rxEvents, 0);
  EXPECT_EQ(statusMasks, std::vector<std::uint32_t>{comm_event::kRxChar});
}

TEST_F(CommTest, HandlersRunInTheFixedOrder) {
  std::vector<std::string> calls;
  auto record = [&](const char* name) {
    return [&calls, name](TThreadComm&) { calls.push_back(name); };
  };
  comm.OnBreak = record("Break");
  comm.OnCts = record("Cts");
  comm.OnDsr = record("Dsr");
  comm.OnError = [&](TThreadComm&, int) { calls.push_back("Error"); };
  comm.OnRing = record("Ring");
  comm.OnRlsd = record("Rlsd");
  comm.OnRxChar = [&](TThreadComm&, std::uint32_t) { calls.push_back("RxChar"); };
  comm.OnRxFlag = record("RxFlag");
  comm.OnTxEmpty = record("TxEmpty");
  comm.OnComStatEvent = [&](TThreadComm&, std::uint32_t, const TComStat&) {
    calls.push_back("ComStat");
  };
  comm.SetMonitorEvents({});  // nothing from the device; the bytes just wait
  comm.Open();
  Send(":GV#");
  backend.advance(kReplyWaitMs);
  ASSERT_TRUE(calls.empty());
  comm.HandleCommEvent(comm_event::kAll);
  EXPECT_EQ(calls, (std::vector<std::string>{"Break", "Cts", "Dsr", "Error", "Ring", "Rlsd",
                                             "RxChar", "RxFlag", "TxEmpty", "ComStat"}));
}

TEST_F(CommTest, EventCharacterRaisesOnRxFlag) {
  int flags = 0;
  comm.OnRxFlag = [&](TThreadComm&) { ++flags; };
  comm.EventChars().SetEvtChar('#');
  comm.Open();
  Send(":GV#");
  ASSERT_TRUE(AwaitReply());
  EXPECT_EQ(flags, 1);
}

TEST_F(CommTest, BaudRateChangeOnAnOpenPortAppliesAtOnce) {
  comm.Open();
  comm.SetBaudRate(TBaudRate::br19200);
  Send(":GV#");
  EXPECT_FALSE(AwaitReply());
  comm.SetBaudRate(TBaudRate::br9600);
  Send(":GV#");
  EXPECT_TRUE(AwaitReply());
  EXPECT_EQ(received, "324#");
}

TEST_F(CommTest, BaudRateChangeOnAClosedPortAppliesAtTheNextOpen) {
  comm.SetBaudRate(TBaudRate::br19200);
  comm.Open();
  Send(":GV#");
  EXPECT_FALSE(AwaitReply());
}

TEST_F(CommTest, LineSettingsTheDeviceCannotTakeRaiseTheLineSettingsError) {
  comm.Open();
  EXPECT_EQ(MessageOf([&] { comm.SetDataBits(TDataBits::da4); }),
            "Error updating DataControlBlock (Error: 22)");
  EXPECT_EQ(comm.DataBits(), TDataBits::da4);  // stored all the same
  EXPECT_TRUE(comm.Enabled());
}

TEST_F(CommTest, EventCharsCopyAndChangeOnlyOnDifference) {
  TCommEventChars source;
  source.SetXOnChar(1);
  source.SetXOffChar(2);
  source.SetErrorChar(3);
  source.SetEofChar(4);
  source.SetEvtChar(5);
  comm.SetEventChars(source);
  for (int index = 1; index <= 5; ++index)
    EXPECT_EQ(comm.EventChars().EventChar(index), index);
  comm.EventChars().SetEventChar(6, 'x');  // no such character
  comm.EventChars().SetEventChar(0, 'x');
  for (int index = 1; index <= 5; ++index)
    EXPECT_EQ(comm.EventChars().EventChar(index), index);
}

TEST_F(CommTest, DroppedLineIsReportedOnceAndWritesFailShort) {
  sim::ControllerOptions options;
  options.unplugAtMs = 1000;
  devices.addController(4, options);
  comm.SetDeviceName("Com4");
  int lost = 0;
  comm.OnLost = [&](TThreadComm& sender) {
    ++lost;
    EXPECT_EQ(&sender, &comm);
  };
  comm.Open();
  ASSERT_TRUE(comm.Enabled());
  backend.advance(5000);
  EXPECT_EQ(lost, 1);
  EXPECT_EQ(comm.Write(":GV#", 4), 0);
  comm.HandleCommEvent(comm_event::kLost);  // a second report changes nothing
  EXPECT_EQ(lost, 1);
  comm.Close();
  comm.Open();  // the adapter is gone
  EXPECT_FALSE(comm.Enabled());
}

TEST_F(CommTest, OwnerMayCloseThePortWhenToldOfTheLoss) {
  sim::ControllerOptions options;
  options.unplugAtMs = 100;
  devices.addController(4, options);
  comm.SetDeviceName("Com4");
  int lost = 0;
  comm.OnLost = [&](TThreadComm& sender) {
    ++lost;
    sender.Close();
  };
  comm.Open();
  backend.advance(1000);
  EXPECT_EQ(lost, 1);
  EXPECT_FALSE(comm.Enabled());
}

TEST_F(CommTest, NoHandlerRunsAfterClose) {
  comm.Open();
  Send(":GV#");
  comm.Close();
  backend.advance(kReplyWaitMs);
  EXPECT_EQ(rxEvents, 0);
}

TEST_F(CommTest, ClosingInsideAHandlerEndsTheEvent) {
  int statusEvents = 0;
  comm.OnRxChar = [&](TThreadComm& sender, std::uint32_t) {
    ++rxEvents;
    sender.Close();
  };
  comm.OnRxFlag = [&](TThreadComm&) { ADD_FAILURE() << "handler after Close"; };
  comm.OnComStatEvent = [&](TThreadComm&, std::uint32_t, const TComStat&) { ++statusEvents; };
  comm.EventChars().SetEvtChar('#');
  comm.Open();
  Send(":GV#");
  backend.advance(kReplyWaitMs);
  EXPECT_EQ(rxEvents, 1);
  EXPECT_EQ(statusEvents, 0);
  EXPECT_FALSE(comm.Enabled());
}

TEST_F(CommTest, BreakDiscardsWaitingBytes) {
  comm.OnRxChar = nullptr;
  comm.Open();
  Send(":GV#");
  backend.advance(kReplyWaitMs);
  ASSERT_GT(comm.InQueCount(), 0);
  comm.SetBREAKState(true);
  comm.SetBREAKState(false);
  EXPECT_EQ(comm.InQueCount(), 0);
}

}  // namespace
}  // namespace orvane
