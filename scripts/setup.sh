#!/usr/bin/env bash
# Installs what gamesieve needs to build and test, when it is missing: a C++20 compiler, CMake, Ninja,
# GoogleTest, xz (a test data file is compressed), clang with libFuzzer (the fuzz targets), man (the
# manual's test) and Google Benchmark (bench/). Uses apt-get (Debian and Ubuntu); does nothing when
# everything is already there.
set -euo pipefail

missing=()
command -v g++ >/dev/null || missing+=(g++)
command -v cmake >/dev/null || missing+=(cmake)
command -v ninja >/dev/null || missing+=(ninja-build)
command -v xz >/dev/null || missing+=(xz-utils)
command -v clang++ >/dev/null || missing+=(clang)
ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 || missing+=(libclang-rt-dev)
[ -f /usr/include/gtest/gtest.h ] || missing+=(libgtest-dev)
command -v man >/dev/null || missing+=(man-db)
[ -f /usr/include/benchmark/benchmark.h ] || missing+=(libbenchmark-dev)

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
