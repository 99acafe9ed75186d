#!/usr/bin/env bash
# Builds Vireta's Debian package and checks it as Debian checks packages, then on a
# Debian 12 system that has never seen the source:
#  1. a Release build under /usr with Debian's build flags, in build/package, and
#     `cpack -G DEB` there: build/package/vireta_VERSION_amd64.deb;
#  2. lintian on it: no error and no warning (what lintian says and the package keeps is
#     overridden, each with its reason, in packaging/lintian-overrides);
#  3. a clean Debian 12 made by debootstrap in build/package-check/root; the package
#     installed there with `apt-get install ./vireta_*.deb`, which brings what it depends
#     on, and run: the versions, the example quiz checked and exported in every format,
#     the manual page found, the desktop entry validated, the editor started offscreen
#     on the example, vireta-clase serving it until SIGTERM;
#  4. the package purged, and nothing of it left.
# It ends with the package's size and its Depends line. The base system is kept as a
# debootstrap tarball in build/package-check/, and the packages apt fetches in
# build/package-check/apt-archives, so a second run fetches only apt's indexes (remove
# the folder to start afresh). Steps 3 and 4 need root (debootstrap, chroot) and
# Debian's archive (VIRETA_DEBIAN_MIRROR, http://deb.debian.org/debian by default).
# usage: scripts/check-package.sh [--no-chroot]    (--no-chroot: steps 1 and 2 only)
set -euo pipefail
cd "$(dirname "$0")/.."
source=$PWD

chroot_steps=1
case ${1:-} in
  "") ;;
  --no-chroot) chroot_steps=0 ;;
  *) echo "usage: scripts/check-package.sh [--no-chroot]" >&2; exit 2 ;;
esac
if (( chroot_steps && EUID != 0 )); then
  echo "check-package.sh: the clean system needs root (debootstrap, chroot); --no-chroot builds and lints only" >&2
  exit 2
