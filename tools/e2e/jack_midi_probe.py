#!/usr/bin/python3
"""Plays notes into the plug-in through JACK and checks what comes back.

Run by lv2_host_check.sh with the JACK server and jalv already started:
    jack_midi_probe.py --server NAME --plugin-in rebondo:in --plugin-out rebondo:out
Exits 0 when every check passes, 1 when one fails, 2 when it cannot run,
3 when a check failed while JACK reported xruns (events may have been lost on
an overloaded machine, so the result says nothing about the plug-in).
"""
import argparse
import sys
import threading
import time

try:
    import jack
except ImportError:
    print("jack_midi_probe: the python3-jack-client module is missing", file=sys.stderr)
    sys.exit(2)

C_MAJOR = {0, 2, 4, 5, 7, 9, 11}
NOTE_ON, NOTE_OFF = 0x90, 0x80

# (start s, key, velocity, length s): black keys too, to see them folded.
PLAYED = [(0.0, 60, 100, 0.5), (0.6, 64, 90, 0.4), (1.2, 67, 110, 0.6),
          (1.9, 61, 80, 0.3), (2.4, 66, 95, 0.5), (3.1, 70, 105, 0.4),
          (3.8, 72, 120, 0.8)]


def fold_to_c_major(key):
    """Nearest C-major key; ties go to the lower one."""
    for distance in range(12):
        if (key - distance) % 12 in C_MAJOR:
            return key - distance
        if (key + distance) % 12 in C_MAJOR:
            return key + distance
    return key


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--server", required=True)
    parser.add_argument("--plugin-in", required=True)
    parser.add_argument("--plugin-out", required=True)
    parser.add_argument("--port-timeout", type=float, default=30.0)
    parser.add_argument("--tail", type=float, default=3.0, help="quiet time that ends the capture")
    parser.add_argument("--max-capture", type=float, default=40.0)
    args = parser.parse_args()

    try:
        client = jack.Client("rebondo-probe", servername=args.server, no_start_server=True)
    except jack.JackError as error:
        print(f"jack_midi_probe: cannot reach JACK server '{args.server}': {error}", file=sys.stderr)
        return 2

    to_plugin = client.midi_outports.register("to_plugin")
    from_plugin = client.midi_inports.register("from_plugin")
    rate = client.samplerate

    lock = threading.Lock()
    outgoing = []   # (frame, bytes), sorted
    captured = []   # (frame, bytes)
    xruns = []

    @client.set_xrun_callback
    def xrun(delay):
        xruns.append(delay)

    @client.set_process_callback
    def process(frames):
        start = client.last_frame_time
        to_plugin.clear_buffer()
        with lock:
            while outgoing and outgoing[0][0] < start + frames:
                frame, data = outgoing.pop(0)
                to_plugin.write_midi_event(max(0, frame - start), data)
            for offset, data in from_plugin.incoming_midi_events():
                captured.append((start + offset, bytes(data)))

    with client:
        deadline = time.monotonic() + args.port_timeout
        while not (client.get_ports(args.plugin_in) and client.get_ports(args.plugin_out)):
            if time.monotonic() > deadline:
                print(f"jack_midi_probe: the plug-in's ports {args.plugin_in} and {args.plugin_out} "
                      f"did not appear within {args.port_timeout:.0f} s", file=sys.stderr)
                return 2
            time.sleep(0.1)

        client.connect(to_plugin, args.plugin_in)
        client.connect(args.plugin_out, from_plugin)

        # Give the new connections a moment before the first note.
        origin = client.frame_time + int(1.5 * rate)
        played = []
        with lock:
            for start, key, velocity, length in PLAYED:
                on = origin + int(start * rate)
                off = origin + int((start + length) * rate)
                played.append((on, off, key, velocity))
                outgoing.append((on, bytes([NOTE_ON, key, velocity])))
                outgoing.append((off, bytes([NOTE_OFF, key, 0])))
            outgoing.sort(key=lambda e: e[0])

        last_release = max(off for _, off, _, _ in played)
        started = time.monotonic()
        while True:
            time.sleep(0.1)
            now = client.frame_time
            with lock:
                last_event = captured[-1][0] if captured else origin
                pending = bool(outgoing)
            quiet = (now - max(last_event, last_release)) / rate
            if not pending and now > last_release and quiet >= args.tail:
                break
            if time.monotonic() - started > args.max_capture:
                print(f"jack_midi_probe: output still going after {args.max_capture:.0f} s", file=sys.stderr)
                break

    status = check(played, captured, rate)
    if xruns:
        print(f"JACK reported {len(xruns)} xrun(s) during the check")
        if status != 0:
            return 3
    return status


def check(played, captured, rate):
    failures = []
    # The probe and the plug-in form a loop, so the plug-in's answer may come
    # a cycle or more later than the note.
    block_slack = int(0.25 * rate)

    notes = [(f, d[0] & 0xF0, (d[0] & 0x0F) + 1, d[1], d[2]) for f, d in captured
             if len(d) == 3 and d[0] & 0xF0 in (NOTE_ON, NOTE_OFF)]
    ons = [n for n in notes if n[1] == NOTE_ON and n[4] > 0]

    # A launch note for each played note: the folded key at the played
    # velocity, at the time it was played, on channels taken in rotation.
    launches = []
    used = set()
    for on, _, key, velocity in played:
        match = next((n for n in ons if id(n) not in used and n[3] == fold_to_c_major(key)
                      and n[4] == velocity and on <= n[0] <= on + block_slack), None)
        if match is None:
            failures.append(f"no launch note for played key {key} (velocity {velocity})")
            continue
        used.add(id(match))
        launches.append(match)
    channels = [n[2] for n in launches]
    for a, b in zip(channels, channels[1:]):
        if b != a % 16 + 1:
            failures.append(f"launch channels do not rotate: {channels}")
            break

    # Every note-on comes after a note-off of its key and channel (the engine
    # sends one just before each note-on) and is later stopped.
    last = {}
    for n in notes:
        frame, kind, channel, key, velocity = n
        is_on = kind == NOTE_ON and velocity > 0
        previous = last.get((channel, key))
        if is_on and (previous is None or previous[0] or previous[1] > frame):
            failures.append(f"note-on {key} on channel {channel} at {frame / rate:.3f} s without a note-off before it")
        last[(channel, key)] = (is_on, frame)
    sounding = sorted(k for k, (is_on, _) in last.items() if is_on)
    if sounding:
        failures.append(f"notes left sounding after the tail: {sounding}")

    outside = sorted({n[3] for n in ons if n[3] % 12 not in C_MAJOR})
    if outside:
        failures.append(f"notes outside C major: {outside}")

    bounces = len(ons) - len(launches)
    if bounces < 1:
        failures.append("no bounce notes came back")

    offs = len(notes) - len(ons)
    print(f"played {len(played)} notes; {len(launches)} launch notes on channels {channels}")
    print(f"{len(ons)} note-ons ({bounces} bounce notes), {offs} note-offs, "
          f"keys {sorted({n[3] for n in ons})}, all in C major: {not outside}")
    print(f"nothing sounding at the end: {not sounding}; "
          f"last event {(max((f for f, _ in captured), default=0) - played[0][0]) / rate:.2f} s after the first note")

    for failure in failures:
        print("FAIL: " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
