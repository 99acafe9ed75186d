#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks the tree: the programs (and the
# command line's paper test module), the help
# page, the example quiz, the desktop entry, the icons, the AppStream metainfo (with
# its Galician description and this version's release), the quiz file type and, when
# scdoc made them, the manual pages. The validators (desktop-file-validate, appstreamcli)
# and the file type lookup (update-mime-database, gio) run when they are installed.
# usage: check-install.sh BUILD_DIR [CMAKE [VERSION [MAN_PAGES]]]
set -uo pipefail
build=${1:?build dir}
cmake=${2:-cmake}
version=${3:-}
man_pages=${4:-0}
id=org.vireta.Vireta
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

"$cmake" --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1 || { cat "$prefix.log"; rm -f "$prefix.log"; exit 1; }
rm -f "$prefix.log"
share=$prefix/share

expected=(
  bin/vireta bin/vireta-export bin/vireta-clase
  share/vireta/vireta.html
  share/vireta/examples/xeografia-galicia/xeografia.xml
  share/applications/$id.desktop
  share/metainfo/$id.metainfo.xml
  share/mime/packages/vireta.xml
  share/icons/hicolor/scalable/apps/$id.svg
)
for size in 16 22 24 32 48 64 128 256; do
  expected+=("share/icons/hicolor/${size}x${size}/apps/$id.png")
done
for f in "${expected[@]}"; do
  [[ -s $prefix/$f ]] || fail "$f is not installed"
done
for f in bin/vireta bin/vireta-export bin/vireta-clase; do
  [[ -x $prefix/$f ]] || fail "$f is not executable"
done

# Every PNG has the size its folder names.
for png in "$share"/icons/hicolor/*x*/apps/$id.png; do
  size=${png%/apps/*}; size=${size##*/}; w=${size%x*}
  read -r pw ph < <(python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(24); print(*struct.unpack(">II", d[16:24]))' "$png")
  [[ "$pw $ph" == "$w $w" ]] || fail "$png is ${pw}x$ph, not $size"
done

# The installed command line opens the installed example, media beside it.
example=$share/vireta/examples/xeografia-galicia
[[ $("$prefix/bin/vireta-export" --check "$example/xeografia.xml") == 10 ]] ||
  fail "the installed example does not open with ten questions"
# The installed classroom game starts (its pages are built into it).
"$prefix/bin/vireta-clase" --help | grep -q -- --no-ranking ||
  fail "the installed vireta-clase does not start"
# The installed command line finds its paper test module and writes the test.
"$prefix/bin/vireta-export" -f pdf -o "$prefix/proba" "$example/xeografia.xml" 2>/dev/null &&
  [[ $(head -c 5 "$prefix/proba.pdf") == %PDF- ]] ||
  fail "the installed command line does not write the paper test"
while read -r media; do
  [[ -s $example/$media ]] || fail "the example names $media, which is not installed beside it"
done < <(grep -o -E '[A-Za-z0-9_-]+\.(png|jpg|mp3)' "$example/xeografia.xml" | sort -u)

# The pieces name each other.
desktop=$share/applications/$id.desktop
grep -qx "Exec=vireta %f" "$desktop" || fail "the desktop entry does not start vireta with a file"
grep -qx "Icon=$id" "$desktop" || fail "the desktop entry does not name the icon $id"
grep -qx "MimeType=application/x-vireta-quiz;" "$desktop" || fail "the desktop entry does not list the quiz type"
grep -q 'type="application/x-vireta-quiz"' "$share/mime/packages/vireta.xml" || fail "no quiz type in the MIME package"
metainfo=$share/metainfo/$id.metainfo.xml
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
  fail "the metainfo does not launch $id.desktop"
grep -q '<p xml:lang="gl">' "$metainfo" || fail "the metainfo has no Galician description"
if [[ -n $version ]]; then
  newest=$(grep -o -m1 '<release version="[^"]*"' "$metainfo" | cut -d'"' -f2)
  [[ $newest == "$version" ]] || fail "the metainfo's newest release is '$newest', not the project's $version"
fi

# A manual page for every program, compressed as Debian does.
if [[ $man_pages == 1 ]]; then
  for f in bin/vireta bin/vireta-export bin/vireta-clase; do
    page=$share/man/man1/${f#bin/}.1.gz
    [[ $(zcat "$page" 2>/dev/null | grep -m1 '^\.TH') == ".TH \"${f#bin/}\" \"1\""* ]] ||
      fail "no manual page ${f#bin/}(1) in share/man/man1"
  done
else
  echo "skipped: the manual pages, which scdoc makes (package scdoc)"
fi

if command -v desktop-file-validate >/dev/null; then
  out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $out"
  [[ -z $out ]] || fail "desktop-file-validate: $out"
else
  echo "skipped: desktop-file-validate is not installed (package desktop-file-utils)"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml" || fail "appstreamcli validate"
else
  echo "skipped: appstreamcli is not installed (package appstream)"
fi

# A quiz is told from other XML by its content, whatever its name.
if command -v update-mime-database >/dev/null && command -v gio >/dev/null; then
  update-mime-database "$share/mime" >/dev/null 2>&1 || fail "update-mime-database"
  cp "$example/xeografia.xml" "$prefix/exemplo.xml"
  printf '<?xml version="1.0" encoding="UTF-8"?>\r\n<outro version="1.0"/>\r\n' >"$prefix/outro.xml"
  type_of() {
    XDG_DATA_HOME=$prefix/nohome XDG_DATA_DIRS=$share:/usr/share gio info -a standard::content-type "$1" |
      sed -n 's/^ *standard::content-type: //p'
  }
  [[ $(type_of "$prefix/exemplo.xml") == application/x-vireta-quiz ]] ||
    fail "the example is not seen as a Vireta quiz ($(type_of "$prefix/exemplo.xml"))"
  [[ $(type_of "$prefix/outro.xml") != application/x-vireta-quiz ]] ||
    fail "other XML is taken for a Vireta quiz"
else
  echo "skipped: the file type lookup needs update-mime-database and gio"
fi

(( failures == 0 )) && echo "install tree checked: $prefix"
exit $(( failures > 0 ))
