#!/usr/bin/env bash
# Installs a build tree under a temporary DESTDIR with the prefix /usr, as the package does,
# and checks what a user gets: the installed converter converts the sample, the desktop
# entry, AppStream metadata and manual pages pass their validators, the icons have their
# sizes, the bash completion completes from the program's own --help, and the Debian
# package built from the same tree holds exactly the installed files.
# Usage: install_test.sh BUILD_DIR SAMPLE.gif
set -euo pipefail
build=$1
sample=$2
app_id=org.example.quorvex

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root
usr=$root/usr
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null

mkdir "$work/movies"
"$usr/bin/quorvex-convert" -q -o "$work/movies" "$sample" || fail "installed quorvex-convert failed"
[[ $(head -c 3 "$work/movies/sample.swf" 2>/dev/null) == FWS ]] || fail "no movie from the installed converter"

for file in bin/quorvex share/quorvex/tamsel.u3 share/quorvex/quorvexhelp.html \
  share/quorvex/window.png "share/icons/hicolor/scalable/apps/$app_id.svg" \
  share/doc/quorvex/copyright share/doc/quorvex/changelog.gz; do
  [[ -f $usr/$file ]] || fail "$file not installed"
done
for size in 48 128 256; do
  icon=$usr/share/icons/hicolor/${size}x$size/apps/$app_id.png
  file -b "$icon" | grep -q "PNG image data, $size x $size," || fail "$icon is no $size-pixel PNG"
done

desktop-file-validate "$usr/share/applications/$app_id.desktop" || fail "desktop entry"
appstreamcli validate --no-net --pedantic "$usr/share/metainfo/$app_id.metainfo.xml" >/dev/null ||
  fail "AppStream metadata"
for page in quorvex quorvex-convert; do
  man_file=$usr/share/man/man1/$page.1.gz
  warnings=$(man --warnings -l "$man_file" 2>&1 >/dev/null) || fail "man cannot render $page.1"
  [[ -z $warnings ]] || fail "$page.1: $warnings"
done
man -P cat -l "$usr/share/man/man1/quorvex-convert.1.gz" | grep -q -- "--output-dir DIR" ||
  fail "the manual page lacks the converter's options"

# What bash offers after "quorvex-convert WORDS...", the last word being the one completed.
complete_words() {
  PATH=$usr/bin:$PATH bash -c '
    source /usr/share/bash-completion/bash_completion
    source "$1"
    shift
    COMP_WORDS=("$@")
    COMP_CWORD=$(($# - 1))
    COMP_LINE="$*"
    COMP_POINT=${#COMP_LINE}
    _quorvex_convert quorvex-convert "${COMP_WORDS[-1]}" "${COMP_WORDS[-2]}"
    echo "${COMPREPLY[*]}"' _ "$usr/share/bash-completion/completions/quorvex-convert" \
    quorvex-convert "$@"
}
[[ $(complete_words --size "") == "half original double triple" ]] || fail "completion of --size"
[[ $(complete_words --ex) == "--export" ]] || fail "completion of --ex"
[[ $(complete_words -q --out) == "--output-dir" ]] || fail "completion of --out"

if ! cpack --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log" >&2
  fail "cpack"
fi
deb=$(echo "$work"/package/quorvex_*.deb)
dpkg-deb --info "$deb" >"$work/info"
for dependency in libqt6widgets6 libgif7 libturbojpeg0 qt6-qpa-plugins; do
  grep -q "^ Depends: .*$dependency" "$work/info" || fail "the package does not depend on $dependency"
done
dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort >"$work/packaged"
(cd "$root" && find . ! -type d | sort) >"$work/installed"
diff -u "$work/installed" "$work/packaged" || fail "the package differs from the install"

if ((failures > 0)); then
  echo "$failures check(s) failed" >&2
  exit 1
fi
