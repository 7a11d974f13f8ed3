# Shared set-up of the README commands: packages, builds, a Wine with WoW64 in a Debian
# sid chroot under the build tree, its Windows prefix, and the processes and mounts that
# go with them. Sourced, not run.
#
# Only sid's Wine runs a 32-bit Windows program inside a 64-bit process (WoW64, as
# 64-bit Windows does); installing it on the host would upgrade much of the system, so
# it lives in build/sid and the host keeps its own packages. The checkout is mounted
# at the same path inside, so build paths mean the same on both sides.

TW_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
TW_BUILD=${TW_BUILD:-$TW_ROOT/build}
# TW_SID may name the chroot of another checkout, to share one.
export TW_SID=${TW_SID:-$TW_BUILD/sid}
export WINEPREFIX=$TW_BUILD/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
TW_WINE="$TW_ROOT/tools/wine-exec.sh"
TW_PACKAGES="gcc libc6-dev locales g++-mingw-w64-i686 g++-mingw-w64-x86-64 xvfb xauth imagemagick googletest cmake clang libclang-rt-14-dev debootstrap"
TW_SID_PACKAGES="wine64 wine locales fonts-wqy-microhei"
TW_MOUNTS=()

tw_fail() {
    echo "error: $*" >&2
    exit 1
}

# The Debian mirror this machine's apt already uses (TW_MIRROR overrides): the first
# archive of its sources that is not the security one.
tw_debian_mirror() {
    local uri=${TW_MIRROR:-}
    [ -n "$uri" ] || uri=$({
        awk 'tolower($1) == "uris:" { for (i = 2; i <= NF; i++) print $i }' \
            /etc/apt/sources.list.d/*.sources 2>/dev/null
        sed -nE 's/^[[:space:]]*deb[[:space:]]+(\[[^]]*\][[:space:]]+)?([^[:space:]]+).*/\2/p' \
            /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null
    } | grep -E '^[a-z+]+:/' | grep -v -- '-security' | head -n1)
    [ -n "$uri" ] || tw_fail "no Debian mirror in this machine's apt sources (the URIs: of" \
        "/etc/apt/sources.list.d/*.sources or a deb line of /etc/apt/sources.list); add one or set TW_MIRROR"
    echo "$uri"
}

# Whether this machine runs 32-bit code at all, asked once of a native probe that is not
# the program (some kernels have no 32-bit user mode: every 32-bit exe dies at once under
# WoW64). Sets TW_32BIT to yes or no and prints the verdict with its reason. TW_NO_32BIT=1
# forces "no", to try that road; nothing forces "yes". Where the answer is no, the tests
# read the reason from TW_NO_32BIT_WHY and skip what needs a 32-bit program.
tw_probe_32bit() {
    local probe=$TW_BUILD/probe32 why
    mkdir -p "$TW_BUILD"
    gcc -O1 -no-pie -o "$probe" "$TW_ROOT/tools/probe32.c" || tw_fail "cannot build the 32-bit probe"
    if why=$("$probe" 2>&1) && [ -z "${TW_NO_32BIT:-}" ]; then
        TW_32BIT=yes
        unset TW_NO_32BIT_WHY
    else
        TW_32BIT=no
        [ -n "$why" ] || why="this machine cannot run 32-bit code (the probe printed nothing)"
        [ -z "${TW_NO_32BIT:-}" ] || why="this machine cannot run 32-bit code (TW_NO_32BIT is set; the probe: ${why#this machine })"
        export TW_NO_32BIT_WHY=$why
    fi
    echo "== $why"
}

# tw_runnable ARCH: whether this machine can run the build of ARCH (after tw_probe_32bit).
tw_runnable() {
    [ "$1" != i686 ] || [ "$TW_32BIT" = yes ]
}

tw_install_packages() {
    local missing="" p
    for p in $TW_PACKAGES; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
    done
    if [ -n "$missing" ]; then
        echo "== installing:$missing"
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing >/dev/null
    fi
    tw_locale ""
}

# tw_locale ROOT: zh_CN.UTF-8 generated in the system at ROOT ("" for the host). Wine
# converts file names through the Unix locale: without it a GBK name cannot be created.
tw_locale() {
    local root=$1
    if ! ${root:+chroot "$root"} locale -a 2>/dev/null | grep -qix 'zh_CN.utf8'; then
        echo "== generating the zh_CN.UTF-8 locale${root:+ in $root}"
        sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' "$root/etc/locale.gen"
        grep -q '^zh_CN.UTF-8 UTF-8' "$root/etc/locale.gen" || echo 'zh_CN.UTF-8 UTF-8' >>"$root/etc/locale.gen"
        ${root:+chroot "$root"} locale-gen >/dev/null
    fi
}

