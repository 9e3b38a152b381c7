#!/usr/bin/env bash
# Runs every block of README.md fenced as ```sh example, in the README's
# order, each in a shell of its own that stops at its first failing command,
# all in one scratch folder, with the tool that `cmake --install` lays out
# from the build tree (then moved) first on the PATH. Before them the folder
# gets the demo's files (demo-out/) and passes shaped as renderers write
# them, under the names the examples use:
#   arnold.exr, shot.0101.exr to shot.0103.exr   beauty RGBA, position in P.X/Y/Z
#   blender.exr      beauty RGBA, position in ViewLayer.Position.X/Y/Z
#   nuke.exr         beauty RGBA, position in P.red/green/blue
#   multipart.exr    part "rgba" (the beauty), part "P" (P.X/Y/Z, no alpha)
# Usage: readme-examples.sh README.md BUILD_DIR
set -euo pipefail

readme=$(realpath "$1")
build=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Installed elsewhere, then moved: the tool finds its plug-in from its own
# folder wherever the installed tree lies.
cmake --install "$build" --prefix "$work/staged" >/dev/null
mv "$work/staged" "$work/prefix"
export PATH="$work/prefix/bin:$PATH"
mkdir "$work/run"
cd "$work/run"

# The installed tool loads the plug-in installed with it.
version=$(kestrow --version)
if ! grep -q "^plug-in Kestrow .*: $work/prefix/lib/kestrow/Kestrow.so$" <<<"$version"; then
  echo "readme-examples: the installed kestrow does not name its installed plug-in:" >&2
  echo "$version" >&2
  exit 1
fi

kestrow demo demo-out >/dev/null
d=demo-out
oiiotool $d/layer.exr --ch R,G,B $d/position.exr --ch A --chappend -o beauty.exr
for shape in arnold:P.X,P.Y,P.Z blender:ViewLayer.Position.X,ViewLayer.Position.Y,ViewLayer.Position.Z \
  nuke:P.red,P.green,P.blue; do
  IFS=, read -r x y z <<<"${shape#*:}"
  oiiotool beauty.exr $d/position.exr --ch "$x=R,$y=G,$z=B" --chappend -o "${shape%%:*}.exr"
done
for frame in 0101 0102 0103; do cp arnold.exr "shot.$frame.exr"; done
oiiotool beauty.exr --attrib oiio:subimagename rgba \
  $d/position.exr --ch P.X=R,P.Y=G,P.Z=B --attrib oiio:subimagename P --siappend -o multipart.exr

mkdir "$work/blocks"
awk -v dir="$work/blocks" '
  /^[ \t]*```sh example[ \t]*$/ { n++; file = sprintf("%s/%03d.sh", dir, n); inside = 1; next }
  inside && /^[ \t]*```[ \t]*$/ { inside = 0; close(file); next }
  inside { sub(/^    /, ""); print > file }
' "$readme"

passed=0
failed=0
for block in "$work"/blocks/*.sh; do
  [[ -e "$block" ]] || break
  if bash -e -o pipefail "$block" >"$work/out.txt" 2>&1; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "readme-examples: this example failed:" >&2
    sed 's/^/    /' "$block" >&2
    sed 's/^/  | /' "$work/out.txt" >&2
  fi
done
if ((passed + failed == 0)); then
  echo "readme-examples: no \`\`\`sh example block in $readme" >&2
  exit 1
fi
echo "examples: $passed passed, $failed failed"
((failed == 0))
