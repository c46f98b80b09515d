#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the tools need, when
# they are missing.  Safe to run again; does nothing when all are present.
set -euo pipefail
packages=(cmake g++ make libgtest-dev libbenchmark-dev unixodbc-dev clang libclang-rt-14-dev libcli11-dev libxml2-utils)
# The elementary functions' test oracle (the library itself uses none of it).
packages+=(libmpfr-dev)
# The Python package (python/): Debian's interpreter, build tools and libraries.
packages+=(python3 python3-venv python3-dev python3-setuptools python3-pip python3-pybind11 pybind11-dev
           python3-numpy python3-pandas python3-pytest python3-dask python3-distributed)
# The hindcast benchmark (bench/hindcast): SciPy beside NumPy and pandas.
packages+=(python3-scipy)
# The fitting library (fit/): Eigen, header-only.
packages+=(libeigen3-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
fi
