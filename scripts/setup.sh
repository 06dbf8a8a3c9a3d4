#!/usr/bin/env bash
# Installs what gamesieve needs, when it is missing, through apt-get (Debian and Ubuntu); does nothing
# when everything is already there.
#
#   setup.sh           the tool: a C++20 compiler, CMake, Ninja, and the decompression libraries
#                      (libzstd, liblzma, zlib, libbz2) that read compressed inputs, libisal (ISA-L's
#                      gzip decoder, five times zlib's speed), and libxxhash (the hashes by which the
#                      ledger knows an input)
#   setup.sh --test    also what the tests need: GoogleTest, the compressors that make the compressed
#                      test inputs, clang with libFuzzer (the fuzz targets), man (the manual's test),
#                      clang-format, dpkg-dev and lintian (the package's test), bash-completion (the
#                      completion's test)
#   setup.sh --package also what the Debian package needs: dpkg-dev (dpkg-shlibdeps finds the libraries
#                      the package depends on)
#   setup.sh --bench   also what the benchmarks need: Google Benchmark, zstd, and pgn-extract (the peer
#                      that the benchmark compares with)
set -euo pipefail

want_test=false
want_bench=false
want_package=false
for arg in "$@"; do
    case $arg in
        --test) want_test=true ;;
        --bench) want_bench=true ;;
        --package) want_package=true ;;
        *) echo "setup.sh: unknown argument $arg" >&2; exit 1 ;;
    esac
done

missing=()
command -v g++ >/dev/null || missing+=(g++)
command -v cmake >/dev/null || missing+=(cmake)
command -v ninja >/dev/null || missing+=(ninja-build)
[ -f /usr/include/zstd.h ] || missing+=(libzstd-dev)
[ -f /usr/include/lzma.h ] || missing+=(liblzma-dev)
[ -f /usr/include/zlib.h ] || missing+=(zlib1g-dev)
[ -f /usr/include/bzlib.h ] || missing+=(libbz2-dev)
[ -f /usr/include/xxhash.h ] || missing+=(libxxhash-dev)
[ -f /usr/include/isa-l/igzip_lib.h ] || missing+=(libisal-dev)
if $want_test; then
    [ -f /usr/include/gtest/gtest.h ] || missing+=(libgtest-dev)
    command -v xz >/dev/null || missing+=(xz-utils)
    command -v pzstd >/dev/null || missing+=(zstd)  # zstd and pzstd
    command -v gzip >/dev/null || missing+=(gzip)
    command -v bzip2 >/dev/null || missing+=(bzip2)
    command -v clang++ >/dev/null || missing+=(clang)
    ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 || missing+=(libclang-rt-dev)
    command -v man >/dev/null || missing+=(man-db)
    command -v clang-format >/dev/null || missing+=(clang-format)
    command -v dpkg-shlibdeps >/dev/null || missing+=(dpkg-dev)
    command -v lintian >/dev/null || missing+=(lintian)
    [ -f /usr/share/bash-completion/bash_completion ] || missing+=(bash-completion)
fi
if $want_package; then
    command -v dpkg-shlibdeps >/dev/null || missing+=(dpkg-dev)
fi
if $want_bench; then
    [ -f /usr/include/benchmark/benchmark.h ] || missing+=(libbenchmark-dev)
    command -v zstd >/dev/null || missing+=(zstd)
    command -v xz >/dev/null || missing+=(xz-utils)
    command -v pgn-extract >/dev/null || missing+=(pgn-extract)
fi

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
