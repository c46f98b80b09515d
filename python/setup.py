"""Builds the extension module with the project's own CMake build.

The whole project is configured (the libraries, the fleet layer and the module, no
tests or benchmarks) in a build folder of its own; the module and the shared
libraries it loads are copied into the package, which finds them beside itself.
QRVP_BUILD_TYPE (default Release) and QRVP_BUILD_JOBS (default 2) steer it.
"""
import glob
import os
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        build_type = os.environ.get("QRVP_BUILD_TYPE", "Release")
        build_dir = os.path.join(ROOT, "build", "python-" + build_type.lower())
        configure = [
            "cmake", "-S", ROOT, "-B", build_dir,
            "-DCMAKE_BUILD_TYPE=" + build_type,
            "-DQRVP_BUILD_TESTS=OFF", "-DQRVP_BUILD_BENCH=OFF",
            "-DQRVP_BUILD_TOOLS=OFF", "-DQRVP_BUILD_PYTHON=ON",
            "-DPython_EXECUTABLE=" + sys.executable,
        ]
        subprocess.check_call(configure)
        jobs = os.environ.get("QRVP_BUILD_JOBS", "2")
        subprocess.check_call(["cmake", "--build", build_dir, "--target", "_qrvpfuncs", "-j", jobs])

        target = self.get_ext_fullpath(ext.name)
        package_dir = os.path.dirname(target)
        os.makedirs(package_dir, exist_ok=True)
        built = glob.glob(os.path.join(build_dir, "python", "_qrvpfuncs*.so"))
        if len(built) != 1:
            raise RuntimeError("expected one built module in %s, found %s" % (build_dir, built))
        shutil.copyfile(built[0], target)
        # The shared libraries under the names the module asks for (their
        # sonames), so that the loader finds them beside it.
        for pattern in ("libQRVPFuncs.so.*", "fit/libQRVPFit.so.*", "libQRVPFit.so.*"):
            for path in glob.glob(os.path.join(build_dir, pattern)):
                soname = subprocess.run(["objdump", "-p", path], check=True, capture_output=True,
                                        text=True).stdout
                names = [line.split()[1] for line in soname.splitlines() if line.strip().startswith("SONAME")]
                if names and not os.path.islink(path):
                    shutil.copyfile(path, os.path.join(package_dir, names[0]))


setup(ext_modules=[Extension("qrvpfuncs._qrvpfuncs", sources=[])], cmdclass={"build_ext": CMakeBuild})
