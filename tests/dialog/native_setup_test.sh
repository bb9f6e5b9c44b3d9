#!/usr/bin/env bash
# The stand-in host's set-up command natively: BKC_OnPlugInSetup shows the settings form on the
# terminal, and what is chosen there lands in the settings file beside the plug-in.
#
#   native_setup_test.sh HOST PLUGIN
set -euo pipefail
host=$1
plugin=$2
base=$(mktemp -d)
trap 'rm -rf "$base"' EXIT
work="$base/あ"  # file names are UTF-8 natively
mkdir "$work"
cp "$plugin" "$work/Pictolumen.so"
mkdir "$work/Pictolumen_SKIN" "$work/Pictolumen_SKIN/x.html"
for skin in Simple Blue 表; do echo '{Subject}{Body}' >"$work/Pictolumen_SKIN/$skin.html"; done

# Clear the check box, choose the third skin, OK.
shown=$(printf 'e\n3\no\n' | "$host" --plugin "$work/Pictolumen.so" setup)
expected_settings=$(printf '[Pictolumen]\r\nSkinList_Seletced=表\r\nchbIsEnable_Checked=0\r\n')
status=0
grep -q -F '  ( ) 1 Blue' <<<"$shown" || { echo "no skin list in: $shown"; status=1; }
grep -q -F '(*) 3 表' <<<"$shown" || { echo "the Japanese skin was not chosen: $shown"; status=1; }
if [[ "$(cat "$work/Pictolumen.ini")" != "$expected_settings" ]]; then
  echo "settings file:"; od -c "$work/Pictolumen.ini"; status=1
fi

# Cancel writes nothing.
cp "$work/Pictolumen.ini" "$work/before.ini"
printf 'e\n1\nc\n' | "$host" --plugin "$work/Pictolumen.so" setup >/dev/null
cmp -s "$work/before.ini" "$work/Pictolumen.ini" || { echo "Cancel changed the settings"; status=1; }
exit $status
