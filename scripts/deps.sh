#!/usr/bin/env bash
# Makes sure the Debian packages a script needs are installed: installs the
# missing ones when running as root, says clearly which are missing otherwise.
# Usage: source scripts/deps.sh; ensure_packages pkg [pkg ...]

ensure_packages() {
  local missing=() pkg
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" ||
      missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "missing Debian packages: ${missing[*]}" >&2
    echo "install them as root: apt-get update && apt-get install ${missing[*]}" >&2
    return 1
  fi
  echo "installing: ${missing[*]}"
  if printf '%s\n' "${missing[@]}" | grep -q ':i386$'; then
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  fi
  apt-get update -qq || { echo "apt-get update failed" >&2; return 1; }
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" \
    >/dev/null || { echo "could not install: ${missing[*]}" >&2; return 1; }
}
