#!/usr/bin/env bash
# Installs the Debian 12 packages that Vireta needs to build, run and test.
# Does nothing when they are all present; uses sudo when not run as root.
set -euo pipefail

packages=(
  # build
  g++ cmake ninja-build pkg-config
  # the program
  qt6-base-dev qt6-multimedia-dev qt6-svg-dev qt6-translations-l10n
  qt6-l10n-tools   # lrelease: the Galician additions to Qt's catalogue
  libpng-dev libjpeg-dev zlib1g-dev
  libzip-dev   # the SCORM package
  libpugixml-dev   # reads Moodle XML question banks (the import)
  # the classroom game: its server, its messages and its QR code
  qt6-httpserver-dev qt6-websockets-dev nlohmann-json3-dev libqrencode-dev
  fonts-dejavu-core   # the paper test's font, embedded in its PDF
  gstreamer1.0-plugins-good gstreamer1.0-plugins-ugly gstreamer1.0-libav
  # tests and benchmarks
  libgtest-dev libbenchmark-dev
  chromium   # loads the self-marking pages and the web game in the browser tests
  nodejs     # runs the web game's browser tests (Playwright, axe-core from npm)
  poppler-utils   # reads the paper test's PDF back (pdftotext, pdffonts, pdfimages)
  # sanitizer and fuzzing checks (scripts/run-checks.sh)
  clang libclang-rt-14-dev
  # XML parsers the benchmarks compare against (pugixml is also the program's)
  libexpat1-dev libpugixml-dev
  time   # the benchmarks read a program's peak memory through GNU time
  # archive readers the tar writer tests check against
  tar libarchive-tools python3
  # the SCORM manifest checked against its schemas (xmllint)
  libxml2-utils
  # the install tree test's validators and file type lookup
  desktop-file-utils appstream shared-mime-info libglib2.0-bin
  # the manual pages (scdoc), the Debian package and its check (scripts/check-package.sh:
  # file and dpkg-shlibdeps for CPack's dependencies, lintian, debootstrap)
  scdoc file dpkg-dev lintian debootstrap
  # screenshots of the window under Xvfb (scripts/screenshot.sh)
  xvfb xauth
  # renewing the example quiz's media and the icon's PNGs (scripts/make-example.sh,
  # scripts/make-icons.sh)
  librsvg2-bin imagemagick espeak-ng lame
)

# npm installs the browser tests' pinned packages; a nodejs that brings its own npm
# (and would conflict with Debian's) is left as it is.
command -v npm >/dev/null 2>&1 || packages+=(npm)

# The browser tests' npm packages, exactly as tests/browser/package-lock.json pins them.
npm_packages() {
  "$(dirname "$0")/../tests/browser/npm-deps.sh"
}

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [[ $status == installed ]] || missing+=("$p")
done
if (( ${#missing[@]} == 0 )); then
  npm_packages
  exit 0
fi

sudo=()
if (( EUID != 0 )); then sudo=(sudo); fi
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
npm_packages
