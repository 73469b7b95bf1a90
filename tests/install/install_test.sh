#!/usr/bin/env bash
# install_test.sh BUILD_DIR CONSUMER_DIR CMAKE CXX [CXXFLAGS]: installs BUILD_DIR into a temporary
# prefix, builds the consumer against it with CMake and with pkg-config (compiling and linking
# with CXXFLAGS), and runs both programs.
set -euo pipefail
build=$1 consumer=$2 cmake=$3 cxx=$4 cxxflags=${5:-}
read -ra extra <<<"$cxxflags"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

"$cmake" --install "$build" --prefix "$prefix" >/dev/null
# The installed headers must stand alone: none may reach for OpenCV.
if grep -rl "opencv" "$prefix/include"; then
    echo "installed headers include OpenCV" >&2
    exit 1
fi

"$cmake" -S "$consumer" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$cxxflags" \
    -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
"$cmake" --build "$work/build" >/dev/null
"$work/build/oc_consumer"

pcdir=$(dirname "$(find "$prefix" -name oc.pc)")
flags=$(PKG_CONFIG_PATH=$pcdir pkg-config --cflags --libs oc)
libdir=$(PKG_CONFIG_PATH=$pcdir pkg-config --variable=libdir oc)
"$cxx" -std=c++20 -O1 "${extra[@]}" "$consumer/main.cpp" $flags -Wl,-rpath,"$libdir" -o "$work/pc_consumer"
"$work/pc_consumer"
