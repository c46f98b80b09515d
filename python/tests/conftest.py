import ctypes
import glob
import os

import pytest

import qrvpfuncs


class CDate(ctypes.Structure):
    _fields_ = [("year", ctypes.c_uint32), ("month", ctypes.c_uint16), ("day", ctypes.c_uint16),
                ("hour", ctypes.c_uint16), ("minute", ctypes.c_uint16), ("second", ctypes.c_uint32)]


@pytest.fixture(scope="session")
def clib():
    """The package's own copy of the C library, called through ctypes."""
    path, = glob.glob(os.path.join(os.path.dirname(qrvpfuncs.__file__), "libQRVPFuncs.so.*"))
    return ctypes.CDLL(path)


def c_call(lib, name, *args):
    """Calls a status function whose last argument is one double out; (status, value)."""
    out = ctypes.c_double(float("nan"))
    conv = [CDate(*a) if isinstance(a, tuple) else ctypes.c_double(a) for a in args]
    status = getattr(lib, name)(*conv, ctypes.byref(out))
    return status, out.value


@pytest.fixture(scope="session")
def qrvp_bin():
    path = os.environ.get("QRVP_BIN", "")
    if not os.access(path, os.X_OK):
        pytest.skip("no qrvp binary (QRVP_BIN) to compare with")
    return path
