#!/usr/bin/env bash
# `tessel --convert` run as a script would: no display, files in a scratch folder.
#   convert_test.sh <tessel binary>
set -uo pipefail
tessel=$1
unset DISPLAY WAYLAND_DISPLAY
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failures=0
check() { # what, expected, actual
  if [[ "$2" != "$3" ]]; then
    printf 'FAIL %s\n  expected: %q\n  actual:   %q\n' "$1" "$2" "$3"
    failures=$((failures + 1))
  fi
}

# A quad whose last corner repeats: the repeat goes, the quad stays a quad through every format.
printf 'o Quad\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nf 1 2 3 4 4\n' >"$dir/quad.obj"
out=$("$tessel" --convert "$dir/quad.obj" "$dir/quad.glb" 2>"$dir/err"); status=$?
check "OBJ to glb: status" 0 "$status"
check "OBJ to glb: what reading changed, on standard output" \
  "5 corners joined into 4 points"$'\n'"1 repeated corner dropped from its face" "$out"
check "OBJ to glb: nothing on standard error" "" "$(cat "$dir/err")"

"$tessel" --convert "$dir/quad.glb" "$dir/quad.stl" >"$dir/out" 2>&1; status=$?
check "glb to STL: status" 0 "$status"
check "glb to STL: a binary STL of 2 triangles" 184 "$(stat -c %s "$dir/quad.stl")"

"$tessel" --convert "$dir/quad.glb" "$dir/back.obj" >"$dir/out" 2>&1; status=$?
check "glb to OBJ: status" 0 "$status"
check "glb to OBJ: one face of four corners" 4 "$(awk '/^f /{print NF - 1}' "$dir/back.obj")"

printf '{"asset":{"version":"1.0"}}' >"$dir/old.gltf"
err=$("$tessel" --convert "$dir/old.gltf" "$dir/new.glb" 2>&1 >/dev/null); status=$?
check "glTF 1.0: status" 1 "$status"
check "glTF 1.0: the window's message" \
  "Cannot open “old.gltf”: glTF 1.0 is not supported; save it as glTF 2.0." "$err"
check "glTF 1.0: nothing written" "" "$(ls "$dir" | grep new)"

err=$("$tessel" --convert "$dir/quad.obj" "$dir/quad.fbx" 2>&1 >/dev/null); status=$?
check "unknown output type: status" 1 "$status"
check "unknown output type: message" \
  "Cannot export “quad.fbx”: unknown file type (known: .glb, .gltf, .obj, .ply, .stl)." "$err"

"$tessel" --convert "$dir/quad.obj" >/dev/null 2>&1; status=$?
check "one file only: status" 1 "$status"

check "--help lists --convert" 1 "$("$tessel" --help | grep -c -- 'tessel --convert IN OUT')"

((failures == 0)) && echo "convert: all checks passed"
exit $((failures > 0))
