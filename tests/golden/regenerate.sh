#!/bin/sh
# Remakes the inputs of the golden runs, every expected file of tests/golden/runs.txt and the
# expected output of every case file (*/tests/cases/*.case) from the built programs.
# Usage, from the top of a clone: tests/golden/regenerate.sh BUILD_DIR
# Review what changed with git diff before committing it.
set -eu
build=$(cd "${1:?usage: tests/golden/regenerate.sh BUILD_DIR}" && pwd)
cd "$(dirname "$0")"
python3 make_inputs.py
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
grep -v '^#' runs.txt | grep -v '^[[:space:]]*$' | while read -r program input options expected; do
    set --
    if [ "$options" != "-" ]; then
        old_ifs=$IFS
        IFS=,
        # shellcheck disable=SC2086 # split the options at the commas
        # "@name" names a file of this folder, the working directory here
        set -- $(printf '%s' "$options" | tr -d @)
        IFS=$old_ifs
    fi
    case $program in
    melvox) "$build/converter/melvox" "$input" "$scratch/out" "$@" > /dev/null 2>&1
            mv "$scratch/out" "$expected" ;;
    kodasm) "$build/assembler/kodasm" "$input" "$scratch/out" "$@" > /dev/null 2>&1
            mv "$scratch/out" "$expected" ;;
    koddar) "$build/disassembler/koddar" "$input" "$@" > "$expected" 2> /dev/null ;;
    melplay)
        case $expected in
        *.wav) "$build/player/melplay" "$input" "$@" "-w:$scratch/out" > /dev/null 2>&1
               mv "$scratch/out" "$expected" ;;
        *) "$build/player/melplay" "$input" "$@" > "$expected" 2> /dev/null ;;
        esac ;;
    *) echo "runs.txt: unknown program $program" >&2; exit 1 ;;
    esac
    echo "$expected"
done
CASES_UPDATE=1 "$build/tests/docs/doc_tests" --gtest_filter='Corpus/CaseFiles.*' > /dev/null
echo "case files"
