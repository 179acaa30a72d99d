#!/usr/bin/env bash
# Builds Velmaris for Windows x86-64 on Debian 12 and tests it under wine:
#   tools/windows/build.sh OUTDIR
# leaves OUTDIR/velmaris-setup-VERSION.exe (installer) and OUTDIR/velmaris-VERSION-windows.zip (portable).
# Qt and the libraries are cross-built from Debian's own sources once, into a cache outside the repository
# (VELMARIS_WINDOWS_CACHE, default /var/cache/velmaris-windows), keyed by version and options.
# Exits non-zero when anything fails, a test under wine included.
# Two first parts alone, so that CI can cross-build the libraries beside its other stages:
#   tools/windows/build.sh --fetch       the Debian packages and the sources (every use of apt)
#   tools/windows/build.sh --libraries   then Qt and the libraries into the cache (no apt once fetched)
set -euo pipefail

mode=all
case "${1:-}" in
  --fetch) mode=fetch ;;
  --libraries) mode=libraries ;;
  *)
    if [ $# -ne 1 ]; then
      echo "usage: $0 OUTDIR | --fetch | --libraries" >&2
      exit 2
    fi
    ;;
esac
repo=$(cd "$(dirname "$0")/../.." && pwd)
if [ $mode = all ]; then
  mkdir -p "$1"
  outdir=$(cd "$1" && pwd)
fi
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
  cmake ninja-build pkg-config dpkg-dev g++ tcl nasm zip unzip
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  qt6-base-dev qt6-base-dev-tools googletest libsqlite3-dev libturbojpeg0-dev
  wine wine64 nsis xvfb xauth x11-utils xdotool imagemagick fonts-liberation2 sqlite3
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
  # by which a second start on a bank reaches the program that holds it; no TLS), Test (the suites press
  # keys and wait for windows through QTest); the windows and offscreen platforms. The Direct2D platform
  # (a second copy of the windows one) and the Vista style are never loaded.
  -DFEATURE_dbus=OFF -DFEATURE_sql=OFF -DFEATURE_printsupport=OFF -DINPUT_openssl=no
  -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_direct2d1_1=OFF -DFEATURE_style_windowsvista=OFF
  -DFEATURE_androiddeployqt=OFF
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF
  # Every feature below is one nothing of ours uses; each left out is source Qt's build does not compile
  # (a cold build is most of the Windows stage's time). Kept because we use them: PNG (the resources'
  # icons), GIF and JPEG through Qt (the bank tool imports them through QImageReader), the Markdown
  # reader and the HTML and CSS parsers (the tool's import), PDF (the tool's prints), FreeType (the
  # offscreen platform's fonts on Windows, on which the suites run), accessibility, the file dialog and
  # what it is built of.
  # Network: local sockets only; no TLS (schannel, the certificate-only backend stays: Qt always builds
  # it), HTTP, UDP, proxies, DNS look-ups or network reachability.
  -DFEATURE_ssl=OFF -DFEATURE_schannel=OFF -DFEATURE_http=OFF -DFEATURE_udpsocket=OFF
  -DFEATURE_networkproxy=OFF -DFEATURE_socks5=OFF -DFEATURE_networkdiskcache=OFF -DFEATURE_dnslookup=OFF
  -DFEATURE_networklistmanager=OFF -DFEATURE_sspi=OFF -DFEATURE_gssapi=OFF -DFEATURE_topleveldomain=OFF
  # Gui: the ICO plugin (the program's icon is a Windows resource, never read by Qt), TUIO touch, animated
  # pictures, ODF and Markdown writing, undo, the tray icon, session management, PPM, QPicture.
  -DFEATURE_ico=OFF -DFEATURE_tuiotouch=OFF -DFEATURE_movie=OFF -DFEATURE_textodfwriter=OFF
  -DFEATURE_textmarkdownwriter=OFF -DFEATURE_undocommand=OFF -DFEATURE_undostack=OFF -DFEATURE_undogroup=OFF
  -DFEATURE_systemtrayicon=OFF -DFEATURE_sessionmanager=OFF -DFEATURE_imageformat_ppm=OFF -DFEATURE_picture=OFF
  # Widgets we never show (the graphics view alone is some thirty large files), nor does the file dialog
  # or the message box.
  -DFEATURE_graphicsview=OFF -DFEATURE_mdiarea=OFF -DFEATURE_calendarwidget=OFF -DFEATURE_datetimeedit=OFF
  -DFEATURE_wizard=OFF -DFEATURE_colordialog=OFF -DFEATURE_fontdialog=OFF -DFEATURE_inputdialog=OFF
  -DFEATURE_errormessage=OFF -DFEATURE_progressdialog=OFF -DFEATURE_undoview=OFF -DFEATURE_columnview=OFF
  -DFEATURE_keysequenceedit=OFF -DFEATURE_lcdnumber=OFF -DFEATURE_dial=OFF -DFEATURE_splashscreen=OFF
  -DFEATURE_toolbox=OFF -DFEATURE_fontcombobox=OFF -DFEATURE_commandlinkbutton=OFF
  -DFEATURE_datawidgetmapper=OFF -DFEATURE_syntaxhighlighter=OFF -DFEATURE_dockwidget=OFF
  -DFEATURE_tabwidget=OFF -DFEATURE_tabbar=OFF -DFEATURE_treewidget=OFF
  -DFEATURE_listwidget=OFF -DFEATURE_scroller=OFF -DFEATURE_spinbox=OFF -DFEATURE_progressbar=OFF
  # Not the slider: Qt's scroll bar is built on it, and without the scroll bar go the scroll area, the
  # text boxes, the item views and the file dialog, silently (configure turns dependents off, no error).
  # Nor the tool bar: Qt 6.4's compatibility source includes its header whatever the configuration.
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
# The entry is added once for all the sources a run fetches (each apt-get update takes a while).
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
}

