#!/usr/bin/env python3
"""The MSI package that scripts/package made beside the zip (ctest test
msi_contents): the same files as the zip, each of the same size, and
DefSet.txt besides; the program's version; the build's architecture; its own
actions where they must run.
Read with msiinfo (Debian's msitools).

    msi_contents.py RELEASE_DIR RESOURCE_H
"""
import re
import subprocess
import sys
import zipfile
from pathlib import Path


def table(msi, name):
    """A table's rows as lists of columns (msiinfo's first three lines are
    the column names, their types and the table's keys)."""
    text = subprocess.run(["msiinfo", "export", str(msi), name], check=True,
                          capture_output=True, text=True).stdout
    return [line.split("\t") for line in text.split("\r\n" if "\r\n" in text else "\n")[3:] if line]


def main():
    release, resource_h = Path(sys.argv[1]), Path(sys.argv[2])
    version = re.search(r'#define VELDRANA_VERSION_TEXT "Veldrana ([^"]+)"',
                        resource_h.read_text()).group(1)
    zips = sorted(release.glob("Veldrana-*.zip"))
    if len(zips) != 1:
        sys.exit(f"expected one zip in {release}, found {zips}")
    msi = zips[0].with_suffix(".msi")
    arch = zips[0].stem.rsplit("-", 1)[1]
    problems = []
    if zips[0].stem != f"Veldrana-{version}-{arch}":
        problems.append(f"{zips[0].name} does not carry the version {version}")

    with zipfile.ZipFile(zips[0]) as z:
        zipped = {Path(i.filename).name: i.file_size for i in z.infolist() if not i.is_dir()}
    # FileName may be "SHORT|long name".
    packaged = {row[2].split("|")[-1]: int(row[3]) for row in table(msi, "File")}
    expected = dict(zipped, **{"DefSet.txt": packaged.get("DefSet.txt", -1)})
    if set(packaged) != set(expected):
        problems.append(f"only in the MSI: {sorted(set(packaged) - set(expected))}, "
                        f"only in the zip: {sorted(set(expected) - set(packaged))}")
    problems += [f"{name}: {packaged[name]} bytes in the MSI, {size} in the zip"
                 for name, size in zipped.items() if name in packaged and packaged[name] != size]

    properties = {row[0]: row[1] for row in table(msi, "Property")}
    if properties.get("ProductVersion") != version:
        problems.append(f"ProductVersion {properties.get('ProductVersion')}, the program's is {version}")
    template = subprocess.run(["msiinfo", "suminfo", str(msi)], check=True, capture_output=True,
                              text=True).stdout
    platform = {"win32": "Intel", "win64": "x64"}[arch]
    if f"Template: {platform};" not in template:
        problems.append(f"not a package for {platform}: {template}")

    # wixl numbers the package's own actions from their neighbours; each must
    # run between the two that installer/Veldrana.wxs names for it.
    sequence = {row[0]: int(row[2]) for row in table(msi, "InstallExecuteSequence")}
    for before, action, after in [("FileCost", "AllUsersFolder", "CostFinalize"),
                                  ("InstallValidate", "NoteOwnAssociation", "RemoveExistingProducts"),
                                  ("NoteOwnAssociation", "RemoveExistingProducts", "InstallInitialize"),
                                  ("RemoveShortcuts", "RemoveOwnAssociation.Folder", "RemoveOwnAssociation"),
                                  ("RemoveOwnAssociation.Folder", "RemoveOwnAssociation", "RemoveFiles"),
                                  ("InstallFiles", "RestoreOwnAssociation", "CreateShortcuts")]:
        if not sequence.get(before, 0) < sequence.get(action, -1) < sequence.get(after, 0):
            problems.append(f"{action} does not run between {before} and {after}: {sequence}")

    for problem in problems:
        print(f"{msi.name}: {problem}")
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main()
