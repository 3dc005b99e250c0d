#!/usr/bin/env bash
# Installs what is needed, builds everything and runs every test through CTest; then runs the
# library suites again under AddressSanitizer with UndefinedBehaviorSanitizer, and under
# ThreadSanitizer (the threaded paths: requests across threads, the firmware worker, watchers).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
jobs=$(nproc)
build=${GLIMRA_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGLIMRA_BUILD_TESTS=ON
cmake --build "$build" -j"$jobs"
ctest --test-dir "$build" --output-on-failure --no-tests=error -j"$jobs"

if [ "${GLIMRA_SKIP_SANITIZERS:-0}" = 1 ]; then
    exit 0
fi
suites=(framework_tests tavrellib_tests simulator_tests)
fuzz=(fuzz_packet_decode fuzz_report_descriptor fuzz_dialog_template fuzz_profile_file
      fuzz_openrgb_connection)
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=second_deadlock_stack=1
for sanitize in "address;undefined" thread; do
    dir="$build-${sanitize%%;*}"
    echo "== Library suites under -fsanitize=${sanitize//;/,}"
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DGLIMRA_BUILD_TESTS=ON \
        "-DGLIMRA_SANITIZE=$sanitize"
    cmake --build "$dir" -j"$jobs" --target "${suites[@]}" "${fuzz[@]}" glimra-sim
    ctest --test-dir "$dir" --output-on-failure --no-tests=error -j"$jobs" \
        -L "^($(IFS='|'; echo "${suites[*]}")|fuzz)\$"
done