$SUDO mkdir -p "$cache"
$SUDO chown "$(id -u):$(id -g)" "$cache"

# ---------------------------------------------------------------------------------------------------
# Sources are marked with the key they were fetched for: a later run (--libraries) builds from them
# without apt.
qt_src=$cache/src-qt
deps_src=$cache/src-deps
phase "Debian sources"
if [ ! -f "$qt_prefix/.complete" ] && [ "$(cat "$qt_src/fetched" 2>/dev/null)" != "$qt_key" ]; then
  fetch_sources "$qt_src" "qt6-base=$qt_deb_version"
  echo "$qt_key" >"$qt_src/fetched"
fi
if [ ! -f "$deps_prefix/.complete" ] && [ "$(cat "$deps_src/fetched" 2>/dev/null)" != "$deps_key" ]; then
  fetch_sources "$deps_src" "sqlite3=$sqlite_deb_version" "libjpeg-turbo=$jpeg_deb_version"
  echo "$deps_key" >"$deps_src/fetched"
fi
remove_deb_src
if [ $mode = fetch ]; then
  phase "fetched"
  exit 0
fi

# ---------------------------------------------------------------------------------------------------
phase "Qt $qt_version for Windows ($qt_prefix)"
# Turning a feature off turns off, without a word, every feature built on it: what we use is checked
# right after the configure, not found missing when the program fails to compile half an hour later.
check_qt_features() { # build folder
  local f missing=""
  for f in filedialog messagebox menubar mainwindow scrollarea scrollbar textedit lineedit tablewidget listview \
    radiobutton pushbutton label style_fusion accessibility clipboard shortcut pdf texthtmlparser cssparser \
    textmarkdownreader png gif jpeg imageformat_bmp localserver freetype harfbuzz regularexpression \
    xmlstreamreader xmlstreamwriter process timezone; do
    grep -qrE "^#define QT_FEATURE_$f 1\$" "$1"/src/*/qt*-config*.h || missing+=" $f"
  done
  if [ -n "$missing" ]; then
    echo "Qt for Windows was configured without features the program or its suites use:$missing" >&2
    exit 1
  fi
}
if [ -f "$qt_prefix/.complete" ]; then
  echo "cached"
else
  src=$qt_src
  # A build that was interrupted (a CI run out of time) goes on where it stopped.
  if [ "$(cat "$src/key" 2>/dev/null)" = "$qt_key" ] && [ -f "$src/build/build.ninja" ]; then
    echo "resuming the interrupted build in $src"
  else
    rm -rf "$src/build" "$qt_prefix"
    cmake -S "$src"/qt6-base-*/ -B "$src/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
      -DCMAKE_INSTALL_PREFIX="$qt_prefix" "${qt_options[@]}"
    check_qt_features "$src/build"
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
  src=$deps_src
  # From the start again after an interruption: these take a minute or two.
  rm -rf "$deps_prefix" "$src/sqlite-native" "$src/jpeg-build" "$src/gtest-build"
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
if [ $mode = libraries ]; then
  phase "libraries built"
  exit 0
fi

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
write_file_list() { # staged folder, list
  local stage=$1
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
  } >"$2"
}
publisher=$(sed -n 's/^set(CPACK_PACKAGE_VENDOR "\(.*\)")/\1/p' "$repo/packaging/CMakeLists.txt")
make_installer() { # staged folder, version, installer
  write_file_list "$1" "$build/installed-files.nsh"
  makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$2" -DFILES="$build/installed-files.nsh" -DOUTFILE="$3" \
    -DICON="$repo/resources/windows/velmaris.ico" -DPUBLISHER="$publisher" "$repo/tools/windows/installer.nsi"
}
setup_file=$outdir/velmaris-setup-$version.exe
make_installer "$stage" "$version" "$setup_file"

