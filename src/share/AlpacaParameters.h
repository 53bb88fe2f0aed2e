// AlpacaParameters: the parameters of a request of the network device protocol (ASCOM
// Alpaca): form-encoded ("name=value&..."), in the query of a GET and in the body of a PUT.
// As the protocol wants, the names of a query are found whatever their case and the names
// of a PUT body only as written ("RightAscension"; "rightascension" there is a parameter
// the device does not know and leaves alone); values keep their case. The readers of
// values say in words what is wrong with one, for the answer "400 Bad Request".
// Thread: any (pure values and functions).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvane {

class AlpacaParameters {
 public:
  enum class Names { AnyCase, Exact };

  // Decodes "a=1&b=x%20y+z"; nothing when an escape is broken ("%G1", "%4").
  static std::optional<AlpacaParameters> FromForm(std::string_view encoded,
                                                  Names names = Names::AnyCase);

  // The value of the first parameter of that name; nothing when there is none.
  std::optional<std::string> Find(std::string_view name) const;

 private:
  std::vector<std::pair<std::string, std::string>> values_;
  Names names_ = Names::AnyCase;
};

// The value as the protocol's numbers are written ("12.5", "-3", "1e-2"); nothing for
// anything else, infinities and "not a number" included.
std::optional<double> ReadNumber(std::string_view text);
// "True" or "False" in any case.
std::optional<bool> ReadBoolean(std::string_view text);
// A whole number in decimal digits with an optional sign.
std::optional<long long> ReadInteger(std::string_view text);
// A transaction number or client number: 0 to 4294967295.
std::optional<std::uint32_t> ReadTransactionNumber(std::string_view text);

}  // namespace orvane
