#!/bin/sh
# Writes made-up files to try Zarneth on, plainly not firmware: a "V135" image of 2 MiB with
# an English language block at 1CD800-1DFFFF, a German transcript for it, and a "V139" image
# whose block stands 4 KiB later (1CE800-1E0FFF) with one line in 40 changed.
# Usage: make-demo-files.sh FOLDER
set -eu
folder=${1:?usage: make-demo-files.sh FOLDER}
mkdir -p "$folder"
cd "$folder"

# Lines of text, each told apart by its number, cut to exactly BYTES bytes.
lines() { # FORMAT BYTES [CHANGE_EVERY]
  awk -v format="$1" -v every="${3:-0}" 'BEGIN {
    for (i = 0; i < 100000; i++) {
      line = sprintf(format, i)
      if (every > 0 && i % every == every - 1)
        line = toupper(line)
      printf "%s\n", line
    }
  }' | head -c "$2"
}

block=75776  # 0x12800, V135's language block
lines 'english line %05d: hello from the demo language block' $block > english.part
lines 'deutsche zeile %05d: hallo aus dem demo-sprachblock' 70000 > german-demo.blk
lines 'english line %05d: hello from the demo language block' $block 40 > english-v139.part

# V135: the block at 0x1CD800 (1890304), 2 MiB in all.
{
  lines 'v135 %08d made-up bytes, not firmware' 1890304
  cat english.part
  lines 'v135 tail %08d made-up bytes, not firmware' $((2097152 - 1890304 - block))
} > be4-v135-demo.bin
# V139: 4 KiB more before the block, which moved to 0x1CE800 (1894400) and changed a little.
{
  lines 'v139 %08d made-up bytes, not firmware' 1894400
  cat english-v139.part
  lines 'v139 tail %08d made-up bytes, not firmware' $((2097152 - 1894400 - block))
} > be4-v139-demo.bin
rm english.part english-v139.part
echo "make-demo-files: be4-v135-demo.bin, german-demo.blk and be4-v139-demo.bin in $folder"
