// A direct ":GR#" round trip through the real serial component and cache manager against
// the orvane-sim program on a pseudo-terminal at 9600 baud, compared with its floor: the
// fixed 40 ms pause after a write plus 1.04 ms per byte sent and received.
#include <cstdio>

#include "BenchSupport.h"
#include "SimulatorSession.h"
#include "app/Application.h"
#include "link/Cache.h"

int main(int argc, char* argv[]) {
  using namespace orvane;
  bench::WithConnectedProgram("roundtrip", argc, argv, [](Application& app) {
    TCache& cache = *app.windows().cache;
    size_t replyLength = 0;
    const bench::Figures figures = bench::Measure(41, [&] {
      auto start = std::chrono::steady_clock::now();
      replyLength = cache.SendCommand(":GR#", true).size();
      return bench::ElapsedMs(start);
    });
    const double floor = bench::FloorMs(1, static_cast<long long>(4 + replyLength));
    std::printf(":GR# round trip (reply %zu bytes): median %.2f ms (min %.2f, max %.2f)\n",
                replyLength, figures.medianMs, figures.minMs, figures.maxMs);
    std::printf(
        "floor 40 ms + 1.04 ms x %zu bytes = %.2f ms; median - floor = %+.2f ms "
        "(goal: at most +3 ms)\n",
        4 + replyLength, floor, figures.medianMs - floor);
  });
  return 0;
}