# The next release, for the upgrade test: the same program, one version on, with the bank under the
# next version stamp. Kept in the build folder: it is no product.
bank_stamp=$(cat "$repo/bank/VERSION" 2>/dev/null || echo 1)
next_version=${version%.*}.$((${version##*.} + 1))
rm -rf "$build/stage-next" "$build/bank-next"
cp -r "$build/stage" "$build/stage-next"
cp -r "$repo/bank" "$build/bank-next"
echo $((bank_stamp + 1)) >"$build/bank-next/VERSION"
rm "$build/stage-next/Velmaris/Velmaris.mdb"
"$wine" "$(winepath_of "$build/app/bin/velmaris-bank.exe")" build "$(winepath_of "$build/bank-next")" \
  -o "$(winepath_of "$build/stage-next/Velmaris/Velmaris.mdb")" </dev/null
next_setup=$build/velmaris-setup-$next_version.exe
make_installer "$build/stage-next/Velmaris" "$next_version" "$next_setup"

# ---------------------------------------------------------------------------------------------------
phase "install test under wine"
# The tests' X server start and waits (start_x_server, wait_for, eventually, screenshot).
work=$build/x
rm -rf "$work"
mkdir -p "$work" "$build/screenshots"
source "$repo/tests/e2e/x_server.sh"
start_x_server 1600x1000

# wine runs every program as an elevated administrator; a cadet's start, with the Administrators group
# only denying, goes through standard_user.exe.
standard_user=$build/standard_user.exe
$triple-g++-posix -std=c++20 -O2 -Wall -Wextra -Werror -static "$repo/tools/windows/standard_user.cpp" \
  -o "$standard_user" -ladvapi32
as_cadet() { "$wine" "$(winepath_of "$standard_user")" "$@" </dev/null >>"$work/wine.log" 2>&1; }
as_admin() { "$wine" "$@" </dev/null >>"$work/wine.log" 2>&1; }
windows_variable() { "$wine" cmd /c "echo %$1%" </dev/null 2>/dev/null | tr -d '\r\n'; }
unix_path() { "$wine" winepath -u "$1" </dev/null 2>/dev/null | tr -d '\r\n'; }

uninstall_key='Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmaris'
# Where each kind of install goes: install folder (Windows' name), registry root, Start menu folder.
user_folder_windows="$(windows_variable LOCALAPPDATA)\\Programs\\Velmaris"
all_folder_windows="$(windows_variable ProgramFiles)\\Velmaris"
user_data=$(unix_path "$(windows_variable APPDATA)\\Velmaris")
declare -A folder_windows=([user]=$user_folder_windows [all]=$all_folder_windows)
declare -A folder=([user]=$(unix_path "$user_folder_windows") [all]=$(unix_path "$all_folder_windows"))
declare -A root=([user]=HKCU [all]=HKLM)
declare -A menu=(
  [user]=$(unix_path "$(windows_variable APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs")
  [all]=$(unix_path "$(windows_variable ProgramData)\\Microsoft\\Windows\\Start Menu\\Programs")
)
other() { if [ "$1" = user ]; then echo all; else echo user; fi; }
# Windows' ERROR_ELEVATION_REQUIRED, as a Linux exit status keeps it: its low eight bits.
elevation_required=$((740 % 256))

fail() {
  echo "install test: $1" >&2
  echo "what wine printed:" >&2
  tail -n 20 "$work/wine.log" >&2 || true
  echo "the Windows programs running:" >&2
  ps -eo pid,args | grep -i '[.]exe' >&2 || true
  exit 1
}
passed=0
pass() {
  echo "install test: $1: passed"
  passed=$((passed + 1))
}

# The uninstall entry of a root, or nothing. A reg query once failed here after an install that had
# left everything else in place, and no rerun showed it again: a few tries when the entry is expected.
entry() { # root, tries
  local out
  for _ in $(seq "$2"); do
    out=$("$wine" reg query "$1\\$uninstall_key" </dev/null 2>/dev/null) && { echo "$out" | tr -d '\r'; return 0; }
    sleep 0.5
  done
  return 1
}
no_entry() { ! entry "$1" 1 >/dev/null; }
# The uninstaller's copy of itself, as NSIS names it, still at work (a zombie has lost its path).
no_uninstaller_running() { ! ps -eo args | grep -q '~nsu.*Un[._A-Z]*exe'; }
value_of() { sed -n "s/^ *$1 *REG_[A-Z_]* *//p"; }

expect_installed() { # kind (user, all), version, installed bank's version stamp
  local dir=${folder[$1]} win=${folder_windows[$1]} reg f
  for f in Velmaris.exe Velmaris.mdb uninstall.exe platforms/qwindows.dll; do
    [ -f "$dir/$f" ] || fail "$1: no $dir/$f"
  done
  [[ $(stat -c %A "$dir/Velmaris.mdb") != *w* ]] || fail "$1: the installed bank is not read-only"
  [ "$(sqlite3 "file:$dir/Velmaris.mdb?mode=ro" 'PRAGMA user_version')" = "$3" ] ||
    fail "$1: the installed bank is not the one of version stamp $3"
  [ -f "${menu[$1]}/Velmaris.lnk" ] || fail "$1: no Start menu entry in ${menu[$1]}"
  reg=$(entry "${root[$1]}" 20) || fail "$1: no uninstall entry under ${root[$1]}"
  [ "$(value_of DisplayName <<<"$reg")" = Velmaris ] || fail "$1: DisplayName: $reg"
  [ "$(value_of DisplayVersion <<<"$reg")" = "$2" ] || fail "$1: DisplayVersion is not $2: $reg"
  [ "$(value_of DisplayIcon <<<"$reg")" = "$win\\Velmaris.exe" ] || fail "$1: DisplayIcon: $reg"
  [ "$(value_of Publisher <<<"$reg")" = "$publisher" ] || fail "$1: Publisher: $reg"
  [ "$(value_of InstallLocation <<<"$reg")" = "$win" ] || fail "$1: InstallLocation: $reg"
  [[ $(value_of UninstallString <<<"$reg") == "\"$win\\uninstall.exe\""* ]] || fail "$1: UninstallString: $reg"
  [[ $(value_of QuietUninstallString <<<"$reg") == "\"$win\\uninstall.exe\""*" /S" ]] ||
    fail "$1: QuietUninstallString: $reg"
  # In kilobytes: more than the program's 10 MB, less than 100.
  local size=$(($(value_of EstimatedSize <<<"$reg")))
  ((size > 10000 && size < 100000)) || fail "$1: EstimatedSize is $size KB: $reg"
  ! entry "${root[$(other "$1")]}" 1 >/dev/null || fail "$1: an uninstall entry under ${root[$(other "$1")]} too"
  [ ! -e "${folder[$(other "$1")]}" ] || fail "$1: an install folder ${folder[$(other "$1")]} too"
}

expect_removed() { # kind
  # The uninstaller runs from a copy of itself and returns at once: wait for it to finish.
  if ! WAIT_TRIES=1200 eventually test ! -e "${folder[$1]}"; then
    find "${folder[$1]}" >&2
    fail "$1: the uninstall left the install folder"
  fi
  WAIT_TRIES=400 eventually no_entry "${root[$1]}" || fail "$1: the uninstall entry is still there"
  [ ! -e "${menu[$1]}/Velmaris.lnk" ] || fail "$1: the Start menu entry is still there"
}

# The installed program alone, none of the build's DLL folders on its path; with a message box first
# when it says something at its start.
start_installed() { # kind, screenshot name, [title of a message box to acknowledge first]
  local box
  (cd "${folder[$1]}" && WINEPATH="" exec "$wine" "${folder_windows[$1]}\\Velmaris.exe" </dev/null \
    >"$work/app.log" 2>&1) &
  app_pid=$!
  if [ -n "${3:-}" ]; then
    box=$(WAIT_TRIES=1200 wait_for "$3") || fail "$1: no message box '$3'; the program printed: $(cat "$work/app.log")"
    xdotool windowfocus "$box" key Return
  fi
  # A minute: wine's first start of a program in a new prefix is slow.
  WAIT_TRIES=1200 wait_for "Aplicație pentru" >/dev/null ||
    fail "$1: the installed program showed no welcome window; it printed: $(cat "$work/app.log")"
  screenshot "$build/screenshots/$2.png" || echo "install test: no screenshot of the welcome window" >&2
  # It may have ended on its own meanwhile: kill finding nothing is no failure.
  kill "$app_pid" 2>/dev/null || true
  wait "$app_pid" 2>/dev/null || true
  app_pid=""
}

# A question's text in a bank, as the learning window shows and corrects it.
first_question() { sqlite3 "file:$1?mode=ro" 'SELECT Intrebare FROM Intrebari ORDER BY rowid LIMIT 1'; }
correction=" (corectat de cursant)"

# 1. A cadet installs silently, without administrator rights: for that user alone, and the program
#    starts, making the user's copy of the bank.
as_cadet "$(winepath_of "$setup_file")" /S || fail "user: the silent install ended with exit code $?"
expect_installed user "$version" "$bank_stamp"
start_installed user installed-welcome
[ "$(sqlite3 "$user_data/Velmaris.mdb" 'PRAGMA user_version')" = "$bank_stamp" ] ||
  fail "user: the program made no copy of the bank in $user_data"
pass "per-user silent install"

# 2. A correction in the user's copy, then the next version installed over the first: one entry, the
#    installed bank replaced, the user's copy as it was; at its next start the program renews the copy
#    and keeps the corrected one beside it under its version stamp.
sqlite3 "$user_data/Velmaris.mdb" \
  "UPDATE Intrebari SET Intrebare = Intrebare || '$correction' WHERE rowid = (SELECT min(rowid) FROM Intrebari)"
corrected=$(first_question "$user_data/Velmaris.mdb")
as_cadet "$(winepath_of "$next_setup")" /S || fail "user: the upgrade ended with exit code $?"
expect_installed user "$next_version" $((bank_stamp + 1))
[ "$(first_question "$user_data/Velmaris.mdb")" = "$corrected" ] || fail "user: the upgrade changed the user's copy"
start_installed user upgraded-welcome '^Velmaris$'
kept=$user_data/Velmaris-v$bank_stamp.mdb
[ -f "$kept" ] && [ "$(first_question "$kept")" = "$corrected" ] ||
  fail "user: the corrected copy is not kept as $kept: $(ls "$user_data")"
[ "$(sqlite3 "$user_data/Velmaris.mdb" 'PRAGMA user_version')" = $((bank_stamp + 1)) ] ||
  fail "user: the program did not renew the user's copy"
pass "upgrade over a per-user install"

# 3. The silent uninstall removes the program and leaves the cadet's data.
as_cadet "${folder_windows[user]}\\uninstall.exe" /S || fail "user: the silent uninstall ended with $?"
expect_removed user
[ -f "$user_data/Velmaris.mdb" ] && [ -f "$kept" ] || fail "user: the silent uninstall removed the user's data"
pass "per-user silent uninstall keeps the user's data"

# 4. All users: asked for without administrator rights, refused with nothing installed; run elevated,
#    with or without /AllUsers, under Program Files and HKLM, and the uninstaller of such an install
#    needs the rights too. /Desktop adds the shortcut on every user's desktop, which the uninstall removes.
public_desktop=$(unix_path "$(windows_variable PUBLIC)\\Desktop")
rc=0
as_cadet "$(winepath_of "$setup_file")" /S /AllUsers || rc=$?
[ "$rc" = "$elevation_required" ] || fail "all: /AllUsers without administrator rights ended with $rc, not 740"
[ ! -e "${folder[all]}" ] && [ ! -e "${folder[user]}" ] && ! entry HKLM 1 >/dev/null && ! entry HKCU 1 >/dev/null ||
  fail "all: /AllUsers without administrator rights installed something"
for arguments in "/S" "/S /AllUsers /Desktop"; do
  # shellcheck disable=SC2086 # the arguments are words
  as_admin "$(winepath_of "$setup_file")" $arguments || fail "all: '$arguments' elevated ended with exit code $?"
  expect_installed all "$version" "$bank_stamp"
  if [[ $arguments == */Desktop ]]; then
    [ -f "$public_desktop/Velmaris.lnk" ] || fail "all: '$arguments' made no desktop shortcut in $public_desktop"
  else
    [ ! -e "$public_desktop/Velmaris.lnk" ] || fail "all: '$arguments' made a desktop shortcut"
  fi
  if [ "$arguments" = /S ]; then
    start_installed all installed-welcome-all-users
  else
    # The uninstaller works from a copy of itself in %TEMP%, whose exit code nobody sees (wine quotes the
    # folder that would keep it in place): what counts is that it ends with the install as it was.
    as_cadet "${folder_windows[all]}\\uninstall.exe" /S || fail "all: a cadet's uninstall did not start"
    WAIT_TRIES=1200 eventually no_uninstaller_running || fail "all: a cadet's uninstall did not end"
    [ -f "${folder[all]}/Velmaris.exe" ] && entry HKLM 1 >/dev/null ||
      fail "all: a cadet's uninstall removed an all-users install"
  fi
  as_admin "${folder_windows[all]}\\uninstall.exe" /S || fail "all: the silent uninstall ended with $?"
  expect_removed all
  [ ! -e "$public_desktop/Velmaris.lnk" ] || fail "all: the uninstall left the desktop shortcut"
  pass "all-users install ($arguments, elevated) and uninstall"
done

# 5. The installer's window, in Romanian, as a cadet meets it: the first page shot, the install through
#    its pages; then the uninstaller's window with "șterge și datele mele" ticked removes the data too.
# Keys go to the window that has the focus; the screen changes once the window has taken them, and the
# next keys wait until it has stopped changing.
screen_sum() { import -window root rgb:- 2>/dev/null | md5sum; }
changed_from() { [ "$(screen_sum)" != "$1" ]; }
press() { # window, keys...
  local window=$1 before
  shift
  before=$(screen_sum)
  xdotool windowfocus "$window" key "$@"
  WAIT_TRIES=400 eventually changed_from "$before" || fail "the window did not take the keys $*"
  screenshot "$work/after-keys.png"
}
(as_cadet "$(winepath_of "$setup_file")") &
setup_window=$(WAIT_TRIES=1200 wait_for "^Instalare Velmaris") || fail "user: the installer showed no window"
screenshot "$build/screenshots/installer-first-page.png"
press "$setup_window" Return # the welcome page: on to the folder
screenshot "$build/screenshots/installer-folder-page.png"
press "$setup_window" Return # install
WAIT_TRIES=1200 eventually entry HKCU 1 >/dev/null || fail "user: the install through the window registered nothing"
screenshot "$build/screenshots/installer-finish-page.png"
# The finish page, its "run Velmaris" ticked: the program starts.
press "$setup_window" Return
WAIT_TRIES=1200 wait_for "Aplicație pentru" >/dev/null || fail "user: the finish page did not start the program"
as_admin taskkill /F /IM Velmaris.exe || true
wait_gone "Aplicație pentru" || fail "user: the program started by the installer did not end"
expect_installed user "$version" "$bank_stamp"

(as_cadet "${folder_windows[user]}\\uninstall.exe") &
uninstall_window=$(WAIT_TRIES=1200 wait_for "^Dezinstalare Velmaris") || fail "user: the uninstaller showed no window"
press "$uninstall_window" Return # the confirmation: on to the choice
# The list has the focus, on the program's line: the next line is the user's data.
press "$uninstall_window" Down space
screenshot "$build/screenshots/uninstaller-user-data.png"
press "$uninstall_window" Return
expect_removed user
WAIT_TRIES=400 eventually test ! -e "$user_data" || fail "user: 'șterge și datele mele' left $user_data"
press "$uninstall_window" Return # close
pass "install and uninstall through the windows, the user's data removed when asked"

# 6. The zip, unpacked anywhere (here a folder of the build's, as a USB stick would be): the program
#    works in the bank beside it and makes nothing in the user's folder.
rm -rf "$work/stick" "$user_data"
mkdir -p "$work/stick"
(cd "$work/stick" && unzip -q "$zip_file")
folder[zip]=$work/stick/Velmaris
folder_windows[zip]=$(winepath_of "$work/stick/Velmaris")
start_installed zip portable-welcome
[ -f "$work/stick/Velmaris/Velmaris.mdb.lock" ] || fail "zip: the program did not take the bank beside it"
[ ! -e "$user_data" ] || fail "zip: the program wrote into $user_data: $(ls "$user_data")"
pass "the zip runs where it is unpacked and writes only there"

phase "done"
ls -l "$setup_file" "$zip_file"
echo "wine-install: $passed passed, 0 failed"
