# Shared by scripts/run and scripts/test: installs what is missing on a Debian machine.

set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
JOBS="$(nproc 2>/dev/null || echo 2)"

# The packages install_missing installed in this run.
INSTALLED=()

# Installs the Debian packages given that are not installed yet.
install_missing() {
  local missing=()
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
  INSTALLED+=("${missing[@]}")
}

# Stops, by the PID its service wrote, the system instance of each server given (by package
# name) that installing it in this run started: the tests start servers of their own, from their
# own configuration, and the system's are none of theirs.
stop_started_servers() {
  local package pidfile pid sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  for package in "$@"; do
    [[ " ${INSTALLED[*]} " == *" $package "* ]] || continue
    pidfile="/run/$package/$package.pid"
    [ -r "$pidfile" ] || continue
    pid="$(cat "$pidfile")"
    if [[ "$pid" =~ ^[0-9]+$ ]] && [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = "$package" ]; then
      echo "Stopping the system's $package (PID $pid) that installing it started"
      $sudo kill "$pid"
    fi
  done
}

BUILD_PACKAGES=(cmake ninja-build g++ qt6-base-dev libgl-dev libgtest-dev libboost-dev)
# scripts/package: the Debian hardening flags and dpkg-shlibdeps (dpkg-dev), the binaries' type for
# CPack (file), and the icon's PNG sizes (librsvg2-bin).
PACKAGE_PACKAGES=(dpkg-dev file librsvg2-bin)
