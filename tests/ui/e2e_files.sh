# Sourced by the end-to-end scripts: an image, a transcript, a copy of the image as it was and
# the patched copy expected from V135's preset, in folder $1.
make_e2e_files() {
  head -c 2097152 /dev/urandom >"$1/image.bin"
  head -c 75776 /dev/urandom >"$1/transcript.bin"
  cp "$1/image.bin" "$1/image.orig"
  # V135's block at 0x1CD800 (1890304) replaced by the transcript.
  { head -c 1890304 "$1/image.bin"; cat "$1/transcript.bin";
    tail -c +$((1890304 + 75776 + 1)) "$1/image.bin"; } >"$1/expected.bin"
}
