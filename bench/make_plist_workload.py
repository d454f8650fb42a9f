#!/usr/bin/env python3
"""Copies of tests/data/Sample.ufo whose property lists are inflated to a given size
with many small elements, the shapes that cost the UFO reader the most memory per byte.

    make_plist_workload.py OUTDIR MEGABYTES
Writes OUTDIR/<shape>/<shape>.ufo for each shape and prints the shape names."""
import os
import shutil
import sys

HEAD = '<?xml version="1.0" encoding="UTF-8"?>\n<plist version="1.0">\n<dict>\n'
TAIL = '</dict>\n</plist>\n'

# shape: (member, body before the repeated lines, one line (formatted with its index), body after)
SHAPES = {
    'lib-integers': ('lib.plist', '<key>com.x.big</key>\n<array>\n', '<integer>1</integer>\n', '</array>\n'),
    'lib-true': ('lib.plist', '<key>com.x.big</key>\n<array>\n', '<true/>\n', '</array>\n'),
    'glyph-order': ('lib.plist', '<key>public.glyphOrder</key>\n<array>\n', '<string>g%07d</string>\n', '</array>\n'),
    'groups': ('groups.plist', '<key>public.kern1.big</key>\n<array>\n', '<string>A</string>\n', '</array>\n'),
    'kerning': ('kerning.plist', '<key>A</key>\n<dict>\n', '<key>g%07d</key><integer>-10</integer>\n', '</dict>\n'),
    'fontinfo': ('fontinfo.plist', '<key>unitsPerEm</key><integer>1000</integer>\n',
                 '<key>k%d</key><integer>1</integer>\n', ''),
}


def main():
    out, megabytes = sys.argv[1], float(sys.argv[2])
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..')
    sample = os.path.join(root, 'tests', 'data', 'Sample.ufo')
    target = int(megabytes * 1024 * 1024)
    for shape, (member, before, line, after) in SHAPES.items():
        folder = os.path.join(out, shape, shape + '.ufo')
        shutil.rmtree(os.path.join(out, shape), ignore_errors=True)
        shutil.copytree(sample, folder)
        count = target // len(line % 0 if '%' in line else line)
        lines = ''.join((line % (i % 1000 if shape == 'fontinfo' else i)) if '%' in line else line
                        for i in range(count))
        with open(os.path.join(folder, member), 'w') as f:
            f.write(HEAD + before + lines + after + TAIL)
        print(shape)


if __name__ == '__main__':
    main()
