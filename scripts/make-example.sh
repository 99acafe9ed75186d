#!/usr/bin/env bash
# Renews the example quiz in examples/xeografia-galicia: its pictures (drawn as SVG in
# scripts/example and rendered to PNG and JPEG), its sounds (spoken by espeak-ng and
# encoded to MP3) and the quiz file itself, which vireta-export opens from the
# hand-written scripts/example/xeografia.xml and saves in the program's own layout.
# usage: scripts/make-example.sh [BUILD_DIR]   (BUILD_DIR holds a built vireta-export;
#        default build)
# Needs librsvg2-bin, imagemagick, espeak-ng and lame (scripts/install-deps.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
src=scripts/example
out=examples/xeografia-galicia
export_bin=$build/src/cli/vireta-export
[[ -x $export_bin ]] || { echo "no $export_bin: build the target vireta-export first" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
rm -rf "$out"
mkdir -p "$out"

# Pictures: flat drawings stay PNG, the ones with soft colour fields become JPEG, so the
# example shows both kinds in the preview.
for name in rio illas muralla; do
  rsvg-convert -w 400 -h 300 -o "$work/$name.png" "$src/$name.svg"
  # Palette PNG without the time stamps ImageMagick would add, so a renewal that draws
  # the same picture writes the same bytes.
  convert "$work/$name.png" -strip -colors 64 -define png:exclude-chunks=date,time "PNG8:$out/$name.png"
done
for name in monte torre cabo; do
  rsvg-convert -w 400 -h 300 -b white -o "$work/$name.png" "$src/$name.svg"
  convert "$work/$name.png" -strip -quality 82 -sampling-factor 2x2 "$out/$name.jpg"
done

# Sounds: espeak-ng has no Galician voice, the Portuguese one reads Galician closely.
voice=pt
if espeak-ng --voices=gl | grep -q '^ *[0-9]'; then voice=gl; fi
say() { # NAME TEXT
  espeak-ng -v "$voice" -s 140 -w "$work/$1.wav" "$2"
  lame --quiet -m m -b 32 --resample 22.05 --noreplaygain "$work/$1.wav" "$out/$1.mp3"
}
say intro "Benvida e benvido ao xogo da xeografía de Galicia. Dez preguntas: escolle en cada unha a resposta correcta."
say pregunta1 "Cal é o río máis longo de Galicia?"
say ben "Moi ben!"
say mal "Non, esa non é."
say final-ben "Parabéns! Sabes moito de Galicia."
say final-mal "Volve tentalo. Seguro que a próxima vez sae mellor."

# The quiz file, saved by the program from the hand-written source.
"$export_bin" -f xml -o "$out/xeografia.xml" "$src/xeografia.xml"
"$export_bin" --check "$out/xeografia.xml" >/dev/null
ls -l "$out"
