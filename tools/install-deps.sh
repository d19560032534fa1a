#!/usr/bin/env bash
# Installs the Debian packages a group of make targets needs, and only those
# that are missing. Usage: tools/install-deps.sh build|test|bench|fuzz ...
set -euo pipefail

# Each line: group, a file that proves the package is there, the package.
read -r -d '' NEEDS <<'LIST' || true
build /usr/bin/cmake cmake
build /usr/bin/ninja ninja-build
build /usr/bin/g++ g++
build /usr/bin/i686-w64-mingw32-g++-posix g++-mingw-w64-i686-posix
build /usr/bin/x86_64-w64-mingw32-g++-posix g++-mingw-w64-x86-64-posix
build /usr/bin/i686-w64-mingw32-windres binutils-mingw-w64-i686
build /usr/bin/x86_64-w64-mingw32-windres binutils-mingw-w64-x86-64
test /usr/include/gtest/gtest.h libgtest-dev
test /usr/include/gmock/gmock.h libgmock-dev
test /usr/lib/python3/dist-packages/pefile.py python3-pefile
test /usr/bin/wrestool icoutils
test /usr/bin/convert-im6.q16 imagemagick
test /usr/lib/wine/wine64 wine64
test /usr/bin/xvfb-run xvfb
test /usr/bin/xauth xauth
test /usr/bin/localedef locales
test /usr/bin/getfattr attr
test /usr/bin/chattr e2fsprogs
test /usr/bin/import imagemagick
test /usr/bin/valgrind valgrind
test /usr/bin/clang++ clang
test /usr/lib/llvm-14/lib/clang/14.0.6/lib/linux/libclang_rt.fuzzer-x86_64.a libclang-rt-14-dev
bench /usr/bin/hyperfine hyperfine
bench /usr/include/benchmark/benchmark.h libbenchmark-dev
fuzz /usr/bin/clang++ clang
fuzz /usr/lib/llvm-14/lib/clang/14.0.6/lib/linux/libclang_rt.fuzzer-x86_64.a libclang-rt-14-dev
LIST

missing=()
for group in "$@"; do
  while read -r g proof package; do
    [ "$g" = "$group" ] || continue
    [ -e "$proof" ] || missing+=("$package")
  done <<<"$NEEDS"
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq "${missing[@]}" >/dev/null