fi
mirror=${VIRETA_DEBIAN_MIRROR:-http://deb.debian.org/debian}
started=$SECONDS
step() { echo "== $* ($((SECONDS - started)) s)"; }

scripts/install-deps.sh

# 1. The package, from a build of its own with the flags Debian builds its packages
# with (hardening included; no -g, as the package ships no debug symbols).
step "building the package"
build=build/package
export DEB_BUILD_MAINT_OPTIONS=hardening=+all DEB_CXXFLAGS_MAINT_STRIP=-g
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DVIRETA_WERROR=ON -DVIRETA_BUILD_TESTS=OFF -DCMAKE_CXX_FLAGS="$cxxflags" \
  -DCMAKE_EXE_LINKER_FLAGS="$ldflags" -DCMAKE_SHARED_LINKER_FLAGS="$ldflags" \
  -DCMAKE_MODULE_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build "$build"
rm -f "$build"/vireta_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
debs=("$build"/vireta_*_amd64.deb)
[[ -f ${debs[0]} && ${#debs[@]} == 1 ]] || { echo "cpack made no single vireta_*_amd64.deb" >&2; exit 1; }
deb=$PWD/${debs[0]}
echo "$deb"

# 2. lintian: errors and warnings fail; information is shown.
step "lintian"
lintian --info --fail-on error,warning "$deb" 2>&1 | { grep -v '^running with root privileges' || true; }
echo "lintian: no error, no warning"

report() {
  echo "package: ${deb##*/}, $(stat -c %s "$deb") bytes, installed size $(dpkg-deb -f "$deb" Installed-Size) KiB"
  echo "Depends: $(dpkg-deb -f "$deb" Depends)"
  echo "Recommends: $(dpkg-deb -f "$deb" Recommends)"
}
if (( !chroot_steps )); then
  report
  exit 0
fi

# 3. A clean Debian 12, made afresh by debootstrap from the kept tarball.
work=$source/build/package-check
root=$work/root
tarball=$work/bookworm-minbase.tgz

# Whatever is mounted under the root is unmounted, deepest first, and the processes
# still running in it (none should be) are ended.
release_root() {
  local pid mounts
  for pid in /proc/[0-9]*; do
    [[ $(readlink "$pid/root" 2>/dev/null) == "$root" ]] && kill -KILL "${pid#/proc/}" 2>/dev/null
  done
  mounts=$(awk -v r="$root" '$2 == r || index($2, r "/") == 1 { print $2 }' /proc/mounts | sort -r)
  for m in $mounts; do umount "$m" || umount -l "$m"; done
}
cleanup() {
  local status=$?
  trap - EXIT INT TERM
  release_root || true
  if awk -v r="$root" '$2 == r || index($2, r "/") == 1 { found = 1 } END { exit !found }' /proc/mounts; then
    echo "check-package.sh: something is still mounted under $root; it is left in place" >&2
    status=1
  else
    rm -rf --one-file-system "$root"
  fi
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

mkdir -p "$work/apt-archives/partial"
release_root
rm -rf --one-file-system "$root"
if [[ ! -s $tarball ]]; then
  step "fetching the base system for debootstrap's tarball"
  rm -rf "$work/tarball-work"
  debootstrap --variant=minbase --make-tarball="$tarball.part" bookworm "$work/tarball-work" "$mirror" \
    >"$work/debootstrap.log" 2>&1 || { tail -n 20 "$work/debootstrap.log"; exit 1; }
  mv "$tarball.part" "$tarball"
  rm -rf "$work/tarball-work"
fi
step "debootstrap bookworm"
debootstrap --variant=minbase --unpack-tarball="$tarball" bookworm "$root" "$mirror" \
  >"$work/debootstrap.log" 2>&1 || { tail -n 20 "$work/debootstrap.log"; exit 1; }
# No service starts inside (a package's maintainer scripts would try).
printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
chmod 755 "$root/usr/sbin/policy-rc.d"
mount -t proc proc "$root/proc"
mount -t devpts -o newinstance,ptmxmode=0666 devpts "$root/dev/pts"
mount --bind "$work/apt-archives" "$root/var/cache/apt/archives"
cp "$deb" "$root/tmp/"

inside() {
  chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
    DEBIAN_FRONTEND=noninteractive "$@"
}
step "apt-get install ./${deb##*/}"
inside apt-get update -qq
# The checks' own tools first, so that the package comes alone.
inside apt-get install -y -qq --no-install-recommends man-db desktop-file-utils >/dev/null
inside sh -c "cd /tmp && apt-get install -y -q './${deb##*/}'" >"$work/install.log" ||
  { cat "$work/install.log"; exit 1; }
grep -E '^[0-9]+ upgraded, [0-9]+ newly installed' "$work/install.log"
inside dpkg-query -L vireta >"$work/files.txt"

step "running the installed programs"
cat >"$root/tmp/check-installed.sh" <<'EOF'
set -uo pipefail
version=$1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
example=/usr/share/vireta/examples/xeografia-galicia/xeografia.xml
formats=(xml html js ebk web scorm pdf moodle gift aiken csv)

for program in vireta-export vireta-clase; do
  out=$($program --version 2>&1)
  [[ $out == "$program $version" ]] || fail "$program --version: $out"
done
out=$(QT_QPA_PLATFORM=offscreen vireta --version 2>&1)
[[ $out == "vireta $version" ]] || fail "vireta --version: $out"

[[ $(vireta-export --check "$example") == 10 ]] || fail "vireta-export --check of the example"
# Every format of the -f list, each into a folder of its own.
for f in "${formats[@]}"; do
  mkdir -p "/tmp/export/$f"
  if vireta-export -f "$f" -o "/tmp/export/$f/exemplo" --seed 7 "$example" 2>"/tmp/export/$f.err"; then
    document=$(find "/tmp/export/$f" -maxdepth 1 -name 'exemplo.*' -size +0 | head -n 1)
    [[ -n $document ]] || fail "vireta-export -f $f wrote nothing"
  else
    fail "vireta-export -f $f: $(cat "/tmp/export/$f.err")"
  fi
done
[[ $(head -c 5 /tmp/export/pdf/exemplo.pdf 2>/dev/null) == %PDF- ]] || fail "the paper test is no PDF"
echo "exported the example as: $(cd /tmp/export && ls -d */*.* | tr '\n' ' ')"

[[ $(man -w vireta-export 2>&1) == /usr/share/man/man1/vireta-export.1.gz ]] ||
  fail "man -w vireta-export: $(man -w vireta-export 2>&1)"
out=$(desktop-file-validate /usr/share/applications/org.vireta.Vireta.desktop 2>&1) && [[ -z $out ]] ||
  fail "desktop-file-validate: $out"

# What is loaded at run time: GStreamer's MP3 decoder, Qt's SVG plug-in for the
# window's pictures, the paper test's font.
for f in /usr/lib/x86_64-linux-gnu/gstreamer-1.0/libgstmpg123.so \
         /usr/lib/x86_64-linux-gnu/qt6/plugins/imageformats/libqsvg.so \
         /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf; do
  [[ -e $f ]] || fail "$f is not installed"
done

# The editor, offscreen, on the example: still running after five seconds.
mkdir -p -m 700 /tmp/runtime
XDG_RUNTIME_DIR=/tmp/runtime QT_QPA_PLATFORM=offscreen timeout 5 vireta "$example"
status=$?
[[ $status == 124 ]] || fail "the editor ended with $status before five seconds"

# vireta-clase serves a copy of the example on the loopback, and ends on SIGTERM.
cp -r "${example%/*}" /tmp/clase
vireta-clase /tmp/clase/xeografia.xml --listen 127.0.0.1 --port 18080 >/tmp/clase.out 2>&1 &
pid=$!
for _ in $(seq 50); do
  [[ $(grep -c -E '^(Alumnado|Código|Presentador): ' /tmp/clase.out) == 3 ]] && break
  sleep 0.1
done
grep -q '^Alumnado: http://127.0.0.1:180' /tmp/clase.out || fail "vireta-clase: $(cat /tmp/clase.out)"
kill -TERM "$pid"
wait "$pid" || fail "vireta-clase ended with $? on SIGTERM"

exit $(( failures > 0 ))
EOF
inside bash /tmp/check-installed.sh "$(dpkg-deb -f "$deb" Version)"

# 4. Purged, nothing of it is left: neither a file it installed nor a folder only it
# owned.
step "apt-get purge vireta"
inside apt-get purge -y -qq vireta >/dev/null
if inside dpkg-query -W vireta >/dev/null 2>&1; then
  echo "FAIL: dpkg still knows vireta after the purge" >&2
  exit 1
fi
left=0
while read -r path; do
  [[ $path == /. ]] && continue
  [[ -e $root$path || -L $root$path ]] || continue
  if [[ -d $root$path && ! -L $root$path ]] && inside dpkg-query -S "$path" >/dev/null 2>&1; then
    continue # a folder another package owns too
  fi
  echo "FAIL: $path is left after the purge" >&2
  left=$((left + 1))
done <"$work/files.txt"
(( left == 0 ))
echo "purged: none of the package's $(wc -l <"$work/files.txt") paths is left"

step "done"
report
