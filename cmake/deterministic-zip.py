#!/usr/bin/env python3
"""Writes a zip whose bytes depend only on the files' names and contents and on the given
time: entries sorted by name, each with that time and the same attributes.

    deterministic-zip.py OUTPUT EPOCH_SECONDS FILE...
"""
import os
import sys
import time
import zipfile

output, epoch, *files = sys.argv[1:]
# A zip cannot hold a time before 1980.
stamp = max(time.gmtime(int(epoch))[:6], (1980, 1, 1, 0, 0, 0))
with zipfile.ZipFile(output, "w") as archive:
    for path in sorted(files, key=os.path.basename):
        entry = zipfile.ZipInfo(os.path.basename(path), date_time=stamp)
        entry.create_system = 3  # attributes in the Unix form, whatever machine builds it
        entry.external_attr = 0o644 << 16
        entry.compress_type = zipfile.ZIP_DEFLATED
        with open(path, "rb") as source:
            archive.writestr(entry, source.read(), compresslevel=9)
