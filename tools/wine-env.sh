# Sourced by the project's scripts: the project's own Wine prefix and the
# settings every Wine process of the project runs with.
#   QUILLSET_WINEPREFIX  the prefix (default: .build/wineprefix in the tree)
#   QUILLSET_BUILD_DIR   the x64 build folder (default: .build/cmake in the
#                        tree); the x86 build is the same name with "-x86"
#   QUILLSET_ARCH        the build the scripts work on: x86 (the default, the
#                        one that goes on a disc) or x64
# Functions: quill_build_dir, quill_wine, quill_wine_prefix, quill_wineserver,
# quill_wine_session
# Array: QUILLSET_WINE_ENV, the environment of every Wine process (for env).

QUILLSET_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
QUILLSET_ARCH="${QUILLSET_ARCH:-x86}"
case "$QUILLSET_ARCH" in
x86 | x64) ;;
*) echo "QUILLSET_ARCH must be x86 or x64, not $QUILLSET_ARCH" >&2; exit 2 ;;
esac

# The build folder of an architecture (x86 or x64).
quill_build_dir() {
    local base="${QUILLSET_BUILD_DIR:-$QUILLSET_ROOT/.build/cmake}"
    if [ "$1" = x86 ]; then echo "$base-x86"; else echo "$base"; fi
}
QUILLSET_BUILD="$(quill_build_dir "$QUILLSET_ARCH")"
# npm packages the tests use (the Inno Setup compiler), shared by both builds.
QUILLSET_NPM="$QUILLSET_ROOT/.build/npm"
export WINEPREFIX="${QUILLSET_WINEPREFIX:-$QUILLSET_ROOT/.build/wineprefix}"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# Chinese locale: the ANSI code page is 936 (GBK), and Wine converts file
# names and command lines between Linux and Windows as UTF-8, so Chinese
# names and parameters come through whole. The locale is compiled from
# Debian's locale sources (package locales) into a folder beside the prefix and
# found there through LOCPATH, whatever the machine has generated itself;
# without it Wine would convert every name as ASCII. It is passed to Wine
# alone so the shell does not complain about it.
QUILLSET_LOCALE=zh_CN.UTF-8
QUILLSET_LOCPATH="$WINEPREFIX.locale"
QUILLSET_WINE_ENV=(LC_ALL="$QUILLSET_LOCALE" LANG="$QUILLSET_LOCALE" LOCPATH="$QUILLSET_LOCPATH")

quill_wine() {
    env "${QUILLSET_WINE_ENV[@]}" wine "$@"
}

quill_wineserver() {
    env "${QUILLSET_WINE_ENV[@]}" wineserver "$@"
}

# The registry tools as 64-bit programs. Where Wine has its 32-bit part,
# `wine reg` and `wine regedit` are the 32-bit tools and write into the
# 32-bit view of HKLM\Software, which 64-bit programs never read.
QUILLSET_WINE64=wine
[ -x /usr/lib/wine/wine64 ] && QUILLSET_WINE64=/usr/lib/wine/wine64
quill_wine64() {
    env "${QUILLSET_WINE_ENV[@]}" "$QUILLSET_WINE64" "$@"
}

# Compiles the locale into QUILLSET_LOCPATH unless it is there. Compiled
# beside and then moved into place, so that a run that stops half-way or
# one that runs at the same time leaves no half-made locale behind.
quill_locale() {
    local target="$QUILLSET_LOCPATH/$QUILLSET_LOCALE"
    [ -f "$target/LC_CTYPE" ] && return 0
    echo "wine: compiling the locale $QUILLSET_LOCALE into $QUILLSET_LOCPATH" >&2
    command -v localedef >/dev/null && [ -d /usr/share/i18n/locales ] ||
        { echo "wine: localedef and the locale sources (package locales) are needed" >&2; return 1; }
    mkdir -p "$QUILLSET_LOCPATH"
    local work
    work="$(mktemp -d "$QUILLSET_LOCPATH/.compiling.XXXXXX")"
    # localedef reports warnings about the sources with a non-zero status;
    # the compiled files decide.
    localedef -i "${QUILLSET_LOCALE%%.*}" -f "${QUILLSET_LOCALE#*.}" "$work/$QUILLSET_LOCALE" >/dev/null 2>&1 || true
    if [ ! -f "$work/$QUILLSET_LOCALE/LC_CTYPE" ]; then
        rm -rf "$work"
        echo "wine: could not compile the locale $QUILLSET_LOCALE" >&2
        return 1
    fi
    mv -T "$work/$QUILLSET_LOCALE" "$target" 2>/dev/null || true
    rm -rf "$work"
    [ -f "$target/LC_CTYPE" ]
}

