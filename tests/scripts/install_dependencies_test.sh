#!/usr/bin/env bash
# scripts/install-dependencies on a machine whose package index is mid-sync on the mirror (the
# first two updates fail) and whose i386 packages lag behind the amd64 ones (an install fails
# unless it asks for the base release's versions): every package is installed all the same.
#
#   install_dependencies_test.sh SCRIPT
set -euo pipefail
script=$1
stubs=$(mktemp -d)
trap 'rm -rf "$stubs"' EXIT
log="$stubs/apt.log"
cat >"$stubs/apt-get" <<STUB
#!/usr/bin/env bash
echo "\$*" >>"$log"
case "\$*" in
  update*) [[ \$(grep -c '^update' "$log") -ge 3 ]] ;;
  install*) [[ " \$* " == *" -t "* ]] || { echo "E: held broken packages" >&2; exit 100; } ;;
esac
STUB
printf '#!/bin/sh\ncase "$1" in -s) exit 1 ;; --print-foreign-architectures) echo i386 ;; esac\n' \
  >"$stubs/dpkg"
printf '#!/bin/sh\necho ja_JP.utf8\n' >"$stubs/locale"
printf '#!/bin/sh\n' >"$stubs/sleep"
printf '#!/bin/sh\nexec "$@"\n' >"$stubs/sudo"
chmod +x "$stubs"/*

PATH="$stubs:$PATH" "$script" >/dev/null 2>&1 || { echo "the script failed"; cat "$log"; exit 1; }
release=$(. /etc/os-release && echo "$VERSION_CODENAME")
[[ $(grep -c '^update' "$log") == 3 ]] && grep -q -- "^install .*-t $release .*wine32:i386" "$log" ||
  { echo "not three updates and an install from $release:"; cat "$log"; exit 1; }
echo "1 passed, 0 failed"
