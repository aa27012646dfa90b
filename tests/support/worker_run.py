"""Helpers of the Python tests: requests for the worker, and runs of it."""
import json
import os
import subprocess

# The members every request needs, for a small page; tests add the paths.
BASE_MEMBERS = {
    "width": 64,
    "height": 64,
    "stride": 64,
    "dpi": 300,
    "scalarW": "1.0",
    "scalarH": "1.0",
}


def write_pgm(path, width=64, height=64, value=255):
    """A plain grey page in the binary PGM format."""
    with open(path, "wb") as out:
        out.write(b"P5 %d %d 255\n" % (width, height))
        out.write(bytes([value]) * (width * height))


def request_members(bitmap, result, changes=None):
    """BASE_MEMBERS with both paths, then `changes` applied; a value of
    DROP removes the member."""
    members = dict(BASE_MEMBERS, bitmapPath=bitmap, resultPath=result)
    for key, value in (changes or {}).items():
        if value is DROP:
            members.pop(key, None)
        else:
            members[key] = value
    return members


DROP = object()


def run_worker(worker, request_path, timeout=120):
    """(exit code, standard output) of one worker run."""
    done = subprocess.run([worker, request_path], stdin=subprocess.DEVNULL,
                          capture_output=True, text=True, timeout=timeout)
    return done.returncode, done.stdout


def write_request(path, members_or_text):
    """Writes a request given as members or as raw text."""
    text = members_or_text if isinstance(members_or_text, str) else json.dumps(members_or_text)
    with open(path, "w", encoding="utf-8") as out:
        out.write(text)
    return os.fspath(path)
