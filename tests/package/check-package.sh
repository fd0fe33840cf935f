#!/bin/sh
# The Debian package as a user gets it: lintian finds no error in it, and unpacked into a
# scratch root its programs, man pages and bash completion work.
#   check-package.sh PACKAGE.deb SCRATCH-ROOT VERSION [WINDOWS-ZIP]
set -eu
deb=$1 root=$2 version=$3 zip=${4:-}
fail() { echo "check-package: $*" >&2; exit 1; }

lintian --fail-on error "$deb" || fail "lintian found errors in $deb"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "the package is not version $version"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || fail "no dependency on Qt 6 Widgets"

rm -rf "$root"
mkdir -p "$root"
dpkg -x "$deb" "$root"
bin=$root/usr/bin
for program in isp89 isp89-cli isp89-sim; do
  [ -x "$bin/$program" ] || fail "$program is not installed"
done

said=$("$bin/isp89-cli" --version)
[ "$said" = "isp89-cli $version" ] || fail "--version says '$said', the package $version"
said=$("$bin/isp89-cli" -p sim signature)
[ "$said" = "signature 1E 51 06: AT89S51" ] || fail "-p sim signature says '$said'"

for page in isp89-cli isp89-sim isp89; do
  file=$root/usr/share/man/man1/$page.1.gz
  text=$(MANWIDTH=80 man --warnings -l -P cat "$file" 2>"$root/man-warnings")
  [ ! -s "$root/man-warnings" ] || fail "man $page: $(cat "$root/man-warnings")"
  echo "$text" | grep -q "^NAME" || fail "man $page shows no NAME section"
done

# The udev rule gives FTDI chips to plugdev; a refused open names it where it lies.
rule=$root/usr/lib/udev/rules.d/60-isp89-ftdi.rules
[ -s "$rule" ] || fail "no udev rule for FTDI chips"
grep -q 'ATTR{idVendor}=="0403".*GROUP="plugdev"' "$rule" || fail "the udev rule gives no plugdev"
strings "$bin/isp89-cli" | grep -q '^/usr/lib/udev/rules.d/60-isp89-ftdi.rules$' ||
  fail "isp89-cli names another udev rule than the one installed"
dpkg-deb -f "$deb" Depends | grep -q 'libftdi1' || fail "no dependency on libftdi1"
grep -q '^License: GPL-3+$' "$root/usr/share/doc/isp89/copyright" || fail "copyright: no GPL-3+"

grep -q '^Exec=isp89$' "$root/usr/share/applications/isp89.desktop" || fail "no desktop entry"
[ -s "$root/usr/share/icons/hicolor/scalable/apps/isp89.svg" ] || fail "no icon"

# Completion: what bash offers after "isp89-cli -d AT" and after "isp89-cli -p si".
completion=$root/usr/share/bash-completion/completions/isp89-cli
complete_words() {
  PATH=$bin:$PATH bash -c '
    . /usr/share/bash-completion/bash_completion
    . "$0"
    COMP_LINE="$1"; COMP_POINT=${#COMP_LINE}; read -ra COMP_WORDS <<< "$COMP_LINE"
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _isp89_cli; echo "${COMPREPLY[*]}"' \
    "$completion" "$1"
}
[ "$(complete_words 'isp89-cli -d AT')" = "AT89S51 AT89S52" ] || fail "completion of -d"
case " $(complete_words 'isp89-cli -p si') " in
  *" sim "*) ;;
  *) fail "completion of -p offers no sim" ;;
esac
[ "$(complete_words 'isp89-cli sig')" = "signature" ] || fail "completion of the command"

if [ -n "$zip" ]; then
  unzip -l "$zip" | grep -q 'isp89-cli.exe' || fail "$zip holds no isp89-cli.exe"
  unzip -l "$zip" | grep -q '/LICENSE$' || fail "$zip holds no LICENSE"
fi
echo "check-package: $deb: lintian clean of errors; programs, man pages, completion work"
