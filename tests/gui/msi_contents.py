#!/usr/bin/env python3
"""msi_contents.py RELEASE_DIR RESOURCE_H: the MSI that scripts/package made
beside the zip holds the zip's files, each of the same size, and DefSet.txt,
and carries the program's version (read with msitools' msiinfo)."""
import re
import subprocess
import sys
import zipfile
from pathlib import Path


def table(msi, name):
    text = subprocess.run(["msiinfo", "export", str(msi), name], check=True,
                          capture_output=True, text=True).stdout
    # The first three lines name the columns, their types and the keys.
    return [line.split("\t") for line in text.splitlines()[3:] if line]


release, resource_h = Path(sys.argv[1]), Path(sys.argv[2])
(zipped,) = release.glob("Veldrana-*.zip")
msi = zipped.with_suffix(".msi")
with zipfile.ZipFile(zipped) as z:
    expected = {Path(i.filename).name: i.file_size for i in z.infolist() if not i.is_dir()}
expected["DefSet.txt"] = Path(__file__).parents[2].joinpath("installer/DefSet.txt").stat().st_size
# FileName may be "SHORT|long name".
packaged = {row[2].split("|")[-1]: int(row[3]) for row in table(msi, "File")}
version = re.search(r'VELDRANA_VERSION_TEXT "Veldrana (.+)"', resource_h.read_text()).group(1)
product = dict((row[0], row[1]) for row in table(msi, "Property"))["ProductVersion"]

problems = [f"{name}: {packaged.get(name)} bytes in the MSI, {size} expected"
            for name, size in expected.items() if packaged.get(name) != size]
problems += [f"{name}: only in the MSI" for name in packaged.keys() - expected.keys()]
if product != version:
    problems.append(f"version {product}, the program's is {version}")
for problem in problems:
    print(f"{msi.name}: {problem}")
sys.exit(1 if problems else 0)
