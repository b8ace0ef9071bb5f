#!/bin/sh
# Cross-builds the Windows engine (VelloranEngine.exe), its message file
# (EvntMsg.dll), the toolkit (VelloranDeploymentToolkit.exe) and the command
# line (velloran.exe) into ./build-windows, warnings as errors. With --tests, also the Windows
# backends' and the toolkit window's tests (run them under Wine).
# Needs the Debian packages g++-mingw-w64-x86-64-posix and libasio-dev
# (and googletest for --tests).
set -eu
TESTS=OFF
TARGETS="VelloranEngine EvntMsg VelloranDeploymentToolkit velloran"
for arg in "$@"; do
  case $arg in
    --tests) TESTS=ON; TARGETS="$TARGETS win32_backends win32_toolkit" ;;
    -h|--help) sed -n '2,8p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "build-windows.sh: unknown argument $arg (try --help)" >&2; exit 2 ;;
  esac
done
cd "$(dirname "$0")/.."
# BUILD names another tree (the Linux build's own cross build is
# build/windows-engine).
BUILD=${BUILD:-build-windows}

if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1; then
  echo "build-windows.sh: install the Debian package g++-mingw-w64-x86-64-posix" >&2
  exit 1
fi

# Asio is header-only and portable, but the cross compiler must not see the
# rest of /usr/include: give it Asio alone.
ASIO_DIR=$PWD/$BUILD/asio-include
if [ ! -f /usr/include/asio.hpp ]; then
  echo "build-windows.sh: install the Debian package libasio-dev" >&2
  exit 1
fi
mkdir -p "$ASIO_DIR"
ln -sfn /usr/include/asio.hpp "$ASIO_DIR/asio.hpp"
ln -sfn /usr/include/asio "$ASIO_DIR/asio"

GENERATOR=
command -v ninja >/dev/null 2>&1 && GENERATOR="-G Ninja"

# -O2 as in the Linux build: GCC 12 at -O3 raises false -Wrestrict alarms
# inside std::string.
# shellcheck disable=SC2086
cmake -S . -B "$BUILD" $GENERATOR \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
  -DASIO_INCLUDE_DIR="$ASIO_DIR" -DVELLORAN_WERROR=ON \
  -DVELLORAN_BUILD_TESTS=OFF -DVELLORAN_BUILD_BENCH=OFF -DVELLORAN_BUILD_TOOLKIT=OFF \
  -DVELLORAN_BUILD_WIN32_TESTS=$TESTS
# shellcheck disable=SC2086
cmake --build "$BUILD" -j"${JOBS:-2}" --target $TARGETS
echo "Built $BUILD/engine/VelloranEngine.exe"
