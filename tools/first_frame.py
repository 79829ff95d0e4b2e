#!/usr/bin/python3
"""Starts a program and times it to its first frame.

    first_frame.py [--keep] WINDOW_NAME COMMAND...

Polls the X server every 5 ms for a top-level window of that name whose
pixels at (60..180, 80..120) are red: the play item's corner in the game's
menu, all of the empty window's red clear. Prints one line,
"MILLISECONDS WINDOW PID PEAK_KB CPU_MS": the program's VmHWM at that moment
and the processor time all its threads have had, which other work on the
machine changes far less than the time on the clock. Then ends the program (SIGTERM, at most 5 s for it to quit),
unless --keep is given. Everything runs inside the polling process, so
launching and finding the window cost the program nothing."""
import ctypes
import os
import signal
import subprocess
import sys
import time

POLL = 0.005
DEADLINE = 60.0


def xlib():
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XDefaultRootWindow.restype = ctypes.c_ulong
    x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x11.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.POINTER(ctypes.c_ulong)] * 2 + [
        ctypes.POINTER(ctypes.POINTER(ctypes.c_ulong)), ctypes.POINTER(ctypes.c_uint)]
    x11.XFetchName.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_char_p)]
    x11.XFree.argtypes = [ctypes.c_void_p]
    x11.XGetImage.restype = ctypes.c_void_p
    x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_int] * 2 + [ctypes.c_uint] * 2 + [
        ctypes.c_ulong, ctypes.c_int]
    x11.XGetPixel.restype = ctypes.c_ulong
    x11.XGetPixel.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
    return x11


def find_window(x11, display, name):
    root, parent = ctypes.c_ulong(), ctypes.c_ulong()
    children, count = ctypes.POINTER(ctypes.c_ulong)(), ctypes.c_uint()
    if not x11.XQueryTree(display, x11.XDefaultRootWindow(display), ctypes.byref(root), ctypes.byref(parent),
                          ctypes.byref(children), ctypes.byref(count)):
        return 0
    found = 0
    for i in range(count.value):
        title = ctypes.c_char_p()
        if x11.XFetchName(display, children[i], ctypes.byref(title)) and title.value:
            if title.value.decode(errors="replace") == name:
                found = children[i]
            x11.XFree(title)
    if children:
        x11.XFree(children)
    return found


def shows_red(x11, display, window):
    image = x11.XGetImage(display, window, 60, 80, 120, 40, 0xFFFFFFFF, 2)  # ZPixmap
    if not image:
        return False
    pixels = [x11.XGetPixel(image, x, y) for y in range(0, 40, 4) for x in range(0, 120, 4)]
    # XDestroyImage is a macro: free the pixels (after four ints) and the record.
    x11.XFree(ctypes.c_void_p.from_address(image + 16))
    x11.XFree(image)
    red = sum((p >> 16) & 255 for p in pixels) / len(pixels)
    blue = sum(p & 255 for p in pixels) / len(pixels)
    return red > 100 and red > blue + 30


def peak_kb(pid):
    with open("/proc/%d/status" % pid) as status:
        return next(int(line.split()[1]) for line in status if line.startswith("VmHWM"))


def cpu_ms(pid):
    total = 0
    for task in os.listdir("/proc/%d/task" % pid):
        with open("/proc/%d/task/%s/schedstat" % (pid, task)) as stat:
            total += int(stat.read().split()[0])  # nanoseconds on a processor
    return total / 1e6


def end(program):
    program.send_signal(signal.SIGTERM)
    try:
        program.wait(5)
    except subprocess.TimeoutExpired:
        program.kill()
        program.wait()


def main():
    args = sys.argv[1:]
    keep = args[:1] == ["--keep"]
    if keep:
        args = args[1:]
    name, command = args[0], args[1:]
    x11 = xlib()
    # A window not yet mapped answers XGetImage with an error; ignore it.
    handler = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda d, e: 0)
    x11.XSetErrorHandler(handler)
    display = x11.XOpenDisplay(None)
    if not display:
        sys.exit("no X display")
    with open("stdout.txt", "ab") as out, open("stderr.txt", "ab") as err:
        start = time.monotonic()
        program = subprocess.Popen(command, stdout=out, stderr=err)
    window = 0
    while time.monotonic() - start < DEADLINE and program.poll() is None:
        window = window or find_window(x11, display, name)
        if window and shows_red(x11, display, window):
            shown = time.monotonic()
            print("%.1f %d %d %d %.1f" % (1000 * (shown - start), window, program.pid, peak_kb(program.pid),
                                          cpu_ms(program.pid)), flush=True)
            if not keep:
                end(program)
            return
        time.sleep(POLL)
    if program.poll() is None:
        end(program)
    sys.exit("%s never showed its first frame" % name)


if __name__ == "__main__":
    main()
