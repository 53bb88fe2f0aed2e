#include "link/CommTypes.h"

namespace orvane {

int BaudRateValue(TBaudRate rate) {
  switch (rate) {
    case TBaudRate::br110: return 110;
    case TBaudRate::br300: return 300;
    case TBaudRate::br600: return 600;
    case TBaudRate::br1200: return 1200;
    case TBaudRate::br2400: return 2400;
    case TBaudRate::br4800: return 4800;
    case TBaudRate::br9600: return 9600;
    case TBaudRate::br14400: return 14400;
    case TBaudRate::br19200: return 19200;
    case TBaudRate::br38400: return 38400;
    case TBaudRate::br56000: return 56000;
    case TBaudRate::br57600: return 57600;
    case TBaudRate::br115200: return 115200;
    case TBaudRate::br128000: return 128000;
    case TBaudRate::br256000: return 256000;
  }
  return 9600;
}

int DataBitsValue(TDataBits bits) { return 4 + static_cast<int>(bits); }

LineSettings::Parity ParityValue(TParity parity) {
  switch (parity) {
    case TParity::paNone: return LineSettings::Parity::None;
    case TParity::paOdd: return LineSettings::Parity::Odd;
    case TParity::paEven: return LineSettings::Parity::Even;
    case TParity::paMark: return LineSettings::Parity::Mark;
    case TParity::paSpace: return LineSettings::Parity::Space;
  }
  return LineSettings::Parity::None;
}

LineSettings::StopBits StopBitsValue(TStopBits bits) {
  switch (bits) {
    case TStopBits::sb10: return LineSettings::StopBits::One;
    case TStopBits::sb15: return LineSettings::StopBits::OneAndHalf;
    case TStopBits::sb20: return LineSettings::StopBits::Two;
  }
  return LineSettings::StopBits::One;
}

CommError::CommError(const std::string& text, int code)
    : std::runtime_error(text + " (Error: " + std::to_string(code) + ")"), code_(code) {}

}  // namespace orvane
