#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/.

The seeds are made here from the documented formats, not taken from anywhere: whole states as
the plug-in saves them (as XML text and as host blocks with the "VC2!" header), user preset
files, settings files, and the damaged forms a fuzzer should start from (missing children,
non-numbers, foreign tags, truncated headers)."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

# Identifier and default of every parameter, in the layout's order.
PARAMS = [("mainBypass", 0), ("inputGain", 0), ("outputGain", 0), ("toneBypass", 0), ("hpfFreq", 80),
          ("lpfFreq", 20000), ("lowGain", 0), ("midGain", 0), ("highGain", 0), ("airGain", 0),
          ("compBypass", 0), ("compThresh", -18), ("compRatio", 3), ("compAttack", 10), ("compRelease", 80),
          ("compMakeup", 0), ("characterBypass", 0), ("deEssFreq", 6000), ("deEssAmount", 20), ("satDrive", 0),
          ("satMix", 0), ("spaceBypass", 0), ("width", 100), ("reverbSize", 18), ("reverbDamping", 35),
          ("reverbMix", 0)]


def state_xml(values=None, tag="PARAMETERS", name="Presets", user="0", modified="0",
              width="1200.0", height="600.0", size_set="0", drop=(), extra=""):
    values = dict(PARAMS, **(values or {}))
    children = "".join('<PARAM id="%s" value="%s"/>' % (i, v if isinstance(v, str) else "%.1f" % v)
                       for i, v in values.items() if i not in drop)
    return ('<?xml version="1.0" encoding="UTF-8"?>'
            '<%s uiCurrentPresetName="%s" uiCurrentPresetIsUser="%s" uiCurrentPresetModified="%s" '
            'uiSavedWindowWidth="%s" uiSavedWindowHeight="%s" uiSavedWindowSizeSet="%s">%s%s</%s>'
            % (tag, name, user, modified, width, height, size_set, children, extra, tag))


def host_block(xml, length=None):
    data = xml.encode("utf-8")
    return b"VC2!" + struct.pack("<I", len(data) if length is None else length) + data + b"\0"


STATES = {
    "fresh": state_xml(),
    "moved": state_xml({"compThresh": -30, "hpfFreq": 120, "reverbMix": 25, "spaceBypass": 1, "width": 140},
                       name="Vocal Warm", modified="1", width="900.0", height="486.0", size_set="1"),
    "user": state_xml({"satDrive": 12, "satMix": 40}, name="My Voice", user="1"),
    "missing-children": state_xml(drop=("compThresh", "width", "mainBypass")),
    "not-numbers": state_xml({"compThresh": "nan", "hpfFreq": "inf", "width": "1,5e3", "lowGain": "abc"}),
    "out-of-range": state_xml({"hpfFreq": 700, "compRatio": -4, "reverbMix": 1e9}),
    "foreign-tag": state_xml(tag="OTHERPLUGIN"),
    "unknown-children": state_xml(extra='<PARAM id="gone" value="3.0"/><NOTE text="x"/>'),
    "bad-size": state_xml(width="-5.0", height="nan", size_set="1"),
    "nested": state_xml(extra="<a>" * 40 + "</a>" * 40),
}

SETTINGS = {
    "auto-on-125": ("1", "125"),
    "auto-off-75": ("0", "75"),
    "odd-values": ("yes", " 150 "),
    "unknown-size": ("1", "fullscreen"),
}


def write(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode("utf-8"))


for name, xml in STATES.items():
    write("state", name + ".xml", xml)
    write("state", name + ".block", host_block(xml))
    write("preset", name + ".xml", xml)

write("state", "length-too-large.block", host_block(STATES["fresh"], length=1 << 20))
write("state", "length-zero.block", host_block(STATES["fresh"], length=0))
write("state", "header-only.block", b"VC2!\x10\0\0\0")
write("preset", "empty.xml", "")
write("preset", "not-xml.xml", "Orvel preset\n")

for name, (auto, size) in SETTINGS.items():
    write("settings", name + ".settings",
          '<?xml version="1.0" encoding="UTF-8"?>\n<PROPERTIES>\n'
          '  <VALUE name="guiScaleAutoSaveEnabled" val="%s"/>\n'
          '  <VALUE name="defaultGuiScalePreset" val="%s"/>\n</PROPERTIES>\n' % (auto, size))

write("settings", "empty.settings", "")
write("settings", "no-values.settings", '<?xml version="1.0" encoding="UTF-8"?>\n<PROPERTIES/>\n')
write("settings", "nested.settings", "<PROPERTIES>" + "<VALUE>" * 50 + "</VALUE>" * 50 + "</PROPERTIES>")
