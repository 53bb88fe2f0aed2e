#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and runs the
# whole test suite; then builds the serial link and the widget layer with ThreadSanitizer
# and runs the tests that cross threads (a writer thread flooding the port, calls handed to the
# user-interface thread, waits that end on a ready socket, the whole program healing a
# pulled line in real time); then
# builds everything once more with clang, without sanitizers,
# so that the code stays free of the warnings of both compilers, and runs the suite with it;
# last, builds the Debian package and checks it (scripts/package.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
jobs="$(nproc)"

cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_SANITIZE=ON >/dev/null
cmake --build build-test --parallel "$jobs"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
(cd build-test && ctest --output-on-failure -j"$jobs" --timeout 300)

cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_TSAN=ON \
  -DORVANE_GUI=OFF >/dev/null
cmake --build build-tsan --parallel "$jobs" --target test_link test_ui
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"
(cd build-tsan && ctest --output-on-failure -j"$jobs" --timeout 300 \
  -R '^(CommTest|PtyCommTest|CommEventWatchTest|HeadlessGuiCallTest|HeadlessDescriptorWatchTest|SimulatorLinkTest)\.')

clang_started=$SECONDS
cmake -S . -B build-clang -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DORVANE_BENCH=ON >/dev/null
cmake --build build-clang --parallel "$jobs"
(cd build-clang && ctest --output-on-failure -j"$jobs" --timeout 300)
echo "clang build and tests: $((SECONDS - clang_started)) s"

package_started=$SECONDS
./scripts/package.sh
echo "package build and check: $((SECONDS - package_started)) s"
