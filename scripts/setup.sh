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
  export DEBIAN_FRONTEND=noninteractive
  as_root apt-get update -qq
  as_root apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Runs a command as root: directly when root, otherwise through sudo.
as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
  else
    sudo "$@"
  fi
}

build_packages=(cmake ninja-build g++ googletest libgtest-dev libbenchmark-dev zlib1g-dev)
# The web build (emscripten) and the browser its tests drive (Chromium with
# its driver, through Debian's Selenium).
web_packages=(emscripten)
browser_packages=(chromium chromium-driver python3-selenium)
