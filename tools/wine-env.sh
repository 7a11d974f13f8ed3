# Shared set-up of the README commands: packages, builds, the build tree's own Wine
# prefix and the processes that go with it. Sourced, not run.

TW_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
TW_BUILD=${TW_BUILD:-$TW_ROOT/build}
export WINEPREFIX=$TW_BUILD/wineprefix
export WINEDEBUG=-all
TW_WINE="$TW_ROOT/tools/wine-exec.sh"
export WINEDLLOVERRIDES="mscoree,mshtml="
TW_PACKAGES="locales g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 xvfb xauth fonts-wqy-microhei imagemagick googletest cmake clang libclang-rt-14-dev"

tw_install_packages() {
    local missing=""
    for p in $TW_PACKAGES; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
    done
    if [ -n "$missing" ]; then
        echo "== installing:$missing"
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing >/dev/null
    fi
    # Wine converts file names through the Unix locale: without zh_CN.UTF-8 a GBK name
    # such as a backup's cannot be created at all.
    if ! locale -a 2>/dev/null | grep -qix 'zh_CN.utf8'; then
        echo "== generating the zh_CN.UTF-8 locale"
        sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
        grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' >> /etc/locale.gen
        locale-gen >/dev/null
    fi
}

# tw_build ARCH [cmake options...]: configures and builds build/ARCH.
tw_build() {
    local arch=$1; shift
    cmake -S "$TW_ROOT" -B "$TW_BUILD/$arch" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$TW_ROOT/cmake/mingw-$arch.cmake" "$@" >/dev/null &&
        cmake --build "$TW_BUILD/$arch" -j"$(nproc)" -- --no-print-directory
}

# Drive letters the tests use: R: a CD-ROM, S: a removable disk, T: a network drive,
# each a folder that holds real files.
tw_setup_prefix() {
    if [ ! -f "$WINEPREFIX/.tidewell-ready" ]; then
        rm -rf "$WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        env LC_ALL=zh_CN.UTF-8 wineboot -i </dev/null >/dev/null 2>&1
        local d
        for d in r:cdrom s:floppy t:network; do
            local letter=${d%%:*} type=${d#*:}
            mkdir -p "$TW_BUILD/drives/$letter"
            ln -sfn "$TW_BUILD/drives/$letter" "$WINEPREFIX/dosdevices/$letter:"
            "$TW_WINE" reg add 'HKLM\Software\Wine\Drives' /v "$letter:" /d "$type" /f </dev/null >/dev/null 2>&1
        done
        wineserver -k; wineserver -w
        touch "$WINEPREFIX/.tidewell-ready"
    fi
    local letter
    for letter in r s t; do
        mkdir -p "$TW_BUILD/drives/$letter/app"
        echo x > "$TW_BUILD/drives/$letter/app/present.exe"
        echo x > "$TW_BUILD/drives/$letter/app/present.ttf"
    done
}

# A persistent wineserver, and Wine's services started with their output away from
# ours, so that no test inherits them.
tw_start_wine() {
    wineserver -p </dev/null >/dev/null 2>&1
    "$TW_WINE" cmd /c exit </dev/null >/dev/null 2>&1
}

tw_stop_wine() {
    wineserver -k >/dev/null 2>&1
    wineserver -w >/dev/null 2>&1
}

# An X server of the test run's own for the windows of the GUI tests; Xvfb picks a
# free display itself (-displayfd), so parallel runs do not collide.
tw_start_xvfb() {
    local numberfile
    numberfile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$numberfile" </dev/null >/dev/null 2>&1 &
    TW_XVFB_PID=$!
    local i
    for i in $(seq 100); do
        grep -q '^[0-9]' "$numberfile" 2>/dev/null && break
        sleep 0.1
    done
    local number
    number=$(head -n1 "$numberfile")
    rm -f "$numberfile"
    if [ -z "$number" ]; then
        echo "Xvfb did not start" >&2
        tw_stop_xvfb
        return 1
    fi
    export DISPLAY=":$number"
    echo "== Xvfb on display $DISPLAY (pid $TW_XVFB_PID)"
}

tw_stop_xvfb() {
    if [ -n "${TW_XVFB_PID:-}" ]; then
        kill "$TW_XVFB_PID" 2>/dev/null || true
        wait "$TW_XVFB_PID" 2>/dev/null || true
        TW_XVFB_PID=
    fi
}
