#!/usr/bin/env python3
"""Checks the launcher's manifest (read on stdin) against the program it came from.

Usage: check_manifest.py PROGRAM VERSION < manifest.xml
Prints the entries it found; exits 1 naming each one that is missing, wrong or there unwanted.
"""
import struct
import sys
import xml.etree.ElementTree as ET

ASM1 = "{urn:schemas-microsoft-com:asm.v1}"
ASM3 = "{urn:schemas-microsoft-com:asm.v3}"
COMPAT = "{urn:schemas-microsoft-com:compatibility.v1}"
WS2005 = "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}"
WS2016 = "{http://schemas.microsoft.com/SMI/2016/WindowsSettings}"
SYSTEMS = {"{e2011457-1546-43c5-a5fe-008deee3d3f0}": "Vista", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}": "7",
           "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}": "8", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}": "8.1",
           "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}": "10/11"}
# Settings that would change what old code relies on (the comment in the manifest says why).
UNWANTED = ("heapType", "activeCodePage", "longPathAware")

program, version = sys.argv[1], sys.argv[2]
name = program.replace("\\", "/").rsplit("/", 1)[-1]
with open(program, "rb") as f:
    head = f.read(4096)
machine = struct.unpack_from("<H", head, struct.unpack_from("<I", head, 0x3C)[0] + 4)[0]
arch = {0x14C: "X86", 0x8664: "amd64"}.get(machine, hex(machine))
faults = []
try:
    root = ET.fromstring(sys.stdin.read())
except ET.ParseError as e:
    sys.exit("%s: no readable manifest (%s)" % (name, e))


def expect(what, got, wanted):
    if got != wanted:
        faults.append("%s is %r, not %r" % (what, got, wanted))


identity = root.find(ASM1 + "assemblyIdentity")
expect("the identity's version", identity is not None and identity.get("version"), version + ".0")
expect("the identity's architecture", identity is not None and identity.get("processorArchitecture"), arch)
controls = [a for a in root.iter(ASM1 + "assemblyIdentity") if a.get("name") == "Microsoft.Windows.Common-Controls"]
expect("the common controls", [(a.get("version"), a.get("processorArchitecture")) for a in controls],
       [("6.0.0.0", arch)])
level = root.find("%strustInfo/%ssecurity/%srequestedPrivileges/%srequestedExecutionLevel" % ((ASM3,) * 4))
expect("the execution level", level is not None and (level.get("level"), level.get("uiAccess")),
       ("asInvoker", "false"))
systems = [SYSTEMS.get(s.get("Id"), s.get("Id")) for s in root.iter(COMPAT + "supportedOS")]
expect("the supported systems", systems, list(SYSTEMS.values()))
settings = root.find("%sapplication/%swindowsSettings" % (ASM3, ASM3))
aware = settings is not None and settings.find(WS2005 + "dpiAware")
awareness = settings is not None and settings.find(WS2016 + "dpiAwareness")
expect("dpiAware", aware is not None and aware is not False and aware.text, "true/pm")
expect("dpiAwareness", awareness is not None and awareness is not False and awareness.text,
       "PerMonitorV2, PerMonitor")
for element in root.iter():
    if element.tag.rsplit("}", 1)[-1] in UNWANTED:
        faults.append("%s is set" % element.tag)

for fault in faults:
    print("%s manifest: %s" % (name, fault))
if not faults:
    print("%s manifest: %s %s, common controls 6.0.0.0, asInvoker, Windows %s, dpiAware %s, dpiAwareness %s;"
          " no %s" % (name, identity.get("version"), arch, ", ".join(systems), aware.text, awareness.text,
                      ", ".join(UNWANTED)))
sys.exit(1 if faults else 0)
