#!/usr/bin/env python3
"""Presses keys on the X display in $DISPLAY and leaves them held, through the
XTest extension (libX11 and libXtst via ctypes, no other module needed).

Usage: hold_keys.py KEYS   e.g. hold_keys.py adgk
"""
import ctypes
import sys
import time


def main():
    if len(sys.argv) != 2 or not sys.argv[1]:
        raise SystemExit("usage: hold_keys.py KEYS")
    x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
    xtst = ctypes.cdll.LoadLibrary("libXtst.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]

    display = x11.XOpenDisplay(None)
    if not display:
        raise SystemExit("hold_keys: cannot open the display")
    for key in sys.argv[1]:
        code = x11.XKeysymToKeycode(display, ord(key))
        if code == 0:
            raise SystemExit("hold_keys: no key for %r" % key)
        xtst.XTestFakeKeyEvent(display, code, 1, 0)
        x11.XFlush(display)
        time.sleep(0.25)
    x11.XCloseDisplay(display)


if __name__ == "__main__":
    main()
