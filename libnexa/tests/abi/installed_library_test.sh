#!/usr/bin/env bash
# Installs the build tree as a platform would (component "nexa", then the
# client library's component "odb") into a fresh prefix, moves the prefix,
# and builds and runs a C program with nothing but pkg-config's answers.
#
# Usage: installed_library_test.sh CMAKE BINARY_DIR PROGRAM.c CC PKG_CONFIG LIBDIR SANITIZED
#   LIBDIR: the install libdir relative to the prefix (CMAKE_INSTALL_LIBDIR);
#   SANITIZED: 1 when the libraries were built with AddressSanitizer.
set -euo pipefail
cmake=$1 binary_dir=$2 program=$3 cc=$4 pkg_config=$5 libdir=$6 sanitized=$7

fail() { echo "FAILED: $*" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
staged=$work/staged
moved=$work/moved

"$cmake" --install "$binary_dir" --prefix "$staged" --component nexa >/dev/null
# libnexa alone leaves the client library to the platform.
for file in include/nexalib.h "$libdir/libnexa.so.0" "$libdir/libnexa.so" "$libdir/pkgconfig/libnexa.pc"; do
  [[ -e $staged/$file ]] || fail "component nexa does not install $file"
done
for file in include/odb.h "$libdir/pkgconfig/odb.pc"; do
  [[ ! -e $staged/$file ]] || fail "component nexa installs $file"
done
"$cmake" --install "$binary_dir" --prefix "$staged" --component odb >/dev/null

# The pkg-config files must follow the tree, not name where it was put.
mv "$staged" "$moved"
export PKG_CONFIG_PATH=$moved/$libdir/pkgconfig
for package in libnexa odb; do
  ! grep -qF "$staged" "$moved/$libdir/pkgconfig/$package.pc" ||
    fail "$package.pc names the install prefix"
  prefix=$("$pkg_config" --variable=prefix "$package")
  [[ $(cd "$prefix" && pwd -P) == $(cd "$moved" && pwd -P) ]] ||
    fail "$package.pc gives prefix $prefix after moving the tree to $moved"
done

cflags=$("$pkg_config" --cflags libnexa)
libs=$("$pkg_config" --libs libnexa)
# The linker's remarks about the ASan runtime are shown only on failure.
# shellcheck disable=SC2086  # the flags are several words
if ! output=$("$cc" -std=c99 -Wall -Wextra -Werror $cflags "$program" -o "$work/program" $libs 2>&1); then
  echo "$output" >&2
  fail "the program does not build with: $cflags ... $libs"
fi

run_env=(env -u ODB_STANDIN_FILE -u ODB_STANDIN_LOG
  "LD_LIBRARY_PATH=$("$pkg_config" --variable=libdir libnexa)")
if [[ $sanitized == 1 ]]; then
  # The sanitized libraries need the ASan runtime first in a program that
  # is not itself instrumented.
  asan=$("$cc" -print-file-name=libasan.so)
  [[ $asan == /* && -e $asan ]] || fail "$cc does not name its libasan.so"
  run_env+=("LD_PRELOAD=$asan")
fi
"${run_env[@]}" "$work/program" || fail "the installed program fails"
echo "installed library usable from a moved prefix"
