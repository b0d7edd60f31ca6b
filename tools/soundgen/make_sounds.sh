#!/bin/sh
# Synthesises the game's six sound effects with sox and encodes them to MP3 with lame.
#
#   tools/soundgen/make_sounds.sh [OUTDIR]     (default: game/sound next to this script's repo)
#
# Every effect is built from sox's generators (noise, sine, saw, square) and effects, so the
# files are ours and reproducible: sox runs with -R (fixed noise seed).
set -eu

here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$here/../../game/sound}
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

SOX="sox -R -q"
FMT="-r 44100 -c 1 -b 16"

# Writes $1.wav from sox's null input with the synth/effect chain in the remaining arguments.
gen() {
    name=$1; shift
    $SOX -n $FMT "$work/$name.wav" "$@"
}

# Finishes $1.wav: trim trailing silence, normalise to -1 dBFS, encode to $1.mp3.
finish() {
    $SOX "$work/$1.wav" "$work/$1-n.wav" gain -n -2
    lame --quiet --noreplaygain -m m -b 96 --resample 44.1 "$work/$1-n.wav" "$out/$1.mp3"
}

# omnom: three chomps, each a crunchy noise burst over a falling low "nom" tone.
gen bite-noise synth 0.13 brownnoise vol -6dB lowpass 1400 highpass 150 fade q 0.005 0.13 0.08
gen bite-tone synth 0.13 sine 260-140 fade h 0.01 0.13 0.06 vol -6dB
$SOX -m "$work/bite-noise.wav" "$work/bite-tone.wav" "$work/bite.wav"
$SOX "$work/bite.wav" "$work/bite-gap.wav" pad 0 0.07
$SOX "$work/bite-gap.wav" "$work/bite-gap.wav" "$work/bite.wav" "$work/omnom.wav" speed 1.0
finish omnom

# brz: an electric buzz, two detuned saws at mains-like frequency, driven hard, with crackle.
gen buzz synth 0.8 sawtooth 100 sawtooth 103 remix 1,2 overdrive 25 tremolo 24 60 lowpass 5000 fade 0.01 0.8 0.12
gen crackle synth 0.8 whitenoise vol -14dB tremolo 47 100 highpass 2500 fade 0.01 0.8 0.12
$SOX -m "$work/buzz.wav" "$work/crackle.wav" "$work/brz.wav"
finish brz

# attack: a metallic clash, inharmonic ringing partials over a short bright noise hit.
gen ring synth 0.9 sine 587 sine 1373 sine 2291 sine 3547 remix 1,2,3,4 fade l 0 0.9 0.88
gen hit synth 0.15 whitenoise vol -6dB highpass 1800 fade q 0 0.15 0.14
$SOX -m "$work/ring.wav" "$work/hit.wav" "$work/attack-raw.wav"
$SOX "$work/attack-raw.wav" "$work/attack.wav" vol -6dB reverb 30 50 40
finish attack

# sleep: one snore, a rattling low inhale and a soft airy exhale.
gen inhale synth 0.9 brownnoise lowpass 500 tremolo 32 90 fade h 0.35 0.9 0.2
gen exhale synth 0.8 pinknoise highpass 700 lowpass 2600 vol -8dB fade h 0.2 0.8 0.4
$SOX "$work/inhale.wav" "$work/exhale.wav" "$work/sleep.wav" pad 0 0.1
finish sleep

# victory: a brass-like fanfare, G C E and a held G with its C and E, from slightly detuned saws.
note() {  # name frequency duration
    gen "$1" synth "$3" sawtooth "$2" sawtooth "$(awk "BEGIN { print $2 * 1.004 }")" remix 1,2 lowpass 2600 fade h 0.015 "$3" 0.04
}
note n1 392.00 0.14
note n2 523.25 0.14
note n3 659.26 0.14
note c1 783.99 0.75
note c2 523.25 0.75
note c3 659.26 0.75
$SOX -m "$work/c1.wav" "$work/c2.wav" "$work/c3.wav" "$work/chord.wav" fade h 0 0.75 0.35
$SOX "$work/n1.wav" "$work/n2.wav" "$work/n3.wav" "$work/chord.wav" "$work/victory-dry.wav"
$SOX "$work/victory-dry.wav" "$work/victory.wav" vol -6dB reverb 40 50 60
finish victory

# die: a long falling whistle that ends in a dull thud.
gen whistle synth 0.95 sine 1300:160 fade h 0.02 0.95 0.1 vol -3dB
gen thud synth 0.3 brownnoise lowpass 180 fade q 0.002 0.3 0.25
$SOX "$work/whistle.wav" "$work/thud.wav" "$work/die.wav"
finish die

ls -l "$out"
