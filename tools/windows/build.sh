#!/usr/bin/env bash
# Builds Velmaris for Windows x86-64 on Debian 12 and tests it under wine:
#   tools/windows/build.sh OUTDIR
# leaves OUTDIR/velmaris-setup-VERSION.exe (installer) and OUTDIR/velmaris-VERSION-windows.zip (portable).
# Qt and the libraries are cross-built from Debian's own sources once, into a cache outside the repository
# (VELMARIS_WINDOWS_CACHE, default /var/cache/velmaris-windows), keyed by version and options.
# Exits non-zero when anything fails, a test under wine included.
set -euo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 OUTDIR" >&2
  exit 2
fi
repo=$(cd "$(dirname "$0")/../.." && pwd)
mkdir -p "$1"
outdir=$(cd "$1" && pwd)
cd "$repo"
cache=${VELMARIS_WINDOWS_CACHE:-/var/cache/velmaris-windows}
build=$repo/build-windows
jobs=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}
toolchain=$repo/tools/windows/mingw-w64.cmake
triple=x86_64-w64-mingw32
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

phase_start=$SECONDS
phase() {
  echo "== $1 (previous phase: $((SECONDS - phase_start)) s)"
  phase_start=$SECONDS
}

# ---------------------------------------------------------------------------------------------------
phase "Debian packages"
packages=(
  cmake ninja-build pkg-config dpkg-dev g++ tcl nasm zip
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  qt6-base-dev qt6-base-dev-tools googletest libsqlite3-dev libturbojpeg0-dev
  wine wine64 nsis xvfb xauth x11-utils xdotool imagemagick fonts-liberation2
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Qt's host tools (moc, rcc, uic) are Debian's: the Windows Qt must be the very same version.
qt_deb_version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
qt_version=${qt_deb_version%%+*}
qt_options=(
  -DCMAKE_BUILD_TYPE=Release
  -DBUILD_SHARED_LIBS=ON
  -DQT_HOST_PATH=/usr
  -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
  # Off as an input: turning only the feature off leaves dynamic OpenGL on, and the Windows plugin
  # then fails to compile.
  -DINPUT_opengl=no
  # Qt 6.4 needs Direct2D for it, which mingw lacks: the Windows plugin would not link.
  -DFEATURE_directwrite3=OFF
  # Debian's source drops the wintab headers.
  -DFEATURE_tabletevent=OFF
  -DFEATURE_vulkan=OFF
  -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF
  -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF
  # Only what the program and its tests use: Core, Gui, Widgets (Fusion style), Network (the local socket
  # by which a second start on a bank reaches the program that holds it; no TLS), Test; the windows and
  # offscreen platforms. The Direct2D platform (a second copy of the windows one) and the Vista style are
  # never loaded.
  -DFEATURE_dbus=OFF -DFEATURE_sql=OFF -DFEATURE_printsupport=OFF -DINPUT_openssl=no
  -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_direct2d1_1=OFF -DFEATURE_style_windowsvista=OFF
  -DFEATURE_androiddeployqt=OFF
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF
)
key_of() { sha256sum | cut -c1-12; }
qt_key=$( (echo "$qt_deb_version ${qt_options[*]}"; cat "$toolchain") | key_of)
qt_prefix=$cache/qt-$qt_version-$qt_key

# SQLite and libjpeg-turbo are linked statically (no extra DLLs to ship); GoogleTest from Debian's
# source package for the test suites.
sqlite_deb_version=$(dpkg-query -W -f='${Version}' libsqlite3-dev)
jpeg_deb_version=$(dpkg-query -W -f='${Version}' libturbojpeg0-dev)
gtest_deb_version=$(dpkg-query -W -f='${Version}' googletest)
deps_key=$( (echo "$sqlite_deb_version $jpeg_deb_version $gtest_deb_version"; cat "$toolchain") | key_of)
deps_prefix=$cache/deps-$deps_key

# ---------------------------------------------------------------------------------------------------
# Debian's source packages: a deb-src entry only for as long as the downloads take.
deb_src_list=/etc/apt/sources.list.d/velmaris-windows-deb-src.sources
remove_deb_src() {
  if [ -f "$deb_src_list" ]; then
    $SUDO rm -f "$deb_src_list"
    $SUDO apt-get update -q >/dev/null || true
  fi
}
fetch_sources() { # folder, then source package=version pairs
  local dir=$1
  shift
  if [ ! -f "$deb_src_list" ]; then
    trap remove_deb_src EXIT
    {
      if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources
      else
        echo "Types: deb-src"
        echo "URIs: http://deb.debian.org/debian"
        echo "Suites: bookworm bookworm-updates"
        echo "Components: main"
        echo "Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg"
      fi
    } | $SUDO tee "$deb_src_list" >/dev/null
    $SUDO apt-get update -q >/dev/null
  fi
  rm -rf "$dir"
  mkdir -p "$dir"
  (cd "$dir" && apt-get source -q "$@" >/dev/null)
  remove_deb_src
}

$SUDO mkdir -p "$cache"
$SUDO chown "$(id -u):$(id -g)" "$cache"

# ---------------------------------------------------------------------------------------------------
phase "Qt $qt_version for Windows ($qt_prefix)"
if [ -f "$qt_prefix/.complete" ]; then
  echo "cached"
else
  src=$cache/src-qt
  # A build that was interrupted (a CI run out of time) goes on where it stopped.
  if [ "$(cat "$src/key" 2>/dev/null)" = "$qt_key" ] && [ -f "$src/build/build.ninja" ]; then
    echo "resuming the interrupted build in $src"
  else
    fetch_sources "$src" "qt6-base=$qt_deb_version"
    rm -rf "$qt_prefix"
    cmake -S "$src"/qt6-base-*/ -B "$src/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
      -DCMAKE_INSTALL_PREFIX="$qt_prefix" "${qt_options[@]}"
    echo "$qt_key" >"$src/key"
  fi
  cmake --build "$src/build" --parallel "$jobs"
  cmake --install "$src/build"
  touch "$qt_prefix/.complete"
  rm -rf "$src"
fi

# ---------------------------------------------------------------------------------------------------
phase "SQLite, libjpeg-turbo and GoogleTest for Windows ($deps_prefix)"
if [ -f "$deps_prefix/.complete" ]; then
  echo "cached"
else
  src=$cache/src-deps
  fetch_sources "$src" "sqlite3=$sqlite_deb_version" "libjpeg-turbo=$jpeg_deb_version"
  rm -rf "$deps_prefix"
  mkdir -p "$deps_prefix/lib/pkgconfig" "$deps_prefix/include"

  # SQLite: the single-file form is generated on the build machine, then compiled for Windows.
  mkdir -p "$src/sqlite-native"
  (cd "$src/sqlite-native" && "$src"/sqlite3-*/configure -q >/dev/null && make -s sqlite3.c >/dev/null)
  ${triple}-gcc-posix -O2 -DSQLITE_THREADSAFE=1 -DSQLITE_OMIT_LOAD_EXTENSION \
    -c "$src/sqlite-native/sqlite3.c" -o "$src/sqlite3.o"
  ${triple}-ar rcs "$deps_prefix/lib/libsqlite3.a" "$src/sqlite3.o"
  cp "$src/sqlite-native/sqlite3.h" "$src/sqlite-native/sqlite3ext.h" "$deps_prefix/include/"
  sqlite_version=$(sed -n 's/^#define SQLITE_VERSION *"\(.*\)"/\1/p' "$deps_prefix/include/sqlite3.h")
  cat >"$deps_prefix/lib/pkgconfig/sqlite3.pc" <<EOF
prefix=$deps_prefix
libdir=\${prefix}/lib
includedir=\${prefix}/include
Name: SQLite
Description: SQL database engine
Version: $sqlite_version
Libs: -L\${libdir} -lsqlite3
Cflags: -I\${includedir}
EOF

  # The libraries' folder is given whole: a relative one would be taken relative to the current folder.
  cmake -S "$src"/libjpeg-turbo-*/ -B "$src/jpeg-build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps_prefix" -DCMAKE_INSTALL_LIBDIR="$deps_prefix/lib" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=ON -DWITH_JAVA=OFF
  cmake --build "$src/jpeg-build" --parallel "$jobs"
  cmake --install "$src/jpeg-build"

  cmake -S /usr/src/googletest -B "$src/gtest-build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps_prefix" -DCMAKE_INSTALL_LIBDIR="$deps_prefix/lib" \
    -DBUILD_SHARED_LIBS=OFF -Dgtest_disable_pthreads=OFF
  cmake --build "$src/gtest-build" --parallel "$jobs"
  cmake --install "$src/gtest-build"

  touch "$deps_prefix/.complete"
  rm -rf "$src"
fi
remove_deb_src

# ---------------------------------------------------------------------------------------------------
# wine: a prefix of this build's own, Windows' classic faces mapped to the Liberation ones (a real
# Windows has its own), and every process it starts stopped at the end, by process id.
wine=/usr/lib/wine/wine64
export WINEPREFIX=$build/wine WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
winepath_of() { local p=${1//\//\\}; echo "Z:$p"; }
WINEPATH="$(winepath_of "$qt_prefix/bin");$(winepath_of /usr/lib/gcc/$triple/12-posix);$(winepath_of /usr/$triple/lib)"
export WINEPATH
wineserver_pid=""
x_pid=""
app_pid=""
cleanup() {
  local rc=$?
  remove_deb_src
  if [ -n "$app_pid" ]; then kill "$app_pid" 2>/dev/null || true; fi
  if [ -n "$wineserver_pid" ]; then
    /usr/lib/wine/wineserver64 -k 2>/dev/null || true
    kill "$wineserver_pid" 2>/dev/null || true
    wait "$wineserver_pid" 2>/dev/null || true
  fi
  if [ -n "$x_pid" ]; then kill "$x_pid" 2>/dev/null || true; fi
  exit $rc
}
trap cleanup EXIT

phase "wine prefix"
rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
# wine's first process starts helper services that would inherit CTest's pipes and keep it waiting:
# a persistent server and one command start them here, outside CTest.
/usr/lib/wine/wineserver64 -p -f &
wineserver_pid=$!
"$wine" cmd /c exit </dev/null >/dev/null 2>&1
# The Liberation faces installed as Windows fonts (the bank tool prints with Liberation Serif).
cp /usr/share/fonts/truetype/liberation2/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
printf '%s\r\n' 'REGEDIT4' '' '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' \
  '"Times New Roman"="Liberation Serif"' '"Tahoma"="Liberation Sans"' '"MS Sans Serif"="Liberation Sans"' \
  '"Arial"="Liberation Sans"' '"Courier New"="Liberation Mono"' >"$build/fonts.reg"
"$wine" regedit /S "$(winepath_of "$build/fonts.reg")" </dev/null >/dev/null 2>&1

# ---------------------------------------------------------------------------------------------------
phase "Velmaris for Windows"
version=$(sed -n 's/^project(Velmaris VERSION \([0-9.]*\).*/\1/p' "$repo/CMakeLists.txt")
export PKG_CONFIG_LIBDIR=$deps_prefix/lib/pkgconfig
cmake -S "$repo" -B "$build/app" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$qt_prefix/lib/cmake/Qt6/qt.toolchain.cmake" \
  -DQT_CHAINLOAD_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_FIND_ROOT_PATH="$qt_prefix;$deps_prefix" \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$wine" \
  -DCMAKE_BUILD_TYPE=Release -DVELMARIS_WERROR=ON -DVELMARIS_BENCH=OFF
cmake --build "$build/app" --parallel "$jobs"

# ---------------------------------------------------------------------------------------------------
phase "tests under wine"
ctest --test-dir "$build/app" --output-on-failure --timeout 600

# ---------------------------------------------------------------------------------------------------
phase "packages"
stage=$build/stage/Velmaris
rm -rf "$build/stage"
mkdir -p "$stage/platforms"
cp "$build/app/bin/Velmaris.exe" "$stage/"
# A bank fresh from bank/ (the build folder's copy may hold edits made while trying the program).
"$wine" "$(winepath_of "$build/app/bin/velmaris-bank.exe")" build "$(winepath_of "$repo/bank")" \
  -o "$(winepath_of "$stage/Velmaris.mdb")" </dev/null
cp "$qt_prefix"/bin/Qt6{Core,Gui,Widgets,Network}.dll "$stage/"
cp "$qt_prefix/plugins/platforms/qwindows.dll" "$stage/platforms/"
cp /usr/lib/gcc/$triple/12-posix/{libstdc++-6,libgcc_s_seh-1}.dll /usr/$triple/lib/libwinpthread-1.dll "$stage/"
$triple-strip --strip-unneeded "$stage"/*.exe "$stage"/*.dll "$stage"/platforms/*.dll

# Every DLL a shipped file imports is shipped too, or is part of Windows.
system_dlls=" advapi32 authz bcrypt comctl32 comdlg32 crypt32 d3d11 d3d12 d3d9 dnsapi dwmapi dwrite dxgi gdi32
  imm32 iphlpapi kernel32 msvcrt mpr netapi32 ntdll ole32 oleaut32 secur32 setupapi shell32 shlwapi user32
  userenv uxtheme version winhttp winmm ws2_32 wtsapi32 shcore "
system_dlls=" $(echo $system_dlls) " # one blank between names, line ends included
missing_dlls=$(
  for f in "$stage"/*.exe "$stage"/*.dll "$stage"/platforms/*.dll; do
    $triple-objdump -p "$f" | sed -n 's/^\s*DLL Name: //p'
  done | sort -fu | while read -r dll; do
    lower=$(echo "${dll%.*}" | tr 'A-Z' 'a-z')
    [ -f "$stage/$dll" ] || [[ $system_dlls == *" $lower "* ]] || [[ $lower == api-ms-win-* ]] || echo "$dll"
  done
)
if [ -n "$missing_dlls" ]; then
  echo "imported but neither shipped nor part of Windows: $missing_dlls" >&2
  exit 1
fi

# Portable: the folder as it is, the bank writable beside the program.
zip_file=$outdir/velmaris-$version-windows.zip
rm -f "$zip_file"
(cd "$build/stage" && zip -q -r -X "$zip_file" Velmaris)

# Installer: the file list is written out so that the uninstaller removes exactly what was installed.
nsh=$build/installed-files.nsh
{
  echo '!macro VelmarisInstallFiles'
  (cd "$stage" && find . -type d | sort) | while read -r d; do
    d=${d#.}
    d=${d#/}
    echo "  SetOutPath \"\$INSTDIR${d:+\\${d//\//\\}}\""
    find "$stage/$d" -maxdepth 1 -type f | sort | while read -r f; do echo "  File \"$f\""; done
  done
  echo '!macroend'
  echo '!macro VelmarisUninstallFiles'
  (cd "$stage" && find . -type f | sort) | while read -r f; do
    f=${f#./}
    echo "  SetFileAttributes \"\$INSTDIR\\${f//\//\\}\" NORMAL"
    echo "  Delete \"\$INSTDIR\\${f//\//\\}\""
  done
  (cd "$stage" && find . -mindepth 1 -type d | sort -r) | while read -r d; do
    d=${d#./}
    echo "  RMDir \"\$INSTDIR\\${d//\//\\}\""
  done
  echo '!macroend'
} >"$nsh"
setup_file=$outdir/velmaris-setup-$version.exe
makensis -V2 -DVERSION="$version" -DFILES="$nsh" -DOUTFILE="$setup_file" "$repo/tools/windows/installer.nsi"

# ---------------------------------------------------------------------------------------------------
phase "install test under wine"
# The tests' X server start and waits (start_x_server, wait_for, eventually, screenshot).
work=$build/x
rm -rf "$work"
mkdir -p "$work"
source "$repo/tests/e2e/x_server.sh"
start_x_server 1600x1000

programs="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"
install_dir="$WINEPREFIX/drive_c/Program Files/Velmaris"
fail() {
  echo "install test: $1" >&2
  exit 1
}
setup_rc=0
"$wine" "$(winepath_of "$setup_file")" /S </dev/null >/dev/null 2>&1 || setup_rc=$?
[ "$setup_rc" = 0 ] || fail "the silent install ended with exit code $setup_rc"
[ -f "$install_dir/Velmaris.exe" ] || fail "the silent install left no Velmaris.exe"
[ -f "$programs/Velmaris.lnk" ] || fail "no Start menu entry"
# A reg query once failed here after an install that had left everything else in place, and no rerun
# showed it again: a few tries, and what reg said when none finds the key.
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmaris'
registered=""
for _ in $(seq 20); do
  reg_out=$("$wine" reg query "$uninstall_key" </dev/null 2>&1) && { registered=1; break; }
  sleep 0.5
done
if [ -z "$registered" ]; then
  echo "$reg_out" >&2
  fail "no uninstaller registered"
fi
grep -q 'UninstallString.*uninstall.exe' <<<"$reg_out" || { echo "$reg_out" >&2; fail "the uninstall entry has no command"; }

# The installed program alone: none of the build's DLL folders on its path.
(cd "$install_dir" && WINEPATH="" exec "$wine" 'C:\Program Files\Velmaris\Velmaris.exe' </dev/null >"$work/app.log" 2>&1) &
app_pid=$!
# A minute: wine's first start of a program in a new prefix is slow.
WAIT_TRIES=1200 wait_for "Aplicație pentru" >/dev/null ||
  fail "the installed program showed no welcome window; it printed: $(cat "$work/app.log")"
mkdir -p "$build/screenshots"
screenshot "$build/screenshots/installed-welcome.png" || echo "install test: no screenshot of the welcome window" >&2
# It may have ended on its own meanwhile: kill finding nothing is no failure.
kill "$app_pid" 2>/dev/null || true
wait "$app_pid" 2>/dev/null || true
app_pid=""

"$wine" 'C:\Program Files\Velmaris\uninstall.exe' /S </dev/null >/dev/null 2>&1
# The uninstaller runs from a copy of itself and returns at once: wait for it to finish.
if ! WAIT_TRIES=1200 eventually test ! -e "$install_dir"; then
  find "$install_dir" >&2
  fail "the silent uninstall left the install folder"
fi
[ ! -e "$programs/Velmaris.lnk" ] || fail "the Start menu entry is still there"

phase "done"
ls -l "$setup_file" "$zip_file"
echo "wine-install: 1 passed, 0 failed"
