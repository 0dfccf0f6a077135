#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs vellora-cli over every line of cases.txt and compares its stdout,
# stderr, exit code and the files it wrote with expected.txt. With --record
# it writes expected.txt instead. Each case runs in a scratch folder that
# sees the test pictures as bmpsuite/, so the paths it prints never vary.
set -euo pipefail
cli=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
data="$here/../data"
record=${2:-}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
actual="$scratch/actual.txt"
: >"$actual"

n=0
while IFS= read -r line || [ -n "$line" ]; do
    n=$((n + 1))
    work="$scratch/case"
    rm -rf "$work"
    mkdir -p "$work"
    ln -s "$data/bmpsuite" "$work/bmpsuite"
    ln -s "$data/pngsuite" "$work/pngsuite"
    ln -s "$data/sizes" "$work/sizes"
    ln -s "$data/names" "$work/names"
    line=${line//@OUT@/out}
    read -r -a args <<<"$line"
    set +e
    (cd "$work" && "$cli" "${args[@]}" >"$scratch/stdout" 2>"$scratch/stderr")
    code=$?
    set -e
    {
        echo "=== $n: $line"
        echo "--- exit $code"
        echo "--- stdout"
        # A check run ends with the seconds it took, which no two runs share.
        sed -E 's/(unreadable), [0-9]+\.[0-9]+ s$/\1, T s/' "$scratch/stdout"
        echo "--- stderr"
        cat "$scratch/stderr"
        if [ -d "$work/out" ]; then
            echo "--- files"
            (cd "$work" && find out -type f | LC_ALL=C sort | xargs -r md5sum)
        fi
    } >>"$actual"
done <"$here/cases.txt"

if [ "$record" = "--record" ]; then
    cp "$actual" "$here/expected.txt"
    echo "recorded $n cases"
    exit 0
fi
if diff -u "$here/expected.txt" "$actual" >"$scratch/diff"; then
    echo "golden: $n cases identical"
else
    head -200 "$scratch/diff"
    echo "golden: output differs from expected.txt"
    exit 1
fi
