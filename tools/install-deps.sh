#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the desktop need, when any is missing.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  libgtk-3-dev libkeybinder-3.0-dev
  xvfb xdotool x11-utils imagemagick metacity
  adwaita-icon-theme
  clang libclang-rt-14-dev
  libglib2.0-dev
)
# Saves keep a file's ACL and extended attributes; the tests set them with the command-line tools.
packages+=(libacl1-dev libattr1-dev acl attr)
# File reference tests make their own ext4 and btrfs images on loop devices.
packages+=(e2fsprogs btrfs-progs)
# The 32-bit build of QRVUtil and its tests; qemu-user runs them where the kernel runs no 32-bit
# program.
packages+=(gcc-multilib g++-multilib libc6-dev-i386 qemu-user)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