# tw_build ARCH [cmake options...]: configures and builds build/ARCH.
tw_build() {
    local arch=$1
    shift
    cmake -S "$TW_ROOT" -B "$TW_BUILD/$arch" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$TW_ROOT/cmake/mingw-$arch.cmake" "$@" >/dev/null &&
        cmake --build "$TW_BUILD/$arch" -j"$(nproc)" -- --no-print-directory
}

tw_mount() {
    local what=$1 where=$2
    shift 2
    mkdir -p "$where"
    # Stacked even when mounted already: another run sharing the chroot (TW_SID) takes
    # its own layer away when it ends, never this one's.
    mount "$@" "$what" "$where" || tw_fail "cannot mount $what on $where"
    TW_MOUNTS+=("$where")
}

# Every mount this shell made, last first; called from the callers' exit traps.
tw_unmount_all() {
    local i
    for ((i = ${#TW_MOUNTS[@]} - 1; i >= 0; i--)); do
        umount "${TW_MOUNTS[i]}" 2>/dev/null || umount -l "${TW_MOUNTS[i]}" 2>/dev/null || true
    done
    TW_MOUNTS=()
}

tw_mount_sid() {
    tw_mount proc "$TW_SID/proc" -t proc
    tw_mount /sys "$TW_SID/sys" --bind
    tw_mount /dev "$TW_SID/dev" --bind
    tw_mount /dev/pts "$TW_SID/dev/pts" --bind
    tw_mount /dev/shm "$TW_SID/dev/shm" --bind
    mkdir -p /tmp/.X11-unix && chmod 1777 /tmp/.X11-unix
    tw_mount /tmp/.X11-unix "$TW_SID/tmp/.X11-unix" --bind
    tw_mount "$TW_ROOT" "$TW_SID$TW_ROOT" --bind
    case "$TW_BUILD/" in
        "$TW_ROOT"/*) ;;
        *) tw_mount "$TW_BUILD" "$TW_SID$TW_BUILD" --bind ;;
    esac
}

tw_sid_mounted() {
    grep -q " $TW_SID/" /proc/mounts
}

# The chroot with sid's Wine, made once and kept in the build tree; mounted until the
# caller's trap runs tw_unmount_all. Fails loudly when it cannot be made.
tw_setup_sid() {
    if [ ! -f "$TW_SID/.tidewell-ready" ]; then
        tw_sid_mounted && tw_fail "$TW_SID is half made and still has mounts; unmount them first"
        local mirror
        mirror=$(tw_debian_mirror) || exit 1
        rm -rf "$TW_SID"
        echo "== making a Debian sid chroot for Wine with WoW64 in $TW_SID"
        debootstrap --variant=minbase sid "$TW_SID" "$mirror" >"$TW_BUILD/sid-debootstrap.log" 2>&1 ||
            tw_fail "debootstrap of sid failed (log: $TW_BUILD/sid-debootstrap.log)"
        # The mirror's sid Release may be past its Valid-Until date.
        echo 'Acquire::Check-Valid-Until "false";' >"$TW_SID/etc/apt/apt.conf.d/99tidewell"
    fi
    tw_mount_sid
    if [ ! -f "$TW_SID/.tidewell-ready" ]; then
        echo "== installing sid's Wine in the chroot"
        chroot "$TW_SID" apt-get update -qq >/dev/null 2>&1 || tw_fail "apt-get update in the sid chroot failed"
        chroot "$TW_SID" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
            $TW_SID_PACKAGES >"$TW_BUILD/sid-install.log" 2>&1 ||
            tw_fail "installing Wine in the sid chroot failed (log: $TW_BUILD/sid-install.log)"
        # Wine's own Tahoma has no CJK glyphs and would win over the installed font.
        local f
        for f in tahoma tahomabd; do
            [ -e "$TW_SID/usr/share/wine/fonts/$f.ttf" ] &&
                chroot "$TW_SID" dpkg-divert --local --rename --divert "/usr/share/wine/$f.ttf.diverted" \
                    --add "/usr/share/wine/fonts/$f.ttf" >/dev/null
        done
        tw_locale "$TW_SID"
        touch "$TW_SID/.tidewell-ready"
    fi
    "$TW_WINE" --version >/dev/null 2>&1 || tw_fail "Wine in $TW_SID does not start"
}

tw_wineserver() {
    chroot "$TW_SID" /usr/lib/x86_64-linux-gnu/wine/wineserver "$@"
}

# A 64-bit Windows prefix (both architectures' DLLs), made once: 1.2 GB. Drive letters
# the tests use: R: a CD-ROM, S: a removable disk, T: a network drive, each a folder
# that holds real files, and F: a small fixed disk (a tmpfs of 4 MiB) that a test
# can fill up.
tw_setup_prefix() {
    tw_setup_sid
    if [ ! -f "$WINEPREFIX/.tidewell-wow64-ready-2" ]; then
        rm -rf "$WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        echo "== making the Wine prefix $WINEPREFIX"
        "$TW_WINE" wineboot -i </dev/null >/dev/null 2>&1
        local d
        for d in r:cdrom s:floppy t:network f:hd; do
            local letter=${d%%:*} type=${d#*:}
            mkdir -p "$TW_BUILD/drives/$letter"
            ln -sfn "$TW_BUILD/drives/$letter" "$WINEPREFIX/dosdevices/$letter:"
            "$TW_WINE" reg add 'HKLM\Software\Wine\Drives' /v "$letter:" /d "$type" /f </dev/null >/dev/null 2>&1
        done
        tw_wineserver -k
        tw_wineserver -w
        [ -f "$WINEPREFIX/system.reg" ] || tw_fail "wineboot made no prefix in $WINEPREFIX"
        touch "$WINEPREFIX/.tidewell-wow64-ready-2"
    fi
    # A path through a loop of links: a lookup there fails, but not with "not found".
    ln -sfn tidewell-loop "$WINEPREFIX/drive_c/tidewell-loop"
    # A program folder whose backup folder is a Unix link, which Wine shows as a reparse
    # point (it makes no junction), to a folder holding a backup.
    local links="$WINEPREFIX/drive_c/tidewell-links"
    rm -rf "$links" && mkdir -p "$links/elsewhere" "$links/app"
    echo x >"$links/elsewhere/kept.backup2"
    ln -s "$links/elsewhere" "$links/app/backups"
    # Inside the chroot, where Wine sees it: the checkout is mounted there without its submounts.
    tw_mount tmpfs "$TW_SID$TW_BUILD/drives/f" -t tmpfs -o size=4m,mode=0755
    local letter
    for letter in r s t; do
        mkdir -p "$TW_BUILD/drives/$letter/app"
        echo x >"$TW_BUILD/drives/$letter/app/present.exe"
        echo x >"$TW_BUILD/drives/$letter/app/present.ttf"
    done
}

# A persistent wineserver, and Wine's services started with their output away from
# ours, so that no test inherits them.
tw_start_wine() {
    tw_wineserver -p </dev/null >/dev/null 2>&1
    "$TW_WINE" cmd /c exit </dev/null >/dev/null 2>&1
}

tw_stop_wine() {
    # Each step may fail (no server left after a hang); under set -e that must not end the
    # cleanup before X and the mounts.
    if [ -x "$TW_SID/usr/lib/x86_64-linux-gnu/wine/wineserver" ] && tw_sid_mounted; then
        tw_wineserver -k >/dev/null 2>&1 || true
        tw_wineserver -w >/dev/null 2>&1 || true
    fi
    # A process of this prefix in the chroot that outlived its server (a service left after
    # a hang); another checkout's runs in a shared chroot have a prefix of their own.
    local proc sid
    sid=$(readlink -f "$TW_SID")
    for proc in /proc/[0-9]*; do
        [ "$(readlink "$proc/root" 2>/dev/null)" = "$sid" ] &&
            grep -qzxF "WINEPREFIX=$WINEPREFIX" "$proc/environ" 2>/dev/null &&
            kill -9 "${proc#/proc/}" 2>/dev/null || true
    done
    return 0
}

# An X server of the run's own; Xvfb picks a free display itself (-displayfd), so
# parallel runs do not collide. The chroot reaches it through /tmp/.X11-unix.
tw_start_xvfb() {
    local numberfile number i
    numberfile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$numberfile" </dev/null >/dev/null 2>&1 &
    TW_XVFB_PID=$!
    for i in $(seq 100); do
        grep -q '^[0-9]' "$numberfile" 2>/dev/null && break
        sleep 0.1
    done
    number=$(head -n1 "$numberfile")
    rm -f "$numberfile"
    if [ -z "$number" ]; then
        tw_stop_xvfb
        tw_fail "Xvfb did not start"
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

# Runs the cleanup $1 when the script ends, a stop (Ctrl+C, TERM) included: bash runs an
# exit trap on a signal only when the signal has a trap of its own.
tw_cleanup_on_exit() {
    trap "$1" EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
}

# Everything a README command started or mounted, in order: Wine, X, the mounts.
tw_stop_all() {
    tw_stop_wine
    tw_stop_xvfb
    tw_unmount_all
}
