# Qt 6.4.2 for 64-bit Windows, cross-built once from Debian's own qt6-base source (the very Qt the
# Linux build uses) into $qt_prefix, and reused afterwards. Sourced by scripts/windows.
# shellcheck shell=bash

qt_version=6.4.2
qt_cache=${MO_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/mezni-odchylka-windows}
qt_prefix="$qt_cache/qt-$qt_version-mingw64"

qt_ready() {
    [ -f "$qt_prefix/.complete" ] && [ -f "$qt_prefix/.minizip" ]
}

# The apt options that fetch Debian's sources through a configuration of our own: the machine's
# sources stay as they are.
source_apt() {
    local apt="$qt_cache/apt"
    mkdir -p "$apt/lists/partial" "$apt/archives/partial" "$apt/parts" "$qt_cache/src"
    local uri suite
    uri=$(awk '/^URIs:/{print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
    suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
    echo "deb-src ${uri:-http://deb.debian.org/debian} ${suite:-bookworm} main" >"$apt/sources.list"
    apt_options=(-o "Dir::Etc::SourceList=$apt/sources.list" -o "Dir::Etc::SourceParts=$apt/parts"
        -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache::Archives=$apt/archives"
        -o "APT::Sandbox::User=$(id -un)")
    apt-get "${apt_options[@]}" update -qq
}

# zlib's minizip for Windows, from Debian's own minizip source: the zip container of workbooks.
# A static library beside Qt, built with the cross compiler against Debian's zlib for mingw-w64.
build_minizip() {
    echo "Sestavuji minizip pro Windows do $qt_prefix."
    source_apt
    rm -rf "$qt_cache/src/minizip"*
    (cd "$qt_cache/src" &&
        apt-get "${apt_options[@]}" source -qq minizip >"$qt_cache/minizip.log" 2>&1) ||
        { echo "Zdroj minizip se nepodařilo stáhnout: $qt_cache/minizip.log" >&2; return 1; }
    local src build=$qt_cache/minizip-build
    src=$(find "$qt_cache/src" -maxdepth 1 -type d -name 'minizip-*' | head -1)
    rm -rf "$build" && mkdir -p "$build" "$qt_prefix/include/minizip" "$qt_prefix/lib"
    local f
    for f in ioapi unzip zip; do
        x86_64-w64-mingw32-gcc-posix -O2 -c "$src/$f.c" -o "$build/$f.o" \
            >>"$qt_cache/minizip.log" 2>&1 ||
            { echo "Sestavení minizip selhalo: $qt_cache/minizip.log" >&2; return 1; }
        cp "$src/$f.h" "$qt_prefix/include/minizip/"
    done
    cp "$src/crypt.h" "$qt_prefix/include/minizip/" 2>/dev/null || true
    x86_64-w64-mingw32-ar rcs "$qt_prefix/lib/libminizip.a" "$build"/*.o
    mkdir -p "$qt_prefix/share/minizip"
    cp "$src/debian/copyright" "$qt_prefix/share/minizip/copyright"
    rm -rf "$build" "$src"
    touch "$qt_prefix/.minizip"
}

# Debian's source of qt6-base, the very version the Linux build uses.
fetch_qt_source() {
    source_apt
    (cd "$qt_cache/src" &&
        apt-get "${apt_options[@]}" source -qq "qt6-base=$(dpkg-query -W -f='${Version}' qt6-base-dev)" \
            >"$qt_cache/source.log" 2>&1) ||
        { echo "Zdroj qt6-base se nepodařilo stáhnout: $qt_cache/source.log" >&2; return 1; }
}

build_qt() {
    local started=$SECONDS
    echo "Qt $qt_version pro Windows ještě není sestaven: sestavuji jej jednou do $qt_prefix" \
        "(na dvou jádrech asi 25 minut; příště se použije hotový)."
    rm -rf "$qt_cache/src" "$qt_cache/qt-build" "$qt_prefix"
    fetch_qt_source
    local src
    src=$(find "$qt_cache/src" -maxdepth 1 -type d -name 'qt6-base-*' | head -1)
    [ -n "$src" ] || { echo "Zdroj qt6-base se nepodařilo rozbalit: $qt_cache/source.log" >&2; return 1; }
    # Tablet events need the wintab headers, which Debian's source leaves out; the Windows
    # platform plugin of this Qt needs OpenGL. Everything the program does not load stays off.
    cmake -S "$src" -B "$qt_cache/qt-build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON -DCMAKE_INSTALL_PREFIX="$qt_prefix" \
        -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
        -DFEATURE_tabletevent=OFF -DINPUT_opengl=desktop \
        -DFEATURE_icu=OFF -DFEATURE_dbus=OFF -DFEATURE_network=OFF -DFEATURE_sql=OFF \
        -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_vulkan=OFF \
        -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF \
        -DFEATURE_system_jpeg=OFF -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF \
        >"$qt_cache/configure.log" 2>&1 ||
        { echo "Konfigurace Qt selhala: $qt_cache/configure.log" >&2; return 1; }
    echo "Sestavuji Qt (průběh: $qt_cache/build.log)..."
    cmake --build "$qt_cache/qt-build" >"$qt_cache/build.log" 2>&1 ||
        { echo "Sestavení Qt selhalo: $qt_cache/build.log" >&2; return 1; }
    cmake --install "$qt_cache/qt-build" >"$qt_cache/install.log" 2>&1 ||
        { echo "Instalace Qt selhala: $qt_cache/install.log" >&2; return 1; }
    # The license texts go with the program's package.
    mkdir -p "$qt_prefix/licenses"
    cp "$src"/LICENSES/* "$qt_prefix/licenses/"
    cp "$src/debian/copyright" "$qt_prefix/licenses/debian-copyright"
    rm -rf "$qt_cache/qt-build" "$qt_cache/src"
    touch "$qt_prefix/.complete"
    echo "Qt pro Windows sestaven za $(((SECONDS - started) / 60)) min."
}