# Creates the prefix on first use (and brings an older one of the project up
# to date): Chinese locale, CJK glyphs linked to the dialog fonts so Chinese
# text renders instead of boxes, and a virtual desktop. The marker names the
# version of these settings; a prefix without the current one is brought up
# to date (v4: the compiled locale, with which Wine records the prefix's
# locale and code pages anew; v5: the CJK font linked by both its names;
# v6: made with Wine's 32-bit part, settings written into the 64-bit view;
# v7: a crash shows no dialog that waits for a click).
# A prefix made before Wine had its 32-bit part has no 32-bit system DLLs in
# syswow64 and can never run 32-bit programs: it is made anew.
quill_wine_prefix() {
    quill_locale
    local marker="$WINEPREFIX/.quillset-prefix-v7"
    [ -f "$marker" ] && return 0
    if [ -d "$WINEPREFIX/drive_c/windows" ] && [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
        echo "wine: the prefix $WINEPREFIX has no 32-bit part; making it anew" >&2
        timeout 20 env "${QUILLSET_WINE_ENV[@]}" wineserver -k 2>/dev/null || true
        rm -rf "$WINEPREFIX"
    fi
    local fresh=0
    [ -d "$WINEPREFIX" ] || fresh=1
    mkdir -p "$(dirname "$WINEPREFIX")"
    echo "wine: preparing the prefix $WINEPREFIX" >&2
    env "${QUILLSET_WINE_ENV[@]}" wineboot -i >/dev/null 2>&1 || true
    # The CJK font goes by its English family name, or by its Chinese one
    # where the Unix locale is Chinese: link both. A UTF-16 registry file
    # carries the Chinese name whatever the locale does to command lines.
    local link face reg="$WINEPREFIX/fontlink.reg"
    link="$(printf 'wqy-microhei.ttc,WenQuanYi Micro Hei\0wqy-microhei.ttc,文泉驿微米黑\0\0' |
        iconv -f UTF-8 -t UTF-16LE | od -An -v -tx1 | tr -s ' \n' ',' | sed 's/^,//; s/,$//')"
    {
        printf 'Windows Registry Editor Version 5.00\r\n\r\n'
        printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink]\r\n'
        for face in "Tahoma" "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif" "Segoe UI"; do
            printf '"%s"=hex(7):%s\r\n' "$face" "$link"
        done
    } | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$reg"
    quill_wine64 regedit /S "$reg" >/dev/null 2>&1
    # Wine's own fonts (Tahoma, and Marlett for the caption buttons) where
    # this Wine build looks for them.
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    # Every program runs in a virtual desktop: windows appear and go without
    # waiting for a window manager, and the screen is the same everywhere.
    quill_wine64 reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    quill_wine64 reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f >/dev/null 2>&1
    # A program that crashes ends at once, its backtrace on the error
    # output, instead of waiting behind a dialog for a click no one gives.
    quill_wine64 reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    # Let the server of these changes write everything down and end, so that
    # the next session starts its own. (An older prefix may have a persistent
    # server of another session running, which never ends: it is not waited
    # for long.)
    if [ "$fresh" -eq 1 ]; then
        quill_wineserver -w
    else
        timeout 20 env "${QUILLSET_WINE_ENV[@]}" wineserver -w || true
    fi
    rm -f "$WINEPREFIX"/.quillset-prefix-v[0-9]*
    touch "$marker"
}

# Starts a persistent Wine server, Wine's services and (with a display) the
# virtual desktop, detached from the caller's output: a process Wine starts
# on demand inherits the output of the program that caused it, and a test
# runner would wait for it.
quill_wine_session() {
    # A server already running (another session's) serves this one too.
    quill_wineserver -p >/dev/null 2>&1 </dev/null || true
    quill_wine wineboot >/dev/null 2>&1 </dev/null
    [ -n "${DISPLAY:-}" ] || return 0
    quill_wine explorer /desktop=Default,1280x1024 >/dev/null 2>&1 </dev/null &
    local tries
    for tries in $(seq 1 100); do
        xdotool search --onlyvisible --class explorer.exe >/dev/null 2>&1 && break
        sleep 0.1
    done
    # Wine ends the desktop a moment after the last program on it ends, and
    # the next program starts a new one. A program that starts while the old
    # desktop goes down makes its windows inside a window that is gone (an X
    # error that ends it). So one console program without a window stays on
    # the desktop for the whole session: it is ended with the server.
    quill_wine cmd.exe /c "ping -n 864000 127.0.0.1 >nul" </dev/null >/dev/null 2>&1 &
}
