# Shared by scripts/play and scripts/test: installs the Debian packages that
# are missing (as root directly, otherwise through sudo).
need_packages() {
  local missing=()
  local package
  for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$package")
    fi
  done
  if [ ${#missing[@]} -eq 0 ]; then
    return 0
  fi
  echo "Installing: ${missing[*]}"
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
  fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build_packages=(cmake ninja-build g++ googletest libgtest-dev libbenchmark-dev)
# The web build (emscripten) and the browser its tests drive (Chromium with
# its driver, through Debian's Selenium).
web_packages=(emscripten)
browser_packages=(chromium chromium-driver python3-selenium)
