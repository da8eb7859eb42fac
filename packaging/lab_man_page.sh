#!/bin/sh
# usage: lab_man_page.sh MORVANE_LAB VERSION OUT
# Writes morvane-lab's man page from its --help, with the merge command's own help as a section.
set -eu
lab=$1 version=$2 out=$3
include="$out.include"
{
    echo "[MERGING SHARDS]"
    echo ".nf"
    "$lab" merge --help | sed 's/\\/\\\\/g; s/^\./\\\&./'
    echo ".fi"
    echo "[SEE ALSO]"
    echo ".BR morvane (1)"
} >"$include"
help2man --no-info --version-string="$version" \
    --name="run the Morvane world headless and write what it became" \
    --include="$include" --output="$out" "$lab"
rm -f "$include"
