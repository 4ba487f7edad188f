#!/bin/sh
# Tries every step of the README on the made-up files of make-demo-files.sh, printing each
# command before its output: patch, verify, cut the known block, find it in an image of a
# version the presets do not know, keep that version (in a table of the demo's own, not
# yours), and patch the new image by the version's name.
# Usage: walkthrough.sh FOLDER [PATH/TO/zarneth-cli]
set -eu
folder=${1:?usage: walkthrough.sh FOLDER [zarneth-cli]}
cli=${2:-zarneth-cli}
here=$(cd "$(dirname "$0")" && pwd)
case $cli in */*) cli=$(cd "$(dirname "$cli")" && pwd)/$(basename "$cli") ;; esac
sh "$here/make-demo-files.sh" "$folder"
cd "$folder"
rm -f be4-v135-de.bin v135.blk be4-v139-de.bin demo-models.toml

step() {
  echo
  echo "\$ zarneth-cli $*"
  "$cli" "$@"
}

step patch --source be4-v135-demo.bin --transcript german-demo.blk --model V135 \
  --output be4-v135-de.bin
step verify --source be4-v135-de.bin --transcript german-demo.blk --model V135
step cut --source be4-v135-demo.bin --model V135 --output v135.blk
step locate --source be4-v139-demo.bin --transcript v135.blk
found=$("$cli" locate --source be4-v139-demo.bin --transcript v135.blk | awk 'NR == 2 { print $1, $2 }')
set -- $found
step models add V139 --start "$1" --end "$2" --source be4-v139-demo.bin \
  --table demo-models.toml --note "found with locate from V135"
step --models demo-models.toml identify --source be4-v139-demo.bin
step --models demo-models.toml patch --source be4-v139-demo.bin --transcript german-demo.blk \
  --model V139 --output be4-v139-de.bin
echo
echo "walkthrough: every step done; the files are in $folder"
