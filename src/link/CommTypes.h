// CommTypes: the enumerations, small sets and error type of the serial port component
// (TThreadComm), and how each enumeration maps onto the device's line settings.
// Thread: plain values, any thread.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>

#include "link/SerialDevice.h"

namespace orvane {

enum class TBaudRate {
  br110,
  br300,
  br600,
  br1200,
  br2400,
  br4800,
  br9600,
  br14400,
  br19200,
  br38400,
  br56000,
  br57600,
  br115200,
  br128000,
  br256000,
};
enum class TParity { paNone, paOdd, paEven, paMark, paSpace };
enum class TStopBits { sb10, sb15, sb20 };
enum class TDataBits { da4, da5, da6, da7, da8 };
enum class TFlowControl { fcNone, fcCTS, fcDTR, fcSoftware, fcDefault };
enum class TCommOption { coParityCheck, coDsrSensitivity, coIgnoreXOff, coErrorChar, coNullStrip };
// In the order of the device event bits (comm_event) and of the handlers called.
enum class TCommEventType {
  evBreak,
  evCts,
  evDsr,
  evError,
  evRing,
  evRlsd,
  evRxChar,
  evRxFlag,
  evTxEmpty,
};

// A set of enumeration values, one bit per value.
template <typename Enum>
class EnumSet {
 public:
  constexpr EnumSet() = default;
  constexpr EnumSet(std::initializer_list<Enum> values) {
    for (Enum value : values) bits_ |= bit(value);
  }
  static constexpr EnumSet FromBits(std::uint32_t bits) {
    EnumSet set;
    set.bits_ = bits;
    return set;
  }
  constexpr bool contains(Enum value) const { return (bits_ & bit(value)) != 0; }
  constexpr void insert(Enum value) { bits_ |= bit(value); }
  constexpr void erase(Enum value) { bits_ &= ~bit(value); }
  constexpr bool empty() const { return bits_ == 0; }
  constexpr std::uint32_t bits() const { return bits_; }
  friend constexpr bool operator==(EnumSet, EnumSet) = default;

 private:
  static constexpr std::uint32_t bit(Enum value) {
    return std::uint32_t{1} << static_cast<unsigned>(value);
  }
  std::uint32_t bits_ = 0;
};

using TCommOptions = EnumSet<TCommOption>;
using TCommEventTypes = EnumSet<TCommEventType>;
using TComStat = ComStat;

// Every event type: the component's default.
constexpr TCommEventTypes kAllCommEvents = TCommEventTypes::FromBits(comm_event::kAll);

// The device event mask standing for a set of event types (the bits coincide by design).
constexpr std::uint32_t EventMaskOf(TCommEventTypes events) {
  return events.bits() & comm_event::kAll;
}

// Bits per second named by a baud rate value.
int BaudRateValue(TBaudRate rate);
int DataBitsValue(TDataBits bits);
LineSettings::Parity ParityValue(TParity parity);
LineSettings::StopBits StopBitsValue(TStopBits bits);

// An error of the serial port component. Its message is the text followed by
// " (Error: code)", code being the system's error code or -1.
class CommError : public std::runtime_error {
 public:
  CommError(const std::string& text, int code);
  int code() const { return code_; }

 private:
  int code_;
};

// The component's error texts.
namespace comm_message {
constexpr const char* kPortAlreadyOpen = "Port already assigned (open)";
constexpr const char* kBufferInit = "Error initializing Read/Write Buffers";
constexpr const char* kDataControlBlock = "Error updating DataControlBlock";
constexpr const char* kCommTimeouts = "Error updating CommTimeouts";
constexpr const char* kEscapeFailure = "EscapeCommFunction failure";
constexpr const char* kPortNotOpen = "Port not open";
}  // namespace comm_message

}  // namespace orvane
