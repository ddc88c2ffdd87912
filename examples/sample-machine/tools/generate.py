#!/usr/bin/env python3
"""Writes the sample machine of Kestovar Hivewarden: two registry files (REGEDIT4 when code page
1252 holds every name and text of the root, as HKLM's; "Windows Registry Editor Version 5.00"
in UTF-16LE otherwise, as HKCU's, which holds names in Chinese, Greek and Cyrillic), the C:
drive tree with the files that still exist (shortcuts included), the program folder (Ignore.ini
and the trojan definition files) and machine.env, plus README.md with the table of every
planted stale entry.

Standard library only. The output is deterministic and byte-stable: running the script twice
gives identical files. Run it from anywhere:  python3 examples/sample-machine/tools/generate.py
"""

import hashlib
import os
import shutil
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
MACHINE = os.path.dirname(HERE)                       # examples/sample-machine
REPO = os.path.dirname(os.path.dirname(MACHINE))      # the repository root
CODE_PAGE = "cp1252"
CRLF = "\r\n"

HKCU = "HKEY_CURRENT_USER"
HKLM = "HKEY_LOCAL_MACHINE"



# --------------------------------------------------------------------------------------------
# Registry model

REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ = 1, 2, 3, 4, 7


class Value:
    def __init__(self, name, kind, data):
        self.Name = name
        self.Kind = kind      # one of the REG_* numbers above
        self.Data = data      # str for SZ/EXPAND_SZ, list of str for MULTI_SZ, int, bytes


class Key:
    def __init__(self, root, path):
        self.Root = root
        self.Path = path
        self.Values = []

    @property
    def FullName(self):
        return self.Root + "\\" + self.Path


class Registry:
    """Keys in insertion order per root; names compare case-insensitively as on Windows."""

    def __init__(self):
        self.Keys = {}        # (root, upper path) -> Key
        self.Order = []       # Keys in the order they were first written

    def key(self, root, path):
        ident = (root, path.upper())
        if ident not in self.Keys:
            k = Key(root, path)
            self.Keys[ident] = k
            self.Order.append(k)
        return self.Keys[ident]

    def set(self, root, path, name, data, kind=None):
        if kind is None:
            kind = REG_DWORD if isinstance(data, int) else (
                REG_BINARY if isinstance(data, bytes) else REG_SZ)
        k = self.key(root, path)
        for v in k.Values:
            if v.Name.upper() == name.upper():
                raise SystemExit("value set twice: %s\\%s [%s]" % (root, path, name))
        k.Values.append(Value(name, kind, data))
        return k

    def sz(self, root, path, name, text):
        return self.set(root, path, name, text, REG_SZ)

    def expand(self, root, path, name, text):
        return self.set(root, path, name, text, REG_EXPAND_SZ)

    def dword(self, root, path, name, number):
        return self.set(root, path, name, number, REG_DWORD)

    def binary(self, root, path, name, data):
        return self.set(root, path, name, bytes(data), REG_BINARY)

    def multi(self, root, path, name, texts):
        return self.set(root, path, name, list(texts), REG_MULTI_SZ)

    def all_paths(self, root):
        """Every key of a root, the implicit parents included, as upper path -> spelled path."""
        paths = {}
        for k in self.Order:
            if k.Root != root:
                continue
            parts = k.Path.split("\\")
            for i in range(1, len(parts) + 1):
                p = "\\".join(parts[:i])
                paths.setdefault(p.upper(), p)
        return paths


# --------------------------------------------------------------------------------------------
# .reg writer: CR LF, a blank line before each key, full root names. REGEDIT4 (code page 1252
# bytes) when the code page holds every name and text of the file, else version 5 (UTF-16LE
# with its byte order mark), as regedit writes on Windows NT.

MAX_HEX_CHARS = 77
REGEDIT4 = "REGEDIT4"
VERSION5 = "Windows Registry Editor Version 5.00"


def escape(text):
    for ch in text:
        if ord(ch) < 0x20 or ch == "\x7f":
            raise SystemExit("control character in %r" % text)
    return text.replace("\\", "\\\\").replace('"', '\\"')


def hex_lines(prefix, tag, data):
    """'"name"=hex(2):..' wrapped as regedit wraps it: at most 80 columns, two-space indent."""
    out = [prefix + tag]
    length = (2 if prefix == "@=" else len(prefix)) + len(tag)
    for i, b in enumerate(data):
        out.append("%02x" % b)
        if i == len(data) - 1:
            break
        out.append(",")
        length += 3
        if length >= MAX_HEX_CHARS:
            out.append("\\" + CRLF + "  ")
            length = 2
    return "".join(out)


def text_bytes(text, header):
    """A string's bytes in the file's form: code page bytes in REGEDIT4, UTF-16LE in version 5."""
    return text.encode(CODE_PAGE) if header == REGEDIT4 else text.encode("utf-16-le")


def value_line(v, header):
    prefix = "@=" if v.Name == "" else '"%s"=' % escape(v.Name)
    nul = text_bytes("\0", header)
    if v.Kind == REG_SZ:
        return prefix + '"%s"' % escape(v.Data)
    if v.Kind == REG_DWORD:
        return prefix + "dword:%08x" % (v.Data & 0xFFFFFFFF)
    if v.Kind == REG_BINARY:
        return hex_lines(prefix, "hex:", v.Data)
    if v.Kind == REG_EXPAND_SZ:
        return hex_lines(prefix, "hex(2):", text_bytes(v.Data, header) + nul)
    if v.Kind == REG_MULTI_SZ:
        raw = b"".join(text_bytes(t, header) + nul for t in v.Data) + nul
        return hex_lines(prefix, "hex(7):", raw)
    raise SystemExit("unknown value kind %r" % v.Kind)


def fits_code_page(keys):
    """True when code page 1252 holds every key name, value name and text of the keys."""
    texts = []
    for k in keys:
        texts.append(k.FullName)
        for v in k.Values:
            texts.append(v.Name)
            if v.Kind in (REG_SZ, REG_EXPAND_SZ):
                texts.append(v.Data)
            elif v.Kind == REG_MULTI_SZ:
                texts.extend(v.Data)
    try:
        for t in texts:
            t.encode(CODE_PAGE)
    except UnicodeEncodeError:
        return False
    return True


def write_reg(path, registry, root):
    """Writes one root's keys; returns the number of key sections and the format's header."""
    keys = sorted((k for k in registry.Order if k.Root == root),
                  key=lambda k: [p.upper() for p in k.Path.split("\\")])
    header = REGEDIT4 if fits_code_page(keys) else VERSION5
    lines = [header]
    for k in keys:
        lines.append("")
        lines.append("[%s]" % escape_key(k.FullName))
        for v in k.Values:
            lines.append(value_line(v, header))
    lines.append("")
    text = CRLF.join(lines) + CRLF
    if header == REGEDIT4:
        write_bytes(path, text.encode(CODE_PAGE))
    else:
        write_bytes(path, b"\xff\xfe" + text.encode("utf-16-le"))
    return len(keys), header


def escape_key(name):
    if "]" in name or any(ord(c) < 0x20 for c in name):
        raise SystemExit("unwritable key name %r" % name)
    return name


# --------------------------------------------------------------------------------------------
# Drive C: model. Paths are Windows paths below C:\ ("Windows\Fonts\arial.ttf").

class Drive:
    def __init__(self):
        self.Files = {}     # upper path -> (spelled path, bytes)
        self.Dirs = {}      # upper path -> spelled path

    def dir(self, path):
        """Adds a folder and its parents; a folder keeps the spelling it was first given
        (C:\\WINDOWS and C:\\Windows are one folder). Returns the folder's spelling."""
        spelled = ""
        for part in path.strip("\\").split("\\"):
            p = part if not spelled else spelled + "\\" + part
            spelled = self.Dirs.setdefault(p.upper(), p)
        return spelled

    def file(self, path, data=b""):
        path = path.strip("\\")
        if "\\" in path:
            parent, name = path.rsplit("\\", 1)
            path = self.dir(parent) + "\\" + name
        if path.upper() in self.Files or path.upper() in self.Dirs:
            raise SystemExit("file written twice: %s" % path)
        self.Files[path.upper()] = (path, data)

    def exists(self, windows_path):
        """True when C:\\... names a file or folder of the model."""
        p = windows_path
        if not p.upper().startswith("C:\\"):
            return False
        p = p[3:].strip("\\").upper()
        return p == "" or p in self.Files or p in self.Dirs

    def fill_empty_dirs(self):
        """Git keeps no empty folders: every folder that holds nothing gets a desktop.ini."""
        for upper, spelled in sorted(self.Dirs.items()):
            prefix = upper + "\\"
            if not any(f.startswith(prefix) for f in self.Files) and \
               not any(d.startswith(prefix) for d in self.Dirs):
                self.Files[prefix + "DESKTOP.INI"] = (spelled + "\\desktop.ini",
                                                      b"[.ShellClassInfo]\r\n")

    def write(self, root):
        for upper, (spelled, data) in sorted(self.Files.items()):
            write_bytes(os.path.join(root, *spelled.split("\\")), data)


# --------------------------------------------------------------------------------------------
# Shell links: header 0x4C + the shell-link CLSID, LinkInfo with a fixed-drive VolumeID and the
# ANSI LocalBasePath (plus its Unicode copy, as the shell adds one, when code page 1252 cannot
# hold the path: the ANSI copy then has "?" for what it lost), Unicode string data (working
# folder, arguments), terminal block.

LINK_CLSID = bytes.fromhex("0114020000000000c000000000000046")


def link_info(target, serial):
    volume = struct.pack("<IIII", 0x11, 3, serial, 0x10) + b"\0"   # fixed drive, empty label
    try:
        base = target.encode(CODE_PAGE) + b"\0"
        unicode = None
    except UnicodeEncodeError:
        base = target.encode(CODE_PAGE, errors="replace") + b"\0"
        unicode = target.encode("utf-16-le") + b"\0\0"
    header = 0x1C if unicode is None else 0x24
    at_base = header + len(volume)
    at_suffix = at_base + len(base)
    body = volume + base + b"\0"                                    # empty CommonPathSuffix
    fields = [header, 1, header, at_base, 0, at_suffix]
    if unicode is not None:
        fields += [header + len(body), header + len(body) + len(unicode)]
        body += unicode + b"\0\0"                                   # empty Unicode suffix
    return struct.pack("<%dI" % (len(fields) + 1), header + len(body), *fields) + body


def make_lnk(target, workdir=None, args=None, serial=0x18FB2200):
    flags = 0x2 | 0x80 | (0x10 if workdir else 0) | (0x20 if args else 0)
    header = struct.pack("<I16sIIQQQIiIHHII", 0x4C, LINK_CLSID, flags, 0x20, 0, 0, 0, 0, 0, 1,
                         0, 0, 0, 0)
    strings = b"".join(struct.pack("<H", len(s.encode("utf-16-le")) // 2) +
                       s.encode("utf-16-le") for s in (workdir, args) if s)
    return header + link_info(target, serial) + strings + b"\0\0\0\0"


# --------------------------------------------------------------------------------------------
# Small helpers

def write_bytes(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def guid(seed):
    """A fixed GUID made from a text, upper case in braces as the registry spells CLSIDs."""
    h = hashlib.md5(seed.encode("utf-8")).hexdigest().upper()
    return "{%s-%s-%s-%s-%s}" % (h[0:8], h[8:12], h[12:16], h[16:20], h[20:32])


def drive_rel(windows_path):
    """C:\\Program Files\\x -> Program Files\\x"""
    if not windows_path.upper().startswith("C:\\"):
        raise SystemExit("not on drive C: %s" % windows_path)
    return windows_path[3:]


# --------------------------------------------------------------------------------------------
# The machine under construction

REG = Registry()
DRIVE = Drive()
PLANTS = []          # planted stale entries, in the order they are declared
QUIET = []           # planted entries that must NOT be reported (protected branches and such)
MISSING = set()      # upper-case paths that must not exist on drive C:


def ex(path, data=b""):
    """A file that exists: created on drive C: (once); returns the path unchanged."""
    rel = drive_rel(path)
    if rel.upper() not in DRIVE.Files:
        DRIVE.file(rel, data)
    return path


def exdir(path):
    """A folder that exists; returns the path unchanged."""
    DRIVE.dir(drive_rel(path))
    return path


def gone(path):
    """A path that names nothing on the machine; returns it unchanged."""
    MISSING.add(path.upper())
    return path


# Row kinds of the results grid: description prefix, icon, CanChange, counter.
ROW_KINDS = {
    "excluded":  ("Ignore by the user filter - ", "Ignore", 3, None),
    "shareddll": ("Dll file doesn't exist - ", "Dll", 1, "lblShared"),
    "help":      ("Help file doesn't exist - ", "Help", 1, "lblHelp"),
    "empty":     ("The Key is empty", "Empty", 0, "lblEmpty"),
    "shell32":   ("Shell32 (Experts) - ", "Uninstall", 1, "lblShared"),
    "com":       ("Invalid registered OCX or DLL file - ", "Dll", 1, "lblShared"),
    "trojan":    ("Warning: ", "Virus", 1, "lblTrojan"),
    "sound":     ("Invalid Sound entry - ", "Sound", 1, "lblSounds"),
    "apppath":   ("Invalid Application Path - ", "Empty", 2, "lblShortcuts"),
    "uninstall": ("Invalid Uninstall String - ", "Uninstall", 1, "lblAddRemove"),
    "driver":    ("Possible Driver Entry - ", "Dll", 1, "lblDevs"),
    "autorun":   ("Autorun Program Entry - ", "AutoRun", 1, "lblStartup"),
    "font":      ("Invalid Font Entry - ", "TTF", 1, "lblFonts"),
    "file":      ("File not found - ", "File", 1, "lblShortcuts"),
    "folder":    ("Folder or Drive not found - ", "Folder", 2, "lblShortcuts"),
    "absent":    ("Drive not present - ", "Folder", 1, "lblShortcuts"),
    "shortcut":  ("Invalid Shortcut Path - ", "Shortcut", 0, "lblShortcuts"),
}


class Plant:
    """One planted finding and the row the results grid shows for it."""

    def __init__(self, ident, group, root, path, name, data, kind, target, row, masks,
                 autorun=False, trojan="", entry="value", finding_key=None, note="", fixed=""):
        self.Id = ident
        self.Group = group
        self.Root = root
        self.Path = path          # the key that holds the value (or the key that is the finding)
        self.Name = name          # value name; None for key findings
        self.Data = data          # the data as the scan reads it (expanded for REG_EXPAND_SZ)
        self.Kind = kind          # REG_* of the value as written
        self.Target = target      # TargetPath, worked out by hand from ExtractPath's steps
        self.Row = row            # key of ROW_KINDS
        self.Masks = masks        # scan options that show it: "default" and single bits
        self.AutoRun = autorun
        self.Trojan = trojan
        self.Entry = entry        # "value", "key" (COM class / empty key), "lock", "shortcut"
        self.FindingKey = finding_key or (root + "\\" + path)
        self.Note = note
        self.Fixed = fixed        # the data a Change Value row proposes (a lock's clean value)

    @property
    def Description(self):
        prefix = ROW_KINDS[self.Row][0]
        if self.Row == "empty":
            return prefix + (" (Expert)" if self.FindingKey.endswith("}") else "")
        if self.Row == "trojan":
            return prefix + self.Trojan + " virus - " + self.Target
        return prefix + self.Target

    @property
    def Action(self):
        if self.Row in ("shortcut", "excluded", "absent") or self.AutoRun:
            return "Ignore"
        if self.Fixed:
            return "Change Value"
        return "Delete"

    @property
    def ActionCell(self):
        """The README's Action cell: the action, and the new value of a Change Value row."""
        if self.Fixed:
            return "%s to %s" % (self.Action, code(self.Fixed))
        return self.Action

    @property
    def Counter(self):
        counter = ROW_KINDS[self.Row][3]
        if self.Row == "excluded":
            return "none (not counted)"
        if self.Row == "shortcut":
            return counter
        return counter + " + lblTotalProblems"


def plant(ident, group, root, path, name, data, target, row, masks, kind=REG_SZ, **extra):
    """Writes the value into the registry and records the finding it must give."""
    REG.set(root, path, name, data, kind)
    shown = data
    if kind == REG_EXPAND_SZ:
        shown = expand(data)
    p = Plant(ident, group, root, path, name, shown, kind, target, row, masks, **extra)
    PLANTS.append(p)
    return p


def quiet(group, root, path, name, data, why, kind=REG_SZ):
    """A value that looks stale but must not be reported."""
    REG.set(root, path, name, data, kind)
    QUIET.append((group, root + "\\" + path, name, data, why))


# The environment of the scanned machine (machine.env); REG_EXPAND_SZ data is expanded with it.
WINDOWS_DIR = "C:\\Windows"
ENVIRONMENT = [
    ("SystemRoot", "C:\\Windows"),
    ("windir", "C:\\Windows"),
    ("SystemDrive", "C:"),
    ("ProgramFiles", "C:\\Program Files"),
    ("CommonProgramFiles", "C:\\Program Files\\Common Files"),
    ("ALLUSERSPROFILE", "C:\\Documents and Settings\\All Users"),
    ("USERPROFILE", "C:\\Documents and Settings\\Owner"),
    ("APPDATA", "C:\\Documents and Settings\\Owner\\Application Data"),
    ("TEMP", "C:\\Documents and Settings\\Owner\\Local Settings\\Temp"),
    ("TMP", "C:\\Documents and Settings\\Owner\\Local Settings\\Temp"),
    ("HOMEDRIVE", "C:"),
    ("HOMEPATH", "\\Documents and Settings\\Owner"),
    ("USERNAME", "Owner"),
    ("COMPUTERNAME", "KESTREL-PC"),
    ("OS", "Windows_NT"),
]


def expand(text):
    """ExpandEnvironmentStrings over ENVIRONMENT (names compare case-insensitively)."""
    env = {k.upper(): v for k, v in ENVIRONMENT}
    out, i = [], 0
    while i < len(text):
        if text[i] == "%":
            j = text.find("%", i + 1)
            if j > i + 1 and text[i + 1:j].upper() in env:
                out.append(env[text[i + 1:j].upper()])
                i = j + 1
                continue
        out.append(text[i])
        i += 1
    return "".join(out)


USER = "C:\\Documents and Settings\\Owner"
ALLUSERS = "C:\\Documents and Settings\\All Users"
PF = "C:\\Program Files"
WIN = "C:\\WINDOWS"          # how most old installers spelled it; the drive is case-blind
SYS32 = WIN + "\\system32"
CV = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion"
NTCV = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion"
CU_CV = "Software\\Microsoft\\Windows\\CurrentVersion"
CU_NTCV = "Software\\Microsoft\\Windows NT\\CurrentVersion"


# --------------------------------------------------------------------------------------------
# Drive C: the Windows directory

FONTS = [  # (registry value name, file name)
    ("Arial (TrueType)", "arial.ttf"), ("Arial Bold (TrueType)", "arialbd.ttf"),
    ("Arial Bold Italic (TrueType)", "arialbi.ttf"), ("Arial Italic (TrueType)", "ariali.ttf"),
    ("Arial Black (TrueType)", "ariblk.ttf"), ("Comic Sans MS (TrueType)", "comic.ttf"),
    ("Comic Sans MS Bold (TrueType)", "comicbd.ttf"), ("Courier New (TrueType)", "cour.ttf"),
    ("Courier New Bold (TrueType)", "courbd.ttf"), ("Franklin Gothic Medium (TrueType)",
                                                    "framd.ttf"),
    ("Georgia (TrueType)", "georgia.ttf"), ("Georgia Bold (TrueType)", "georgiab.ttf"),
    ("Impact (TrueType)", "impact.ttf"), ("Lucida Console (TrueType)", "lucon.ttf"),
    ("Lucida Sans Unicode (TrueType)", "l_10646.ttf"), ("Marlett (TrueType)", "marlett.ttf"),
    ("Microsoft Sans Serif (TrueType)", "micross.ttf"), ("Palatino Linotype (TrueType)",
                                                         "pala.ttf"),
    ("Symbol (TrueType)", "symbol.ttf"), ("Tahoma (TrueType)", "tahoma.ttf"),
    ("Tahoma Bold (TrueType)", "tahomabd.ttf"), ("Times New Roman (TrueType)", "times.ttf"),
    ("Times New Roman Bold (TrueType)", "timesbd.ttf"), ("Trebuchet MS (TrueType)",
                                                         "trebuc.ttf"),
    ("Verdana (TrueType)", "verdana.ttf"), ("Verdana Bold (TrueType)", "verdanab.ttf"),
    ("Webdings (TrueType)", "webdings.ttf"), ("Wingdings (TrueType)", "wingding.ttf"),
    ("Modern (All res)", "modern.fon"), ("Roman (All res)", "roman.fon"),
    ("Script (All res)", "script.fon"), ("MS Sans Serif 8,10,12,14,18,24", "sserife.fon"),
    ("MS Serif 8,10,12,14,18,24", "serife.fon"), ("Small Fonts", "smalle.fon"),
    ("Courier 10,12,15", "coure.fon"), ("Fixedsys", "vgafix.fon"), ("System", "vgasys.fon"),
    ("Terminal", "vgaoem.fon"),
]

SYSTEM_DLLS = """
advapi32 comctl32 comdlg32 gdi32 kernel32 mfc42 mfc71 msvcp60 msvcr71 msvcrt msvbvm60 ole32
oleaut32 olepro32 shell32 shlwapi user32 wininet urlmon mshtml shdocvw browseui riched20
riched32 msxml3 msxml6 jscript vbscript scrrun wshom.ocx comct332.ocx mscomctl.ocx tabctl32.ocx
msflxgrd.ocx wmp quartz dsound ddraw d3d9 opengl32 glu32 winmm msacm32 mciavi32 avifil32
msvfw32 setupapi cfgmgr32 netapi32 wsock32 ws2_32 rasapi32 mpr secur32 crypt32 wintrust
imagehlp dbghelp version lz32 imm32 usp10 hhctrl.ocx itss msi msimtf msctf uxtheme themeui
zipfldr sendmail mydocs cscui devmgr.dll odbc32 odbccp32 oledlg mapi32 msoert2 inetcomm msdart
msadce.dll pngfilt actxprxy atl mlang sxs userenv
""".split()

SOUNDS = [  # (event, label, sound file in Windows\Media or "" for none)
    (".Default", "Default Beep", "ding.wav"),
    ("AppGPFault", "Program error", ""),
    ("CCSelect", "Select", ""),
    ("ChangeTheme", "Change Theme", "Windows XP Logon Sound.wav"),
    ("Close", "Close program", ""),
    ("CriticalBatteryAlarm", "Critical Battery Alarm", "Windows XP Battery Critical.wav"),
    ("DeviceConnect", "Device Connect", "Windows XP Hardware Insert.wav"),
    ("DeviceDisconnect", "Device Disconnect", "Windows XP Hardware Remove.wav"),
    ("DeviceFail", "Device Failed to Connect", "Windows XP Hardware Fail.wav"),
    ("LowBatteryAlarm", "Low Battery Alarm", "Windows XP Battery Low.wav"),
    ("MailBeep", "New Mail Notification", "notify.wav"),
    ("Maximize", "Maximize", ""),
    ("MenuCommand", "Menu command", ""),
    ("MenuPopup", "Menu popup", ""),
    ("Minimize", "Minimize", ""),
    ("Open", "Open program", ""),
    ("PrintComplete", "Print Complete", "Windows XP Print complete.wav"),
    ("RestoreDown", "Restore Down", ""),
    ("RestoreUp", "Restore Up", ""),
    ("SystemAsterisk", "Asterisk", "chord.wav"),
    ("SystemExclamation", "Exclamation", "Windows XP Exclamation.wav"),
    ("SystemExit", "Exit Windows", "Windows XP Shutdown.wav"),
    ("SystemHand", "Critical Stop", "Windows XP Critical Stop.wav"),
    ("SystemNotification", "System Notification", "Windows XP Balloon.wav"),
    ("SystemQuestion", "Question", ""),
    ("SystemStart", "Start Windows", "Windows XP Startup.wav"),
    ("WindowsLogoff", "Windows Logoff", "Windows XP Logoff Sound.wav"),
    ("WindowsLogon", "Windows Logon", "Windows XP Logon Sound.wav"),
]
EXPLORER_SOUNDS = [
    ("ActivatingDocument", "Complete Navigation", ""),
    ("BlockedPopup", "Blocked Pop-up Window", "Windows XP Pop-up Blocked.wav"),
    ("EmptyRecycleBin", "Empty Recycle Bin", "recycle.wav"),
    ("MoveMenuItem", "Move Menu Item", ""),
    ("Navigating", "Start Navigation", "start.wav"),
]

HELP_FILES = ["windows.hlp", "notepad.hlp", "winhlp32.hlp", "common.hlp", "mplayer.hlp",
              "sndrec32.hlp", "regedit.hlp", "calc.hlp", "charmap.hlp", "wordpad.hlp",
              "mspaint.hlp", "cardfile.hlp", "winfile.hlp", "write.hlp"]

CURSORS = ["arrow_m.cur", "busy_m.cur", "help_m.cur", "wait.ani", "hourglas.ani", "beam_m.cur",
           "cross_m.cur", "pen_m.cur", "no_m.cur", "size1_m.cur", "size2_m.cur", "move_m.cur"]


def build_windows():
    DRIVE.dir("Windows")
    for name in ["explorer.exe", "notepad.exe", "regedit.exe", "hh.exe", "winhlp32.exe",
                 "twunk_32.exe", "win.ini", "system.ini", "setuplog.txt"]:
        ex(WIN + "\\" + name)
    for _, f in FONTS:
        ex(WIN + "\\Fonts\\" + f)
    for d in SYSTEM_DLLS:
        ex(SYS32 + "\\" + (d if "." in d else d + ".dll"))
    for name in ["userinit.exe", "rundll32.exe", "regsvr32.exe", "msiexec.exe", "cmd.exe",
                 "sndrec32.exe", "calc.exe", "mspaint.exe", "wuauclt.exe", "ctfmon.exe",
                 "spoolsv.exe", "svchost.exe", "winlogon.exe", "logon.scr", "ssmarque.scr",
                 "mmsys.cpl", "desk.cpl", "sysdm.cpl"]:
        ex(SYS32 + "\\" + name)
    for name in ["kvflt.sys", "ntfs.sys", "tcpip.sys", "cdrom.sys", "disk.sys", "i8042prt.sys",
                 "mouclass.sys", "kbdclass.sys", "serial.sys", "usbhub.sys", "afd.sys"]:
        ex(SYS32 + "\\drivers\\" + name)
    ex(SYS32 + "\\drivers\\etc\\hosts", b"127.0.0.1       localhost\r\n")
    for _, _, f in SOUNDS + EXPLORER_SOUNDS:
        if f:
            ex(WIN + "\\Media\\" + f)
    for f in ["chimes.wav", "tada.wav", "ringin.wav", "ringout.wav", "Windows XP Ding.wav"]:
        ex(WIN + "\\Media\\" + f)
    for f in HELP_FILES:
        ex(WIN + "\\Help\\" + f)
    for f in CURSORS:
        ex(WIN + "\\Cursors\\" + f)
    ex(WIN + "\\Web\\Wallpaper\\Bliss.bmp")
    ex(WIN + "\\Web\\Wallpaper\\Autumn.jpg")
    ex(WIN + "\\Resources\\Themes\\Luna.theme")
    ex(WIN + "\\inf\\bluefin.inf")
    ex(WIN + "\\inf\\mdmgen.inf")
    ex(WIN + "\\Temp\\~DF1A2B.tmp")
    exdir(WIN + "\\Downloaded Program Files")
    ex(WIN + "\\Installer\\4d2f1.msi")


# --------------------------------------------------------------------------------------------
# Installed applications (all of their files exist)

class App:
    def __init__(self, vendor, product, folder, exe, version, ext, helpfile, dlls):
        self.Vendor, self.Product, self.Version = vendor, product, version
        self.Dir = PF + "\\" + folder
        self.Exe = self.Dir + "\\" + exe
        self.ExeName = exe
        self.Ext = ext
        self.Help = self.Dir + "\\" + helpfile if helpfile else None
        self.Dlls = [self.Dir + "\\" + d for d in dlls]
        self.Uninstaller = self.Dir + "\\unins000.exe"
        self.Stem = exe.rsplit(".", 1)[0]


APPS = [
    App("Kestrel Labs", "DiskGuard", "Kestrel Labs\\DiskGuard", "diskguard.exe", "3.2", None,
        "diskguard.hlp", ["dgcore.dll", "dgshell.dll"]),
    App("Inkwell Software", "Inkwell", "Inkwell", "inkwell.exe", "4.0", ".iwd", None,
        ["iwspell.dll", "iwfilter.dll"]),
    App("Orbit Software", "Orbit Net", "Orbit Software\\Orbit Net", "orbit.exe", "2.1", ".orb",
        "orbit.hlp", ["orbhtml.dll"]),
    App("Mapleleaf", "Mapleleaf Mail", "Mapleleaf Mail", "mlmail.exe", "5.5", ".mlm",
        "mlmail.hlp", ["mlmapi.dll"]),
    App("Quartz Media", "Quartz Player", "Quartz Media\\Quartz Player", "qplayer.exe", "9.0",
        ".qpl", "qplayer.hlp", ["qcodec.dll", "qvis.dll"]),
    App("ZipCrate Inc", "ZipCrate", "ZipCrate", "zipcrate.exe", "8.1", ".zcr", "zipcrate.hlp",
        ["zcshell.dll"]),
    App("Pixel Studio", "Pixel Studio", "Pixel Studio", "pixstudio.exe", "2.0", ".pxs",
        "pixstudio.hlp", ["pxfilters.dll", "pxtwain.dll"]),
    App("Northwind Traders", "Northwind Accounts", "Northwind\\Accounts", "nwacct.exe", "2004",
        ".nwa", "nwacct.hlp", ["nwdb.dll"]),
    App("Bluefin", "Bluefin FTP", "Bluefin FTP", "bluefin.exe", "3.0", None, "bluefin.hlp",
        ["bfssl.dll"]),
    App("Cobalt Labs", "Cobalt Antivirus", "Cobalt\\Antivirus", "cobaltav.exe", "7.5", None,
        "cobaltav.hlp", ["cavscan.dll", "cavhook.dll"]),
    App("Sundial", "Sundial Calendar", "Sundial Calendar", "sundial.exe", "1.4", ".sdc", None,
        []),
    App("Vellum Systems", "Vellum Reader", "Vellum\\Reader", "vellum.exe", "6.0", ".vdf",
        "vellum.hlp", ["vlrender.dll"]),
    App("Harbor Software", "Harbor Chat", "Harbor Chat", "harbor.exe", "2.3", None, None,
        ["hcnet.dll"]),
    App("Terra Cartography", "Terra Maps", "Terra Maps", "terramap.exe", "2005", ".tmz",
        "terramap.hlp", ["tmgeo.dll"]),
    App("Echo Audio", "Echo Recorder", "Echo Audio\\Recorder", "echorec.exe", "1.2", ".ech",
        "echorec.hlp", []),
    App("Fern Software", "Fern Notes", "Fern Notes", "fernnote.exe", "3.1", ".fnn", None, []),
    App("Granite Data", "Granite Backup", "Granite Backup", "granite.exe", "4.2", ".gbk",
        "granite.hlp", ["grvss.dll"]),
    App("Lumen Imaging", "Lumen Viewer", "Lumen Viewer", "lumen.exe", "1.9", ".lum", None,
        ["lmjpeg.dll"]),
    App("Atlas Reference", "Atlas Dictionary", "Atlas\\Dictionary", "atlasdic.exe", "3.0", None,
        "atlasdic.hlp", []),
    App("Copperline", "Copperline Tax 2005", "Copperline\\Tax 2005", "cltax.exe", "2005.1",
        ".clt", "cltax.hlp", ["clcalc.dll"]),
    App("Nimbus Labs", "Nimbus Sync", "Nimbus Sync", "nimbus.exe", "1.0", None, None,
        ["nmsync.dll"]),
    App("Quill Tools", "Quill Editor", "Quill Editor", "quill.exe", "5.0", ".qed", "quill.hlp",
        []),
    App("Marble Games", "Marble Solitaire", "Marble Games\\Solitaire", "msolit.exe", "1.1", None,
        "msolit.hlp", []),
    App("Rivet Software", "Rivet Download Manager", "Rivet", "rivet.exe", "6.2", None, None,
        ["rvhook.dll"]),
    App("Sable Systems", "Sable Terminal", "Sable Terminal", "sableterm.exe", "2.8", ".sbt",
        "sableterm.hlp", []),
    App("Tundra Utilities", "Tundra Defrag", "Tundra\\Defrag", "tdefrag.exe", "3.3", None,
        "tdefrag.hlp", []),
]

# Windows' own programs under Program Files.
MS_PROGRAMS = [  # (folder, exe, name)
    ("Internet Explorer", "iexplore.exe", "Internet Explorer"),
    ("Outlook Express", "msimn.exe", "Outlook Express"),
    ("Windows Media Player", "wmplayer.exe", "Windows Media Player"),
    ("Windows NT\\Accessories", "wordpad.exe", "WordPad"),
    ("NetMeeting", "conf.exe", "NetMeeting"),
    ("Movie Maker", "moviemk.exe", "Windows Movie Maker"),
    ("Messenger", "msmsgs.exe", "Windows Messenger"),
]

DOCS = USER + "\\My Documents"


def build_app(app, index):
    for path in [app.Exe, app.Uninstaller, app.Dir + "\\readme.txt"] + app.Dlls:
        ex(path)
    if app.Help:
        ex(app.Help)
    ex(app.Dir + "\\" + app.Stem + ".ini", b"[Settings]\r\nFirstRun=0\r\n")

    base = "SOFTWARE\\%s\\%s" % (app.Vendor, app.Product)
    REG.sz(HKLM, base, "CurrentVersion", app.Version)
    ver = base + "\\" + app.Version
    REG.sz(HKLM, ver, "InstallDir", app.Dir + "\\")
    REG.sz(HKLM, ver, "Program", app.Exe)
    REG.sz(HKLM, ver, "Version", app.Version)
    REG.dword(HKLM, ver, "Language", 1033)
    REG.sz(HKLM, ver, "RegisteredOwner", "Owner")
    REG.sz(HKLM, ver, "SerialNumber", "%04d-%04d-%04d" % (1000 + index * 37 % 9000,
                                                          2000 + index * 53 % 7000, 3141 + index))
    if app.Dlls:
        comp = ver + "\\Components"
        for n, dll in enumerate(app.Dlls, 1):
            REG.sz(HKLM, comp, "Component%d" % n, dll)
        REG.dword(HKLM, comp, "Count", len(app.Dlls))

    # App Paths: the program and its folder.
    ap = CV + "\\App Paths\\" + app.ExeName
    REG.sz(HKLM, ap, "", app.Exe)
    REG.sz(HKLM, ap, "Path", app.Dir + (";" if index % 3 == 0 else ""))

    # Add/Remove Programs.
    un = CV + "\\Uninstall\\" + app.Product
    REG.sz(HKLM, un, "DisplayName", app.Product + " " + app.Version)
    REG.sz(HKLM, un, "DisplayVersion", app.Version)
    REG.sz(HKLM, un, "Publisher", app.Vendor)
    if index % 2 == 0:
        REG.sz(HKLM, un, "UninstallString", '"%s"' % app.Uninstaller)
    else:
        REG.sz(HKLM, un, "UninstallString", '"%s" /LOG="%s\\install.log"' %
               (app.Uninstaller, app.Dir))
        ex(app.Dir + "\\install.log")
    REG.sz(HKLM, un, "DisplayIcon", app.Exe + ",0")
    REG.sz(HKLM, un, "InstallLocation", app.Dir + "\\")
    REG.sz(HKLM, un, "URLInfoAbout",
           "http://www.%s.example/" % app.Vendor.lower().replace(" ", ""))
    REG.sz(HKLM, un, "HelpLink",
           "http://support.%s.example/kb?product=%s" % (app.Vendor.lower().replace(" ", ""),
                                                       app.Stem))
    REG.dword(HKLM, un, "EstimatedSize", 1200 + index * 211)
    REG.dword(HKLM, un, "NoModify", 1)
    REG.dword(HKLM, un, "NoRepair", 1)

    # Shared DLL counts: the path is the value's NAME, the count its data.
    for n, dll in enumerate(app.Dlls):
        REG.dword(HKLM, CV + "\\SharedDLLs", dll, 1 + (index + n) % 3)
    if app.Help:
        name = app.Help.rsplit("\\", 1)[1]
        REG.sz(HKLM, "SOFTWARE\\Microsoft\\Windows\\Help", name,
               app.Dir + ("\\" if index % 2 else ""))

    # The user's settings.
    cu = "Software\\%s\\%s" % (app.Vendor, app.Product)
    REG.sz(HKCU, cu, "Version", app.Version)
    st = cu + "\\Settings"
    REG.binary(HKCU, st, "WindowPlacement",
               struct.pack("<10I", 44, 0, 1, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF,
                           40 + index * 4, 30 + index * 3, 840 + index))
    REG.dword(HKCU, st, "ShowToolbar", 1)
    REG.dword(HKCU, st, "ShowStatusBar", index % 2)
    REG.sz(HKCU, st, "LastFolder", exdir(DOCS + ("" if index % 4 else "\\" + app.Product)))
    REG.sz(HKCU, st, "Font", "Tahoma,8")
    REG.sz(HKCU, st, "UpdateUrl", "http://update.%s.example/check.cgi?v=%s" %
           (app.Vendor.lower().replace(" ", ""), app.Version))
    if app.Ext:
        mru = cu + "\\Recent File List"
        for n in range(1, 3 + index % 3):
            doc = ex(DOCS + "\\%s file %d%s" % (app.Product, n, app.Ext))
            REG.sz(HKCU, mru, "File%d" % n, doc)

    # File type and the shell's open command (under Software\Classes: never examined).
    if app.Ext:
        progid = "%s.Document.%s" % (app.Stem.capitalize(), app.Version.split(".")[0])
        REG.sz(HKLM, "SOFTWARE\\Classes\\" + app.Ext, "", progid)
        REG.sz(HKLM, "SOFTWARE\\Classes\\" + app.Ext, "Content Type",
               "application/x-" + app.Stem)
        REG.sz(HKLM, "SOFTWARE\\Classes\\%s\\ShellNew" % app.Ext, "NullFile", "")
        REG.sz(HKLM, "SOFTWARE\\Classes\\" + progid, "", app.Product + " Document")
        REG.sz(HKLM, "SOFTWARE\\Classes\\%s\\DefaultIcon" % progid, "", app.Exe + ",1")
        REG.sz(HKLM, "SOFTWARE\\Classes\\%s\\shell" % progid, "", "open")
        REG.sz(HKLM, "SOFTWARE\\Classes\\%s\\shell\\open\\command" % progid, "",
               '"%s" "%%1"' % app.Exe)
        REG.sz(HKLM, "SOFTWARE\\Classes\\%s\\shell\\print\\command" % progid, "",
               '"%s" /p "%%1"' % app.Exe)

    # Start menu shortcuts (their targets exist).
    menu = ALLUSERS + "\\Start Menu\\Programs\\" + app.Product
    ex(menu + "\\" + app.Product + ".lnk", make_lnk(app.Exe, workdir=app.Dir))
    ex(menu + "\\Uninstall " + app.Product + ".lnk", make_lnk(app.Uninstaller))
    if app.Help:
        ex(menu + "\\" + app.Product + " Help.lnk", make_lnk(app.Help))
    if index % 5 == 0:
        ex(USER + "\\Desktop\\" + app.Product + ".lnk", make_lnk(app.Exe, workdir=app.Dir))


def build_apps():
    for i, app in enumerate(APPS):
        build_app(app, i)
    for folder, exe, name in MS_PROGRAMS:
        path = ex(PF + "\\" + folder + "\\" + exe)
        REG.sz(HKLM, CV + "\\App Paths\\" + exe, "", path)
        REG.sz(HKLM, CV + "\\App Paths\\" + exe, "Path", PF + "\\" + folder)
        ex(ALLUSERS + "\\Start Menu\\Programs\\" + name + ".lnk", make_lnk(path))
    # Common files shared by several programs.
    for rel in ["Common Files\\System\\ado\\msado15.dll",
                "Common Files\\System\\ole db\\oledb32.dll",
                "Common Files\\Microsoft Shared\\VGX\\vgx.dll",
                "Common Files\\Microsoft Shared\\MSInfo\\msinfo32.exe",
                "Common Files\\Kestrel\\kcommon.dll", "Common Files\\Orbit\\orbitcore.dll"]:
        REG.dword(HKLM, CV + "\\SharedDLLs", ex(PF + "\\" + rel), 3)


# --------------------------------------------------------------------------------------------
# Protected branches (values below them are never examined)

def is_protected(path):
    p = path.upper()
    if p == "":
        return True
    for text in ["SOFTWARE\\CLASSES", "SOFTWARE\\WOW6432NODE\\CLASSES",
                 "SOFTWARE\\MICROSOFT\\EVENTSYSTEM",
                 "SOFTWARE\\MICROSOFT\\PROTECTEDSTORAGE", "SOFTWARE\\MICROSOFT\\PROTECTED STORAGE",
                 "SOFTWARE\\MICROSOFT\\SYSTEMCERTIFICATES"]:
        if text in p:
            return True
    for text in ["SYSTEM\\", "SECURITY\\", "SAM\\", "HARDWARE\\"]:
        if text in p or p == text[:-1]:
            return True
    return False


# --------------------------------------------------------------------------------------------
# HKEY_LOCAL_MACHINE: Windows' own branches, with the planted entries among them

def build_machine_windows():
    # CurrentVersion itself.
    REG.sz(HKLM, CV, "ProgramFilesDir", PF)
    REG.sz(HKLM, CV, "CommonFilesDir", PF + "\\Common Files")
    REG.sz(HKLM, CV, "MediaPath", WIN + "\\Media")
    REG.expand(HKLM, CV, "DevicePath", "%SystemRoot%\\inf")
    REG.sz(HKLM, CV, "WallPaperDir", WIN + "\\Web\\Wallpaper")
    REG.sz(HKLM, CV, "ProductId", "55274-640-1011873-23081")
    REG.sz(HKLM, CV, "SM_GamesName", "Games")
    REG.sz(HKLM, CV, "SM_ConfigureProgramsName", "Set Program Access and Defaults")

    setup = CV + "\\Setup"
    REG.sz(HKLM, setup, "BootDir", "C:\\")
    REG.dword(HKLM, setup, "SetupType", 0)
    REG.sz(HKLM, setup, "ServicePackSourcePath", WIN + "\\ServicePackFiles\\")
    exdir(WIN + "\\ServicePackFiles\\i386")
    ex(WIN + "\\ServicePackFiles\\i386\\sp2.cab")
    plant("M3", "Folder or drive not found", HKLM, setup, "SourcePath", "E:\\", "E:\\",
          "absent", ["default"],
          note="Drive root (PathKind 3) of a drive the machine does not have (the setup CD): "
               "nothing is mapped to E:, so the drive is not present and the path is not known "
               "to be gone; the row is \"Drive not present\" and starts at Ignore.")

    # Shell folders of all users: every one exists.
    sf = CV + "\\Explorer\\Shell Folders"
    usf = CV + "\\Explorer\\User Shell Folders"
    for name, sub in [("Common Desktop", "Desktop"), ("Common Programs", "Start Menu\\Programs"),
                      ("Common Start Menu", "Start Menu"),
                      ("Common Startup", "Start Menu\\Programs\\Startup"),
                      ("Common Documents", "Documents"), ("Common AppData", "Application Data"),
                      ("Common Favorites", "Favorites"), ("Common Templates", "Templates"),
                      ("CommonMusic", "Documents\\My Music"),
                      ("CommonPictures", "Documents\\My Pictures")]:
        REG.sz(HKLM, sf, name, exdir(ALLUSERS + "\\" + sub))
        REG.expand(HKLM, usf, name, "%ALLUSERSPROFILE%\\" + sub)

    # Start-up programs of the machine.
    run = CV + "\\Run"
    REG.sz(HKLM, run, "CobaltAV", '"%s" /tray' % APPS[9].Exe)
    REG.sz(HKLM, run, "DiskGuard Monitor", APPS[0].Exe + " -monitor")
    REG.sz(HKLM, run, "SoundMan", "SOUNDMAN.EXE")
    REG.sz(HKLM, run, "Rivet", '"%s" -tray' % APPS[23].Exe)
    plant("F1", "Start-up programs", HKLM, run, "OldUpdater",
          '"%s" /silent' % gone(PF + "\\OldUpdater\\updchk.exe"),
          PF + "\\OldUpdater\\updchk.exe", "autorun", ["default", "512"], autorun=True,
          note="Quoted program with an argument.")
    plant("K1", "Trojans", HKLM, run, "avserve", gone(WIN + "\\avserve.exe"),
          WIN + "\\avserve.exe", "trojan", ["default", "512"], autorun=True, trojan="Sasser",
          note="Data matches the TrojanDef.ini pattern avserve.exe; a Run value, so its "
               "default action is Ignore. Not found with 8 alone (that walks no branch).")
    plant("F3", "Start-up programs", HKLM, CV + "\\RunOnce", "CleanupTemp",
          gone(WIN + "\\Temp\\cleanup.exe") + " /q", WIN + "\\Temp\\cleanup.exe ",
          "autorun", ["default", "512"], autorun=True,
          note="Unquoted, with an argument, file missing: the cut at \"/\" keeps the space "
               "before it, so TargetPath ends in a space (see the path-extraction rules).")

    # Shared DLLs: the usual entries name the DLL and count its users; three broken ones carry
    # the path as data.
    sd = CV + "\\SharedDLLs"
    for d in ["mfc42.dll", "msvcp60.dll", "msvbvm60.dll", "comct332.ocx", "mscomctl.ocx"]:
        REG.dword(HKLM, sd, SYS32 + "\\" + d, 7)
    quiet("Shared DLLs", HKLM, sd, gone(PF + "\\PhotoMagic\\pmfilter.dll"), 2,
          "The value NAME names a missing DLL, its data is a count: only the data is examined.",
          kind=REG_DWORD)
    plant("A1", "Shared DLLs", HKLM, sd, PF + "\\Common Files\\Kestrel\\kshared.dll",
          gone(PF + "\\Common Files\\Kestrel\\kshared.dll"),
          PF + "\\Common Files\\Kestrel\\kshared.dll", "shareddll", ["default", "2"],
          note="Text data naming a missing DLL (name and data are the same path).")
    plant("A2", "Shared DLLs", HKLM, sd, "vbrun300", gone(WIN + "\\system\\vbrun300.dll"),
          WIN + "\\system\\vbrun300.dll", "shareddll", ["default", "2"])
    nsd = NTCV + "\\SharedDLLs"
    REG.dword(HKLM, nsd, SYS32 + "\\msvcr71.dll", 2)
    plant("A3", "Shared DLLs", HKLM, nsd, "OrbitNet",
          gone(PF + "\\Common Files\\Orbit\\orbitnet.dll"),
          PF + "\\Common Files\\Orbit\\orbitnet.dll", "shareddll", ["default", "2"],
          note="Under Windows NT\\CurrentVersion\\SharedDLLs, the second branch of bit 2.")

    # Help files: name = file, data = its folder (or the file itself).
    hk = "SOFTWARE\\Microsoft\\Windows\\Help"
    for i, f in enumerate(HELP_FILES):
        REG.sz(HKLM, hk, f, WIN + "\\Help" + ("\\" + f if i % 3 == 0 else ""))
    plant("B1", "Help files", HKLM, hk, "inkwell.hlp", gone(APPS[1].Dir + "\\inkwell.hlp"),
          APPS[1].Dir + "\\inkwell.hlp", "help", ["default", "4"],
          note="Inkwell is installed, its help file was deleted.")
    plant("B2", "Help files", HKLM, hk, "tunes.hlp", gone(WIN + "\\Help\\tunes.hlp"),
          WIN + "\\Help\\tunes.hlp", "help", ["default", "4"])
    plant("B3", "Folder or drive not found", HKLM, hk, "player.hlp",
          gone(PF + "\\Gone Player\\Help") + "\\", PF + "\\Gone Player\\Help\\", "folder",
          ["default"],
          note="A help entry whose data is a missing FOLDER: the help rule wants \".HLP\" in "
               "the data, so this is a plain folder row, and bit 4 alone does not show it.")

    # Fonts: value name = face, data = file name in Windows\Fonts (or a full path).
    fk = NTCV + "\\Fonts"
    for name, f in FONTS:
        REG.sz(HKLM, fk, name, f)
    REG.sz(HKLM, fk, "Terra Symbols (TrueType)", ex(APPS[13].Dir + "\\Fonts\\terrasym.ttf"))
    plant("E1", "Fonts", HKLM, fk, "Calligra Script (TrueType)",
          gone(PF + "\\Typeworks\\Fonts\\calligra.ttf"), PF + "\\Typeworks\\Fonts\\calligra.ttf",
          "font", ["default", "1024"], note="Full path to a missing .ttf.")
    plant("E2", "Fonts", HKLM, fk, "Old English Text MT (TrueType)", gone("oldengl.ttf"),
          "oldengl.ttf", "font", ["default", "1024"],
          note="Bare file name absent from Windows\\Fonts: PathKind 0, yet a font value is "
               "always examined and a bare name that the fonts folder lacks is missing.")
    REG.sz(HKLM, CV + "\\Fonts", "Arial (TrueType)", "arial.ttf")
    plant("E3", "Fonts", HKLM, CV + "\\Fonts", "Gothic Bold (TrueType)", gone("gothicb.ttf"),
          "gothicb.ttf", "font", ["default", "1024"],
          note="The Windows 9x fonts key (Windows\\CurrentVersion\\Fonts), also walked by "
               "bit 1024.")
    fs = NTCV + "\\FontSubstitutes"
    for a, b in [("Helv", "MS Sans Serif"), ("Helvetica", "Arial"), ("Times", "Times New Roman"),
                 ("Tms Rmn", "MS Serif"), ("Courier", "Courier New"), ("MS Shell Dlg",
                 "Microsoft Sans Serif"), ("MS Shell Dlg 2", "Tahoma"), ("Arial,0", "Arial,0")]:
        REG.sz(HKLM, fs, a, b)

    # Windows NT\CurrentVersion.
    REG.sz(HKLM, NTCV, "ProductName", "Microsoft Windows XP")
    REG.sz(HKLM, NTCV, "CurrentVersion", "5.1")
    REG.sz(HKLM, NTCV, "CurrentBuildNumber", "2600")
    REG.sz(HKLM, NTCV, "CSDVersion", "Service Pack 2")
    REG.sz(HKLM, NTCV, "SystemRoot", WIN)
    REG.sz(HKLM, NTCV, "PathName", WIN)
    REG.sz(HKLM, NTCV, "SoftwareType", "SYSTEM")
    REG.sz(HKLM, NTCV, "RegisteredOwner", "Owner")
    REG.sz(HKLM, NTCV, "RegisteredOrganization", "")
    REG.dword(HKLM, NTCV, "InstallDate", 0x43A1F2C0)
    REG.binary(HKLM, NTCV, "DigitalProductId", bytes(range(0xA4, 0xA4 + 40)))
    wl = NTCV + "\\Winlogon"
    REG.sz(HKLM, wl, "Shell", "Explorer.exe")
    REG.sz(HKLM, wl, "DefaultUserName", "Owner")
    REG.sz(HKLM, wl, "DefaultDomainName", "KESTREL-PC")
    REG.sz(HKLM, wl, "System", "")
    REG.dword(HKLM, wl, "AutoRestartShell", 1)
    REG.sz(HKLM, wl, "PowerdownAfterShutdown", "0")
    REG.sz(HKLM, wl, "LegalNoticeCaption", "")
    REG.sz(HKLM, wl, "UIHost", "logonui.exe")
    plant("K3", "Trojans", HKLM, wl, "Userinit",
          SYS32 + "\\userinit.exe," + gone(SYS32 + "\\sdra64.exe") + ",", "sdra64.exe", "trojan",
          ["default", "8"], trojan="Zbot", entry="lock",
          finding_key=HKLM + "\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon",
          fixed="C:\\Windows\\system32\\userinit.exe,",
          note="Found by the lock-location check (TrojanLock.ini: Zbot;3;...Winlogon;Userinit;"
               "sdra64.exe;%SystemRoot%\\system32\\userinit.exe,): ItemData and TargetPath "
               "are the marker. The record's clean value, with the machine's SystemRoot put in "
               "(Userinit is plain REG_SZ text), is the proposed Change Value: Windows cannot "
               "start a session without Userinit. The walker itself passes the value by (two "
               "\":\" in the cut text: PathKind 0).")
    wn = NTCV + "\\Windows"
    REG.sz(HKLM, wn, "AppInit_DLLs", "")
    REG.sz(HKLM, wn, "DeviceNotSelectedTimeout", "15")
    REG.sz(HKLM, wn, "Spooler", "yes")
    REG.sz(HKLM, wn, "TransmissionRetryTimeout", "90")

    # Internet Explorer and the default clients.
    ie = "SOFTWARE\\Microsoft\\Internet Explorer"
    REG.sz(HKLM, ie, "Version", "6.0.2900.2180")
    REG.sz(HKLM, ie, "Build", "62900.2180")
    REG.sz(HKLM, ie + "\\Main", "Start Page", "http://www.example.com/")
    REG.sz(HKLM, ie + "\\Main", "Default_Page_URL", "http://www.example.com/home.html")
    REG.sz(HKLM, ie + "\\Main", "Local Page", ex(SYS32 + "\\blank.htm"))
    REG.sz(HKLM, "SOFTWARE\\Clients\\Mail", "", "Mapleleaf Mail")
    REG.sz(HKLM, "SOFTWARE\\Clients\\Mail\\Mapleleaf Mail\\shell\\open\\command", "",
           '"%s" /mail' % APPS[3].Exe)
    REG.sz(HKLM, "SOFTWARE\\Clients\\StartMenuInternet", "", "IEXPLORE.EXE")
    REG.sz(HKLM, "SOFTWARE\\Clients\\StartMenuInternet\\IEXPLORE.EXE\\shell\\open\\command", "",
           PF + "\\Internet Explorer\\iexplore.exe")
    REG.sz(HKLM, "SOFTWARE\\Microsoft\\DirectX", "Version", "4.09.00.0904")
    REG.sz(HKLM, "SOFTWARE\\Microsoft\\Cryptography", "MachineGuid",
           guid("machine").strip("{}").lower())
    odbc = "SOFTWARE\\ODBC\\ODBCINST.INI\\Microsoft Access Driver (*.mdb)"
    REG.sz(HKLM, odbc, "Driver", ex(SYS32 + "\\odbcjt32.dll"))
    REG.sz(HKLM, odbc, "Setup", ex(SYS32 + "\\odbcji32.dll"))
    REG.sz(HKLM, odbc, "APILevel", "1")
    REG.sz(HKLM, odbc, "FileExtns", "*.mdb")
    REG.sz(HKLM, "SOFTWARE\\ODBC\\ODBCINST.INI\\ODBC Drivers", "Microsoft Access Driver (*.mdb)",
           "Installed")

    # Uninstall entries beyond the installed programs.
    un = CV + "\\Uninstall"
    msi = un + "\\" + guid("Nimbus Sync MSI")
    REG.sz(HKLM, msi, "DisplayName", "Nimbus Sync Helper")
    REG.sz(HKLM, msi, "UninstallString", "MsiExec.exe /X" + guid("Nimbus Sync MSI"))
    REG.sz(HKLM, msi, "ModifyPath", "MsiExec.exe /I" + guid("Nimbus Sync MSI"))
    REG.dword(HKLM, msi, "WindowsInstaller", 1)
    REG.sz(HKLM, msi, "InstallSource", exdir(WIN + "\\Installer") + "\\")
    mdm = un + "\\Bluefin Modem Helper"
    REG.sz(HKLM, mdm, "DisplayName", "Bluefin Modem Helper")
    REG.sz(HKLM, mdm, "UninstallString",
           "rundll32.exe setupapi,InstallHinfSection DefaultUninstall 132 " + WIN +
           "\\INF\\bluefin.inf")
    pm = un + "\\PhotoMagic"
    REG.sz(HKLM, pm, "DisplayName", "PhotoMagic 3")
    REG.sz(HKLM, pm, "Publisher", "PhotoMagic Corp.")
    plant("G1", "Uninstall entries", HKLM, pm, "UninstallString",
          '"%s" "%s"' % (gone(PF + "\\PhotoMagic\\unwise.exe"),
                         gone(PF + "\\PhotoMagic\\install.log")),
          PF + "\\PhotoMagic\\unwise.exe", "uninstall", ["default", "128"],
          note="PhotoMagic's folder was deleted by hand; its Add/Remove entry stayed.")
    plant("G2", "Uninstall entries", HKLM, pm, "DisplayIcon",
          gone(PF + "\\PhotoMagic\\pmagic.exe") + ",0", PF + "\\PhotoMagic\\pmagic.exe",
          "uninstall", ["default", "128"], note="Icon index after the comma is cut off.")
    plant("G3", "Uninstall entries", HKLM, pm, "InstallLocation", gone(PF + "\\PhotoMagic") + "\\",
          PF + "\\PhotoMagic\\", "uninstall", ["default", "128"],
          note="A missing folder (PathKind 1).")
    REG.dword(HKLM, pm, "EstimatedSize", 18230)

    # App Paths of programs that are gone.
    ap = CV + "\\App Paths"
    plant("C1", "Application paths", HKLM, ap + "\\toolbox.exe", "",
          gone(PF + "\\Toolbox\\toolbox.exe"), PF + "\\Toolbox\\toolbox.exe", "apppath",
          ["default", "16"], note="The default value: the program file.")
    plant("C2", "Application paths", HKLM, ap + "\\toolbox.exe", "Path",
          gone(PF + "\\Toolbox"), PF + "\\Toolbox", "apppath", ["default", "16"],
          note="The \"Path\" value: a missing folder (PathKind 1), CanChange 2.")
    plant("C3", "Application paths", HKLM, ap + "\\PLAYER.EXE", "",
          gone(PF + "\\Gone Player\\player.exe"), PF + "\\Gone Player\\player.exe", "apppath",
          ["default", "16"])
    REG.sz(HKLM, ap + "\\PLAYER.EXE", "Path", APPS[4].Dir)   # points elsewhere, still exists


def build_machine_vendors():
    # OldSuite: uninstalled, its leftovers are in the user's exclusion list (Ignore.ini).
    ap = CV + "\\App Paths"
    plant("L1", "Excluded by Ignore.ini", HKLM, ap + "\\oldsuite.exe", "",
          gone(PF + "\\OldSuite\\oldsuite.exe"), PF + "\\OldSuite\\oldsuite.exe", "excluded",
          ["default", "16"],
          note="Would be an application-path row; Ignore.ini lists C:\\Program Files\\OldSuite.")
    un = CV + "\\Uninstall\\OldSuite"
    REG.sz(HKLM, un, "DisplayName", "OldSuite 2000")
    plant("L2", "Excluded by Ignore.ini", HKLM, un, "UninstallString",
          '"C:\\PROGRAM FILES\\OLDSUITE\\UNINST.EXE" /remove',
          "C:\\PROGRAM FILES\\OLDSUITE\\UNINST.EXE",
          "excluded", ["default", "128"],
          note="Upper-case spelling: the exclusion list compares in upper case.")

    # Kestrel Labs DiskGuard: driver values outside the protected SYSTEM branch.
    dg = "SOFTWARE\\Kestrel Labs\\DiskGuard\\Drivers"
    REG.sz(HKLM, dg, "Service", "dskguard")
    plant("J1", "Drivers", HKLM, dg, "FilterDriver", gone(SYS32 + "\\drivers\\dskguard.sys"),
          SYS32 + "\\drivers\\dskguard.sys", "driver", ["default", "32"],
          note="Data ending in .sys, file missing.")
    plant("J2", "Drivers (file present)", HKLM, dg, "HelperDriver",
          SYS32 + "\\drivers\\kvflt.sys", SYS32 + "\\drivers\\kvflt.sys", "driver",
          ["any 32"],
          note="The file EXISTS. An existing driver is reported only when \"Search for invalid "
               "drivers (advanced)\" (bit 32) is chosen: then a value whose data ends in .sys "
               "or .vxd goes on to the category decision whether or not the file is there. The "
               "default boxes (1759) leave it out; 32 alone, 2047 or any other mask with 32 "
               "show it.")
    plant("J3", "Drivers (only with 32 alone)", HKLM, dg, "LegacyVxd", gone("dskguard.vxd"),
          "dskguard.vxd", "driver", ["32"],
          note="A bare name (PathKind 0) is examined only when the options are exactly 32; "
               "with the default mask it is not a candidate.")
    REG.expand(HKLM, "SOFTWARE\\Kestrel Labs\\DiskGuard\\Tools", "Scanner",
               "%ProgramFiles%\\Kestrel Labs\\DiskGuard\\diskguard.exe")
    plant("M6", "File not found", HKLM, "SOFTWARE\\Kestrel Labs\\DiskGuard\\Tools",
          "ReportTool", "%SystemRoot%\\system32\\dgreport.dll",
          "C:\\Windows\\system32\\dgreport.dll", "file", ["default"], kind=REG_EXPAND_SZ,
          note="REG_EXPAND_SZ (hex(2) in the file); read expanded with SystemRoot=C:\\Windows.")
    gone("C:\\Windows\\system32\\dgreport.dll")
    REG.expand(HKLM, "SOFTWARE\\Kestrel Labs\\DiskGuard\\Tools", "ShellExt",
               "%SystemRoot%\\system32\\shell32.dll")
    REG.key(HKLM, "SOFTWARE\\Kestrel Labs\\Trial")
    PLANTS.append(Plant("I3", "Empty keys", HKLM, "SOFTWARE\\Kestrel Labs\\Trial", None, "Trial",
                        REG_SZ, "", "empty", ["256"], entry="key",
                        note="No values, no subkeys."))

    # A vendor key below a name that contains "SYSTEM\": protected by plain containment.
    quiet("Protected branch", HKLM, "SOFTWARE\\Northwind Traders\\FileSystem\\Cache", "Location",
          gone("C:\\NWCache\\index.dat"),
          "The path contains \"SYSTEM\\\" (FILESYSTEM\\CACHE): values are never examined.")

    # 32-bit COM classes: Wow6432Node\Classes is protected like SOFTWARE\Classes.
    wow = "SOFTWARE\\Wow6432Node\\Classes\\CLSID"
    for n, dll in enumerate(["dgshell.dll", "zcshell.dll", "vlrender.dll", "orbhtml.dll"]):
        app = [a for a in APPS if any(d.endswith("\\" + dll) for d in a.Dlls)][0]
        cls = wow + "\\" + guid("wow " + dll)
        REG.sz(HKLM, cls, "", "%s %s Class" % (app.Product, dll.split(".")[0]))
        REG.sz(HKLM, cls + "\\InprocServer32", "", app.Dir + "\\" + dll)
        REG.sz(HKLM, cls + "\\InprocServer32", "ThreadingModel", "Apartment")
        REG.sz(HKLM, cls + "\\ProgID", "", "%s.%s.1" % (app.Stem, dll.split(".")[0]))
    dead = guid("wow kestrel tray helper")
    REG.sz(HKLM, wow + "\\" + dead, "", "Kestrel Tray Helper")
    quiet("Protected branch", HKLM, wow + "\\" + dead + "\\InprocServer32", "",
          gone(PF + "\\Kestrel Labs\\Launcher\\kltray.dll"),
          "A missing in-process server under SOFTWARE\\Wow6432Node\\Classes\\CLSID, the "
          "classes of 32-bit programs: protected like SOFTWARE\\Classes (compare H1).")
    # The launcher's own table of 32-bit shell extensions, outside the classes.
    ext = "SOFTWARE\\Wow6432Node\\Kestrel Labs\\Launcher\\Extensions\\CLSID"
    h1 = guid("wow kestrel launcher shell extension")
    REG.sz(HKLM, ext + "\\" + h1, "", "Kestrel Launcher Shell Extension")
    plant_com("H1", ext + "\\" + h1, PF + "\\Kestrel Labs\\Launcher\\klshell.dll", ["default"],
              "In-process server whose DLL is missing: the finding is the class key.")
    h2 = guid("wow oldsuite explorer extension")
    REG.sz(HKLM, ext + "\\" + h2, "", "OldSuite Explorer Extension")
    plant_com("H2", ext + "\\" + h2, PF + "\\OldSuite\\suiteext.dll", ["default"],
              "Targets C:\\Program Files\\OldSuite, which Ignore.ini lists, but key findings "
              "are never compared with the exclusion list.")
    i2 = guid("wow empty class")
    REG.key(HKLM, ext + "\\" + i2)
    PLANTS.append(Plant("I2", "Empty keys", HKLM, ext + "\\" + i2, None, i2, REG_SZ, "", "empty",
                        ["256"], entry="key",
                        note="Its name ends in \"}\": \"The Key is empty (Expert)\"."))


def plant_com(ident, class_path, dll, masks, note):
    """A class key whose InprocServer32 default value names a missing DLL."""
    server = class_path + "\\InprocServer32"
    REG.sz(HKLM, server, "", gone(dll))
    REG.sz(HKLM, server, "ThreadingModel", "Apartment")
    p = Plant(ident, "COM servers", HKLM, server, "", dll, REG_SZ, dll, "com", masks,
              entry="key", finding_key=HKLM + "\\" + class_path, note=note)
    PLANTS.append(p)


# --------------------------------------------------------------------------------------------
# Software\Classes (protected): file types and COM classes

FILE_TYPES = [  # (extension, ProgID, description, program)
    (".txt", "txtfile", "Text Document", WIN + "\\notepad.exe"),
    (".log", "txtfile", None, None), (".ini", "inifile", "Configuration Settings",
                                      WIN + "\\notepad.exe"),
    (".inf", "inffile", "Setup Information", WIN + "\\notepad.exe"),
    (".bat", "batfile", "MS-DOS Batch File", None),
    (".cmd", "cmdfile", "Windows NT Command Script", None),
    (".reg", "regfile", "Registration Entries", WIN + "\\regedit.exe"),
    (".hlp", "hlpfile", "Help File", WIN + "\\winhlp32.exe"),
    (".chm", "chm.file", "Compiled HTML Help file", WIN + "\\hh.exe"),
    (".htm", "htmlfile", "HTML Document", PF + "\\Internet Explorer\\iexplore.exe"),
    (".html", "htmlfile", None, None), (".mht", "mhtmlfile", "MHTML Document",
                                        PF + "\\Internet Explorer\\iexplore.exe"),
    (".url", "InternetShortcut", "Internet Shortcut", None),
    (".eml", "Microsoft Internet Mail Message", "E-mail Message",
     PF + "\\Outlook Express\\msimn.exe"),
    (".nws", "Microsoft Internet News Message", "News Message",
     PF + "\\Outlook Express\\msimn.exe"),
    (".wav", "soundrec", "Wave Sound", SYS32 + "\\sndrec32.exe"),
    (".mid", "midfile", "MIDI Sequence", PF + "\\Windows Media Player\\wmplayer.exe"),
    (".mp3", "mp3file", "MP3 Format Sound", PF + "\\Windows Media Player\\wmplayer.exe"),
    (".wma", "WMAudioFile", "Windows Media Audio file",
     PF + "\\Windows Media Player\\wmplayer.exe"),
    (".wmv", "WMVFile", "Windows Media Audio/Video file",
     PF + "\\Windows Media Player\\wmplayer.exe"),
    (".avi", "avifile", "Video Clip", PF + "\\Windows Media Player\\wmplayer.exe"),
    (".mpg", "mpegfile", "Movie Clip", PF + "\\Windows Media Player\\wmplayer.exe"),
    (".bmp", "Paint.Picture", "Bitmap Image", SYS32 + "\\mspaint.exe"),
    (".jpg", "jpegfile", "JPEG Image", SYS32 + "\\mspaint.exe"),
    (".jpeg", "jpegfile", None, None), (".gif", "giffile", "GIF Image", SYS32 + "\\mspaint.exe"),
    (".png", "pngfile", "PNG Image", SYS32 + "\\mspaint.exe"),
    (".tif", "TIFImage.Document", "TIF Image Document", SYS32 + "\\mspaint.exe"),
    (".ico", "icofile", "Icon", None), (".cur", "curfile", "Cursor", None),
    (".ani", "anifile", "Animated Cursor", None),
    (".rtf", "rtffile", "Rich Text Format", PF + "\\Windows NT\\Accessories\\wordpad.exe"),
    (".doc", "Wordpad.Document.1", "WordPad Document",
     PF + "\\Windows NT\\Accessories\\wordpad.exe"),
    (".wri", "wrifile", "Write Document", PF + "\\Windows NT\\Accessories\\wordpad.exe"),
    (".zip", "CompressedFolder", "Compressed (zipped) Folder", None),
    (".cab", "CLSID\\{0CD7A5C0-9F37-11CE-AE65-08002B2E1262}", None, None),
    (".ttf", "ttffile", "TrueType Font file", None), (".fon", "fonfile", "Font file", None),
    (".dll", "dllfile", "Application Extension", None), (".sys", "sysfile", "System file", None),
    (".ocx", "ocxfile", "ActiveX Control", None), (".cpl", "cplfile", "Control Panel extension",
                                                   SYS32 + "\\rundll32.exe"),
    (".scr", "scrfile", "Screen Saver", None), (".lnk", "lnkfile", "Shortcut", None),
    (".pif", "piffile", "Shortcut to MS-DOS Program", None),
    (".msi", "Msi.Package", "Windows Installer Package", SYS32 + "\\msiexec.exe"),
    (".vbs", "VBSFile", "VBScript Script File", None), (".js", "JSFile", "JScript Script File",
                                                        None),
    (".xml", "xmlfile", "XML Document", PF + "\\Internet Explorer\\iexplore.exe"),
    (".css", "CSSfile", "Cascading Style Sheet Document", WIN + "\\notepad.exe"),
    (".csv", "csvfile", "Comma Separated Values", WIN + "\\notepad.exe"),
    (".theme", "themefile", "Windows Theme File", None),
    (".contact", "contact_wab_auto_file", "Contact", None),
]

def build_classes():
    base = "SOFTWARE\\Classes"
    for ext, progid, desc, program in FILE_TYPES:
        REG.sz(HKLM, base + "\\" + ext, "", progid)
        if desc is None:
            continue
        REG.sz(HKLM, base + "\\" + progid, "", desc)
        REG.dword(HKLM, base + "\\" + progid, "EditFlags", 0x10000)
        if program:
            REG.sz(HKLM, base + "\\%s\\DefaultIcon" % progid, "", program + ",0")
            REG.sz(HKLM, base + "\\%s\\shell\\open\\command" % progid, "",
                   '"%s" "%%1"' % program if " " in program else program + " %1")
        else:
            REG.expand(HKLM, base + "\\%s\\DefaultIcon" % progid, "",
                       "%SystemRoot%\\System32\\shell32.dll,-152")
    # File types of programs that are gone: protected, never examined.
    quiet("Protected branch", HKLM, base + "\\PhotoMagic.Image\\DefaultIcon", "",
          gone(PF + "\\PhotoMagic\\pmagic.exe") + ",2",
          "Under SOFTWARE\\Classes: protected, so the missing program is not reported.")
    quiet("Protected branch", HKLM, base + "\\PhotoMagic.Image\\shell\\open\\command", "",
          '"%s" "%%1"' % (PF + "\\PhotoMagic\\pmagic.exe"), "Under SOFTWARE\\Classes.")
    REG.sz(HKLM, base + "\\.pmi", "", "PhotoMagic.Image")

    # COM classes: two per system library, each with its server, ProgID and library entry.
    n = 0
    for dll in SYSTEM_DLLS:
        file = dll if "." in dll else dll + ".dll"
        lib = file.split(".")[0]
        for part in ("Object", "Helper"):
            n += 1
            clsid = guid("class %s %s" % (lib, part))
            progid = "%s.%s" % (lib.capitalize(), part)
            ck = base + "\\CLSID\\" + clsid
            REG.sz(HKLM, ck, "", "%s %s Class" % (lib, part))
            REG.expand(HKLM, ck + "\\InprocServer32", "", "%SystemRoot%\\system32\\" + file)
            REG.sz(HKLM, ck + "\\InprocServer32", "ThreadingModel",
                   ["Apartment", "Both", "Free"][n % 3])
            REG.sz(HKLM, ck + "\\ProgID", "", progid + ".1")
            REG.sz(HKLM, ck + "\\VersionIndependentProgID", "", progid)
            REG.sz(HKLM, base + "\\" + progid + ".1", "", "%s %s Class" % (lib, part))
            REG.sz(HKLM, base + "\\" + progid + ".1\\CLSID", "", clsid)
    dead = guid("class photomagic thumbnail")
    REG.sz(HKLM, base + "\\CLSID\\" + dead, "", "PhotoMagic Thumbnail Handler")
    quiet("Protected branch", HKLM, base + "\\CLSID\\%s\\InprocServer32" % dead, "",
          gone(PF + "\\PhotoMagic\\pmthumb.dll"),
          "A missing in-process server under SOFTWARE\\Classes\\CLSID: protected (compare H1).")

    # The user's own classes (also protected).
    cu = "Software\\Classes"
    REG.sz(HKCU, cu + "\\.orb", "", "Orbit.Bookmark")
    REG.sz(HKCU, cu + "\\Orbit.Bookmark\\shell\\open\\command", "", '"%s" "%%1"' % APPS[2].Exe)
    quiet("Protected branch", HKCU, cu + "\\TrayClock.Alarm\\DefaultIcon", "",
          gone(PF + "\\TrayClock\\trayclock.exe") + ",0",
          "HKEY_CURRENT_USER\\Software\\Classes is protected too.")


# --------------------------------------------------------------------------------------------
# SYSTEM, HARDWARE, SAM, SECURITY and the protected Microsoft branches

SERVICES = """
Alerter ALG AppMgmt AudioSrv BITS Browser CiSvc ClipSrv COMSysApp CryptSvc DcomLaunch Dhcp
dmadmin dmserver Dnscache ERSvc Eventlog EventSystem FastUserSwitchingCompatibility helpsvc
HidServ HTTPFilter ImapiService lanmanserver lanmanworkstation LmHosts Messenger mnmsrvc MSDTC
MSIServer NetDDE NetDDEdsdm Netlogon Netman Nla NtLmSsp NtmsSvc PlugPlay PolicyAgent
ProtectedStorage RasAuto RasMan RDSessMgr RemoteAccess RemoteRegistry RpcLocator RpcSs
SamSs SCardSvr Schedule seclogon SENS SharedAccess ShellHWDetection Spooler srservice SSDPSRV
stisvc SwPrv SysmonLog TapiSrv TermService Themes TrkWks upnphost UPS VSS W32Time WebClient
winmgmt WmdmPmSN Wmi WmiApSrv wscsvc wuauserv WZCSVC xmlprov
""".split()
DRIVERS = """
ACPI atapi Beep Cdfs cdrom Disk Fastfat Fdc Flpydisk Ftdisk i8042prt isapnp kbdclass mouclass
mountmgr MRxSmb Ndis NetBT Npfs Ntfs Null Parport PartMgr PCI PCIIde rdbss Serial sr Tcpip
usbehci usbhub usbuhci VgaSave volsnap
""".split()


def build_protected():
    svc = "SYSTEM\\CurrentControlSet\\Services"
    for i, name in enumerate(SERVICES):
        k = svc + "\\" + name
        REG.sz(HKLM, k, "DisplayName", name)
        REG.expand(HKLM, k, "ImagePath", "%SystemRoot%\\system32\\svchost.exe -k netsvcs")
        REG.dword(HKLM, k, "Start", 2 + i % 3)
        REG.dword(HKLM, k, "Type", 0x20)
        REG.dword(HKLM, k, "ErrorControl", 1)
        REG.sz(HKLM, k, "ObjectName", "LocalSystem")
        if i % 2 == 0:
            REG.expand(HKLM, k + "\\Parameters", "ServiceDll",
                       "%SystemRoot%\\system32\\" + name.lower() + ".dll")
        if i % 3 == 0:
            REG.sz(HKLM, k + "\\Enum", "0", "Root\\LEGACY_%s\\0000" % name.upper())
            REG.dword(HKLM, k + "\\Enum", "Count", 1)
    for i, name in enumerate(DRIVERS):
        k = svc + "\\" + name
        REG.sz(HKLM, k, "ImagePath", "system32\\drivers\\%s.sys" % name.lower())
        REG.dword(HKLM, k, "Start", i % 4)
        REG.dword(HKLM, k, "Type", 1)
        REG.sz(HKLM, k, "Group", "Base")
    quiet("Protected branch", HKLM, svc + "\\dskold", "ImagePath",
          gone(SYS32 + "\\drivers\\dskold.sys"),
          "A missing driver under SYSTEM\\CurrentControlSet\\Services: protected.")
    REG.dword(HKLM, svc + "\\dskold", "Start", 4)
    sm = "SYSTEM\\CurrentControlSet\\Control\\Session Manager"
    REG.multi(HKLM, sm, "PendingFileRenameOperations",
              ["\\??\\" + WIN + "\\Temp\\old.tmp", ""])
    REG.expand(HKLM, sm + "\\Environment", "Path",
               "%SystemRoot%\\system32;%SystemRoot%;%SystemRoot%\\System32\\Wbem")
    REG.sz(HKLM, sm + "\\Environment", "OS", "Windows_NT")
    REG.expand(HKLM, sm + "\\Environment", "TEMP", "%SystemRoot%\\TEMP")
    REG.sz(HKLM, "SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName",
           "ComputerName", "KESTREL-PC")
    REG.sz(HKLM, "SYSTEM\\CurrentControlSet\\Control\\Class\\"
           "{4D36E968-E325-11CE-BFC1-08002BE10318}\\0000", "DriverDesc", "Standard VGA adapter")
    REG.sz(HKLM, "SYSTEM\\Select", "Comment", "")
    REG.dword(HKLM, "SYSTEM\\Select", "Current", 1)
    REG.sz(HKLM, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", "ProcessorNameString",
           "Intel(R) Pentium(R) 4 CPU 2.80GHz")
    REG.dword(HKLM, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", "~MHz", 2793)
    REG.sz(HKLM, "HARDWARE\\DEVICEMAP\\SERIALCOMM", "\\Device\\Serial0", "COM1")
    REG.binary(HKLM, "SAM\\SAM\\Domains\\Account", "F", bytes(16))
    REG.binary(HKLM, "SECURITY\\Policy\\PolAdtEv", "", bytes(8))

    es = "SOFTWARE\\Microsoft\\EventSystem\\{26c409cc-ae86-11d1-b616-00805fc79216}"
    REG.sz(HKLM, es + "\\Subscriptions\\" + guid("sens logon"), "SubscriptionName",
           "SENS Logon")
    quiet("Protected branch", HKLM, es + "\\Subscriptions\\" + guid("sens logon"),
          "PublisherPath", gone(PF + "\\Toolbox\\tbsens.dll"),
          "Under SOFTWARE\\Microsoft\\EventSystem: protected.")
    quiet("Protected branch", HKLM,
          "SOFTWARE\\Microsoft\\Protected Storage System Provider\\S-1-5-21-1004", "Backup",
          gone(PF + "\\PhotoMagic\\pstore.bak"),
          "Under SOFTWARE\\Microsoft\\Protected Storage...: protected.")
    quiet("Protected branch", HKLM, "SOFTWARE\\Microsoft\\SystemCertificates\\AuthRoot",
          "LegacyStore", gone(WIN + "\\certs\\authroot.sst"),
          "Under SOFTWARE\\Microsoft\\SystemCertificates: protected.")
    REG.binary(HKLM, "SOFTWARE\\Microsoft\\SystemCertificates\\Root\\Certificates\\"
               "CDD4EEAE6000AC7F40C3802C171E30148030C072", "Blob", bytes(range(48)))


# --------------------------------------------------------------------------------------------
# HKEY_CURRENT_USER

USER_FOLDERS = [  # (Shell Folders name, folder below the profile)
    ("AppData", "Application Data"), ("Cache", "Local Settings\\Temporary Internet Files"),
    ("Cookies", "Cookies"), ("Desktop", "Desktop"), ("Favorites", "Favorites"),
    ("History", "Local Settings\\History"), ("Local AppData", "Local Settings\\Application Data"),
    ("Local Settings", "Local Settings"), ("My Music", "My Documents\\My Music"),
    ("My Pictures", "My Documents\\My Pictures"), ("My Video", "My Documents\\My Videos"),
    ("NetHood", "NetHood"), ("Personal", "My Documents"), ("PrintHood", "PrintHood"),
    ("Programs", "Start Menu\\Programs"), ("Recent", "Recent"), ("SendTo", "SendTo"),
    ("Start Menu", "Start Menu"), ("Startup", "Start Menu\\Programs\\Startup"),
    ("Templates", "Templates"),
]


def build_sounds():
    ev = "AppEvents\\EventLabels"
    sch = "AppEvents\\Schemes"
    REG.sz(HKCU, sch, "", ".Default")
    REG.sz(HKCU, sch + "\\Apps\\.Default", "", "Windows")
    REG.sz(HKCU, sch + "\\Names\\.Default", "", "Windows Default")
    REG.sz(HKCU, sch + "\\Names\\.None", "", "No Sounds")
    planted = {
        "SystemAsterisk": ("D1", WIN + "\\Media\\Old Theme\\asterisk.wav",
                           "The current scheme's sound was deleted with its theme folder."),
        "MailBeep": ("D2", WIN + "\\Media\\ding2.wav", None),
    }
    for event, label, f in SOUNDS:
        REG.sz(HKCU, ev + "\\" + event, "", label)
        k = sch + "\\Apps\\.Default\\" + event
        path = WIN + "\\Media\\" + f if f else ""
        REG.sz(HKCU, k + "\\.Default", "", path)
        if event in planted:
            ident, missing, note = planted[event]
            plant(ident, "Sounds", HKCU, k + "\\.Current", "", gone(missing), missing, "sound",
                  ["default", "64"], note=note or "")
        else:
            REG.sz(HKCU, k + "\\.Current", "", path)
    REG.sz(HKCU, sch + "\\Apps\\Explorer", "", "Windows Explorer")
    for event, label, f in EXPLORER_SOUNDS:
        REG.sz(HKCU, ev + "\\" + event, "", label)
        k = sch + "\\Apps\\Explorer\\" + event
        path = WIN + "\\Media\\" + f if f else ""
        REG.sz(HKCU, k + "\\.Default", "", path)
        if event == "Navigating":
            plant("D3", "Sounds", HKCU, k + "\\.Current", "",
                  gone(WIN + "\\Media\\Start Old.wav"), WIN + "\\Media\\Start Old.wav", "sound",
                  ["default"],
                  note="Under Apps\\Explorer, which bit 64 alone does not walk (it walks "
                       "Apps\\.Default only). A space in the file name: the text before it "
                       "names nothing, so nothing is cut.")
        else:
            REG.sz(HKCU, k + "\\.Current", "", path)
    # A sound scheme of a program that is still installed.
    REG.sz(HKCU, sch + "\\Apps\\Mapleleaf Mail", "", "Mapleleaf Mail")
    REG.sz(HKCU, sch + "\\Apps\\Mapleleaf Mail\\NewMail\\.Current", "",
           ex(APPS[3].Dir + "\\Sounds\\newmail.wav"))
    REG.sz(HKCU, ev + "\\NewMail", "", "Mapleleaf: New Mail")


def build_user():
    build_sounds()

    # Control Panel.
    cp = "Control Panel"
    REG.sz(HKCU, cp + "\\Desktop", "Wallpaper", WIN + "\\Web\\Wallpaper\\Bliss.bmp")
    REG.sz(HKCU, cp + "\\Desktop", "OriginalWallpaper", WIN + "\\Web\\Wallpaper\\Bliss.bmp")
    REG.sz(HKCU, cp + "\\Desktop", "TileWallpaper", "0")
    REG.sz(HKCU, cp + "\\Desktop", "WallpaperStyle", "2")
    REG.sz(HKCU, cp + "\\Desktop", "Pattern", "(None)")
    REG.sz(HKCU, cp + "\\Desktop", "ScreenSaveActive", "1")
    REG.sz(HKCU, cp + "\\Desktop", "ScreenSaveTimeOut", "600")
    REG.sz(HKCU, cp + "\\Desktop", "SCRNSAVE.EXE", SYS32 + "\\logon.scr")
    REG.sz(HKCU, cp + "\\Desktop", "MenuShowDelay", "400")
    REG.sz(HKCU, cp + "\\Desktop", "FontSmoothing", "2")
    REG.binary(HKCU, cp + "\\Desktop", "UserPreferencesMask", [0x9E, 0x3E, 0x07, 0x80])
    REG.sz(HKCU, cp + "\\Desktop\\WindowMetrics", "Shell Icon Size", "32")
    REG.binary(HKCU, cp + "\\Desktop\\WindowMetrics", "CaptionFont",
               struct.pack("<5i", -11, 0, 0, 0, 700) + b"T\0a\0h\0o\0m\0a\0" + bytes(20))
    for name, rgb in [("ActiveTitle", "0 84 227"), ("Background", "0 78 152"),
                      ("Window", "255 255 255"), ("WindowText", "0 0 0"),
                      ("Menu", "255 255 255"), ("ButtonFace", "236 233 216")]:
        REG.sz(HKCU, cp + "\\Colors", name, rgb)
    REG.sz(HKCU, cp + "\\Cursors", "", "Windows Default")
    REG.sz(HKCU, cp + "\\Cursors", "Arrow", "")
    REG.expand(HKCU, cp + "\\Cursors", "AppStarting", "%SystemRoot%\\cursors\\busy_m.cur")
    REG.expand(HKCU, cp + "\\Cursors", "Wait", "%SystemRoot%\\Cursors\\wait.ani")
    REG.sz(HKCU, cp + "\\Cursors", "Help", WIN + "\\Cursors\\help_m.cur")
    REG.dword(HKCU, cp + "\\Cursors", "Scheme Source", 2)
    intl = cp + "\\International"
    for name, value in [("Locale", "00000409"), ("sCountry", "United States"),
                        ("sLanguage", "ENU"), ("sShortDate", "M/d/yyyy"),
                        ("sLongDate", "dddd, MMMM dd, yyyy"), ("sTimeFormat", "h:mm:ss tt"),
                        ("sTime", ":"), ("sDecimal", "."), ("sList", ","), ("sCurrency", "$"),
                        ("s1159", "AM"), ("s2359", "PM"), ("iCountry", "1")]:
        REG.sz(HKCU, intl, name, value)
    REG.sz(HKCU, cp + "\\Mouse", "DoubleClickSpeed", "500")
    REG.sz(HKCU, cp + "\\Mouse", "MouseSpeed", "1")
    REG.sz(HKCU, cp + "\\Sound", "Beep", "yes")
    REG.sz(HKCU, cp + "\\Sound", "ExtendedSounds", "yes")
    REG.binary(HKCU, cp + "\\Appearance\\Schemes", "Windows Standard", bytes(range(1, 61)))
    REG.sz(HKCU, cp + "\\Appearance", "Current", "Windows Standard")
    REG.sz(HKCU, cp + "\\Accessibility\\StickyKeys", "Flags", "510")

    # Environment (REG_EXPAND_SZ, written as hex(2) with ANSI bytes).
    REG.expand(HKCU, "Environment", "TEMP", "%USERPROFILE%\\Local Settings\\Temp")
    REG.expand(HKCU, "Environment", "TMP", "%USERPROFILE%\\Local Settings\\Temp")
    REG.sz(HKCU, "Environment", "ORBIT_HOME", APPS[2].Dir)
    exdir(USER + "\\Local Settings\\Temp")
    ex(USER + "\\Local Settings\\Temp\\~orbit0001.tmp")

    REG.sz(HKCU, "Keyboard Layout\\Preload", "1", "00000409")
    REG.sz(HKCU, "Keyboard Layout\\Toggle", "Hotkey", "1")
    REG.sz(HKCU, "Network\\Z", "RemotePath", "\\\\fileserver\\public")
    REG.sz(HKCU, "Network\\Z", "UserName", "")
    REG.sz(HKCU, "Network\\Z", "ProviderName", "Microsoft Windows Network")
    REG.dword(HKCU, "Network\\Z", "ProviderType", 0x20000)
    REG.dword(HKCU, "Network\\Z", "ConnectionType", 1)
    REG.sz(HKCU, "Printers", "DeviceOld", "HP LaserJet 4,winspool,Ne00:")
    REG.sz(HKCU, "Console", "FaceName", "Lucida Console")
    REG.dword(HKCU, "Console", "ScreenBufferSize", 0x012C0050)
    REG.dword(HKCU, "Console", "QuickEdit", 0)
    ident = "Identities\\" + guid("main identity")
    REG.sz(HKCU, "Identities", "Default User ID", guid("main identity"))
    REG.sz(HKCU, ident, "Username", "Main Identity")
    REG.sz(HKCU, ident + "\\Software\\Microsoft\\Outlook Express\\5.0", "Store Root",
           exdir(USER + "\\Local Settings\\Application Data\\Identities\\" +
                 guid("main identity") + "\\Microsoft\\Outlook Express"))

    # Shell folders of the user.
    sf = CU_CV + "\\Explorer\\Shell Folders"
    usf = CU_CV + "\\Explorer\\User Shell Folders"
    for name, sub in USER_FOLDERS:
        REG.sz(HKCU, sf, name, exdir(USER + "\\" + sub))
        REG.expand(HKCU, usf, name, "%USERPROFILE%\\" + sub)
    REG.sz(HKCU, sf, "Fonts", WIN + "\\Fonts")
    REG.sz(HKCU, sf, "CD Burning", exdir(USER + "\\Local Settings\\Application Data\\"
                                         "Microsoft\\CD Burning"))
    REG.sz(HKCU, sf, "!Do not use this registry key",
           "Use the SHGetFolderPath or SHGetKnownFolderPath function instead")

    # Explorer's lists.
    ex_ = CU_CV + "\\Explorer"
    REG.sz(HKCU, ex_ + "\\RunMRU", "a", "notepad\\1")
    REG.sz(HKCU, ex_ + "\\RunMRU", "b", "cmd\\1")
    REG.sz(HKCU, ex_ + "\\RunMRU", "c", "regedit\\1")
    REG.sz(HKCU, ex_ + "\\RunMRU", "MRUList", "cab")
    REG.binary(HKCU, ex_ + "\\RecentDocs", "0", "report.doc".encode("utf-16-le") + bytes(6))
    REG.binary(HKCU, ex_ + "\\RecentDocs", "MRUListEx", struct.pack("<2i", 0, -1))
    osm = ex_ + "\\ComDlg32\\OpenSaveMRU"
    REG.sz(HKCU, osm + "\\doc", "a", ex(DOCS + "\\report.doc"))
    REG.sz(HKCU, osm + "\\doc", "MRUList", "a")
    REG.sz(HKCU, osm + "\\*", "a", ex(DOCS + "\\budget.csv"))
    REG.sz(HKCU, osm + "\\*", "b", ex(DOCS + "\\report.doc"))
    REG.sz(HKCU, osm + "\\*", "MRUList", "ba")
    REG.binary(HKCU, ex_ + "\\ComDlg32\\LastVisitedMRU", "a",
               b"notepad.exe\0" + DOCS.encode(CODE_PAGE) + b"\0")
    adv = ex_ + "\\Advanced"
    for name, val in [("Hidden", 2), ("HideFileExt", 1), ("ShowSuperHidden", 0),
                      ("Start_ShowMyComputer", 1), ("TaskbarGlomming", 1), ("WebView", 1)]:
        REG.dword(HKCU, adv, name, val)
    REG.binary(HKCU, ex_ + "\\StuckRects2", "Settings", bytes([0x28, 0, 0, 0, 0xFF, 0xFF]))
    # MUICache: the NAMES are program paths (some long gone), the data are display names.
    mui = "Software\\Microsoft\\Windows\\ShellNoRoam\\MUICache"
    REG.sz(HKCU, mui, "LangID", "0904")
    REG.sz(HKCU, mui, APPS[2].Exe, "Orbit Net")
    quiet("Value name only", HKCU, mui, PF + "\\PhotoMagic\\pmagic.exe", "PhotoMagic",
          "The value NAME is a missing program; the data is a plain word (PathKind 0).")

    # Start-up programs of the user.
    run = CU_CV + "\\Run"
    REG.sz(HKCU, run, "ctfmon.exe", SYS32 + "\\ctfmon.exe")
    REG.sz(HKCU, run, "Harbor Chat", '"%s" /background' % APPS[12].Exe)
    plant("F2", "Start-up programs", HKCU, run, "TrayClock",
          '"%s" -min' % gone(PF + "\\TrayClock\\trayclock.exe"),
          PF + "\\TrayClock\\trayclock.exe", "autorun", ["default", "512"], autorun=True,
          note="HKEY_CURRENT_USER Run key; quoted program with a switch.")
    REG.sz(HKCU, CU_CV + "\\RunOnce", "Nimbus first run", '"%s" /firstrun' % APPS[20].Exe)

    # Windows NT\CurrentVersion\Windows of the user: the "load" value.
    wn = CU_NTCV + "\\Windows"
    REG.sz(HKCU, wn, "Device", "HP LaserJet 4,winspool,Ne00:")
    REG.sz(HKCU, wn, "run", "")
    REG.sz(HKCU, wn, "DosPrint", "no")
    plant("K2", "Trojans", HKCU, wn, "load", gone(WIN + "\\rundll16.exe"),
          WIN + "\\rundll16.exe", "trojan", ["default"], trojan="SubSeven",
          note="Found by the walker (pattern rundll16.exe, file missing). Not a Run key, so "
               "Delete. Bit 8 alone walks no branch, and no selective branch holds this key.")
    PLANTS.append(Plant("K2b", "Trojans", HKCU, wn, "load", "rundll16.exe", REG_SZ,
                        "rundll16.exe", "trojan", ["default", "8"], trojan="SubSeven",
                        entry="lock",
                        note="The SAME value found again by the lock-location check "
                             "(TrojanLock.ini: SubSeven;2;...\\Windows;load;rundll16.exe): "
                             "duplicates are not detected."))
    REG.sz(HKCU, "Software\\Microsoft\\Internet Explorer\\Main", "Start Page",
           "http://www.example.com/")
    REG.sz(HKCU, "Software\\Microsoft\\Internet Explorer\\Main", "Search Page",
           "http://www.example.com/search?q=")
    REG.sz(HKCU, "Software\\Microsoft\\Internet Explorer\\Main", "Local Page",
           SYS32 + "\\blank.htm")
    REG.sz(HKCU, "Software\\Microsoft\\Internet Explorer\\Main", "Download Directory",
           exdir(USER + "\\My Documents\\Downloads"))
    for n, url in enumerate(["http://www.example.com/", "www.kestrel-labs.example",
                             "ftp://ftp.example.org/pub/", "file:///C:/Documents%20and%20"
                             "Settings/Owner/My%20Documents/index.html"], 1):
        REG.sz(HKCU, "Software\\Microsoft\\Internet Explorer\\TypedURLs", "url%d" % n, url)
    REG.sz(HKCU, "Software\\Microsoft\\Notepad", "lfFaceName", "Lucida Console")
    REG.dword(HKCU, "Software\\Microsoft\\Notepad", "iPointSize", 100)
    REG.dword(HKCU, "Software\\Microsoft\\Notepad", "fWrap", 1)
    REG.sz(HKCU, "Software\\Microsoft\\Windows Media\\WMSDK\\General", "VolumeSerialNumber",
           "18FB2200")
    REG.sz(HKCU, "Software\\Microsoft\\MediaPlayer\\Player\\RecentFileList", "File0",
           ex(USER + "\\My Documents\\My Music\\Sample Song.wma"))
    REG.sz(HKCU, "Software\\Microsoft\\MediaPlayer\\Player\\RecentURLList", "URL0",
           "http://radio.example.net:8000/stream")


def build_user_vendors():
    ink = "Software\\%s\\%s" % (APPS[1].Vendor, APPS[1].Product)
    ex(DOCS + "\\Letters\\letter to bank.doc")
    REG.sz(HKCU, ink + "\\Recent File List", "File4", DOCS + "\\Letters\\letter to bank.doc")
    plant("M1", "File not found", HKCU, ink + "\\Recent File List", "File5",
          gone(DOCS + "\\Letters\\old letter.doc"), DOCS + "\\Letters\\old letter.doc", "file",
          ["default"],
          note="A document in a recent-files list, deleted since. The text up to the first "
               "space after the last \"\\\" (...\\Letters\\old) names nothing, so nothing is cut.")
    quill = "Software\\%s\\%s\\Recent File List" % (APPS[21].Vendor, APPS[21].Product)
    REG.sz(HKCU, quill, "File9", ex(DOCS + "\\R\u00e9sum\u00e9 2005.qed"))

    orbit = "Software\\%s\\%s" % (APPS[2].Vendor, APPS[2].Product)
    REG.sz(HKCU, orbit + "\\Settings", "HomePage", "http://www.orbit.example/start")
    REG.sz(HKCU, orbit + "\\Settings", "CacheDir",
           exdir(USER + "\\Local Settings\\Application Data\\Orbit\\Cache"))
    REG.sz(HKCU, orbit + "\\Settings", "Profile", "C:\\")
    plant("M2", "Folder or drive not found", HKCU, orbit + "\\Settings", "DownloadDir",
          gone("D:\\Downloads"), "D:\\Downloads", "absent", ["default"],
          note="A folder (PathKind 1) on drive D:, which the machine does not have: its drive "
               "is not present, so it is a \"Drive not present\" row that starts at Ignore.")
    REG.key(HKCU, orbit + "\\Recent")
    PLANTS.append(Plant("I1", "Empty keys", HKCU, orbit + "\\Recent", None, "Recent", REG_SZ,
                        "", "empty", ["256"], entry="key", note="No values, no subkeys."))

    kl = "Software\\Kestrel Labs\\Launcher"
    REG.sz(HKCU, kl, "Title", "Kestrel Launcher")
    REG.dword(HKCU, kl, "Columns", 4)
    plant("M5", "Shell32", HKCU, kl, "Icon", gone(WIN + "\\SYSTEM\\shell32.dll") + ",12",
          WIN + "\\SYSTEM\\shell32.dll", "shell32", ["default"],
          note="TargetPath contains SHELL32: the Shell32 row kind (counted under Shared DLLs). "
               "The real shell32.dll lives in system32.")
    REG.sz(HKCU, kl, "Icon2", SYS32 + "\\shell32.dll,-154")

    plant("L3", "Excluded by Ignore.ini", HKCU, "Software\\OldSuite\\Settings", "Workspace",
          gone(PF + "\\OldSuite\\Projects") + "\\", PF + "\\OldSuite\\Projects\\", "excluded",
          ["default"], note="A missing folder below the excluded C:\\Program Files\\OldSuite.")
    REG.dword(HKCU, "Software\\OldSuite\\Settings", "AutoSave", 1)

    # A few settings of Windows' own programs with plain values.
    REG.sz(HKCU, "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Paint\\Recent File List",
           "File1", ex(USER + "\\My Documents\\My Pictures\\holiday.bmp"))
    REG.sz(HKCU, CU_CV + "\\Applets\\Wordpad\\Recent File List", "File1",
           DOCS + "\\report.doc")
    REG.sz(HKCU, "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit", "LastKey",
           "My Computer\\HKEY_LOCAL_MACHINE\\SOFTWARE\\Kestrel Labs")
    REG.sz(HKCU, "Software\\Microsoft\\Search Assistant\\ACMru\\5603", "000", "*.doc")
    REG.sz(HKCU, "Software\\Microsoft\\Search Assistant\\ACMru\\5603", "001", "budget")


# --------------------------------------------------------------------------------------------
# Names beyond code page 1252: a second user's profile, a program with a Cyrillic name that is
# installed and one with a Greek name that was removed. The scan must find the existing ones
# (any script, any letter case) and report the missing ones with their exact text.

LI_MING = "\u674e\u660e"                                     # 李明, a second user
LI = "C:\\Documents and Settings\\" + LI_MING
FOTO_NAME = "\u0424\u043e\u0442\u043e \u041c\u0430\u0441\u0442\u0435\u0440"  # Фото Мастер
FOTO = PF + "\\" + FOTO_NAME
OMEGA_NAME = "\u03a9mega"                                     # Ωmega
OMEGA = PF + "\\" + OMEGA_NAME
PINYIN = "\u62fc\u97f3\u8f93\u5165"                            # 拼音输入 (a Pinyin input tool)


def build_unicode():
    # 李明's profile and the documents Owner opens from it.
    for sub in ("Desktop", "Application Data", "Start Menu\\Programs"):
        exdir(LI + "\\" + sub)
    li_docs = LI + "\\My Documents"
    weekly = ex(li_docs + "\\\u5468\u62a5.txt")                       # 周报.txt
    photo = ex(li_docs + "\\\u7167\u7247 \U0001F4F7.jpg")               # 照片 📷.jpg (emoji)
    osm = CU_CV + "\\Explorer\\ComDlg32\\OpenSaveMRU"
    REG.sz(HKCU, osm + "\\txt", "a", weekly)
    REG.sz(HKCU, osm + "\\txt", "MRUList", "a")
    REG.sz(HKCU, osm + "\\jpg", "a", photo)
    REG.sz(HKCU, osm + "\\jpg", "MRUList", "a")

    # Фото Мастер: installed for Owner alone (a per-user uninstall entry); every file exists.
    foto_exe = ex(FOTO + "\\foto.exe")
    un = CU_CV + "\\Uninstall\\" + FOTO_NAME
    REG.sz(HKCU, un, "DisplayName", FOTO_NAME + " 2.0")
    REG.sz(HKCU, un, "UninstallString", '"%s" /u' % ex(FOTO + "\\uninstall.exe"))
    REG.sz(HKCU, un, "DisplayIcon", foto_exe + ",0")
    REG.sz(HKCU, un, "InstallLocation", FOTO)
    REG.sz(HKCU, "Software\\" + FOTO_NAME + "\\Settings", "LastFolder", li_docs)
    REG.sz(HKCU, "Software\\" + FOTO_NAME + "\\Settings", "Program", foto_exe)

    # Ωmega: its folder was deleted, its per-user entries stayed.
    un = CU_CV + "\\Uninstall\\" + OMEGA_NAME
    REG.sz(HKCU, un, "DisplayName", OMEGA_NAME + " 3")
    plant("G4", "Uninstall entries", HKCU, un, "UninstallString",
          '"%s"' % gone(OMEGA + "\\unins000.exe"), OMEGA + "\\unins000.exe", "uninstall",
          ["default"],
          note="A per-user uninstall entry (HKEY_CURRENT_USER) of a program with a Greek name; "
               "the selective uninstall scan (128 alone) walks only HKEY_LOCAL_MACHINE.")
    plant("G5", "Uninstall entries", HKCU, un, "DisplayIcon", gone(OMEGA + "\\omega.exe") + ",0",
          OMEGA + "\\omega.exe", "uninstall", ["default"],
          note="The icon index after the comma is cut; the Greek name is kept exactly.")
    plant("M7", "Folder or drive not found", HKCU, "Software\\" + OMEGA_NAME + " Software\\" +
          OMEGA_NAME, "InstallDir", gone(OMEGA), OMEGA, "folder", ["default"],
          note="A key and a folder named in Greek.")

    # A Pinyin input tool Owner uses: installed, but its user dictionary in 李明's profile is
    # gone. Key, value name and path are all Chinese.
    pinyin_exe = ex(PF + "\\" + PINYIN + "\\pinyin.exe")
    tool = "Software\\" + PINYIN + "\\\u8bbe\u7f6e"                        # ...\设置
    REG.sz(HKCU, tool, "\u7a0b\u5e8f", pinyin_exe)                             # 程序
    REG.sz(HKCU, tool, "\u5907\u4efd\u76ee\u5f55", li_docs)                      # 备份目录
    dictionary = LI + "\\Application Data\\" + PINYIN + "\\\u7528\u6237\u8bcd\u5e93.dat"
    plant("M8", "File not found", HKCU, tool, "\u8bcd\u5e93\u6587\u4ef6", gone(dictionary),  # 词库文件
          dictionary, "file", ["default"],
          note="Key, value name and data in Chinese, below the second user's profile.")

    # Shortcuts on 李明's desktop: two lead to files that exist, one to the removed Ωmega.
    desk = LI + "\\Desktop"
    ex(desk + "\\\u5468\u62a5.lnk", make_lnk(weekly))
    ex(desk + "\\" + FOTO_NAME + ".lnk", make_lnk(foto_exe, workdir=FOTO))
    omega_exe = OMEGA + "\\omega.exe"
    ex(desk + "\\" + OMEGA_NAME + ".lnk", make_lnk(omega_exe, workdir=OMEGA))
    PLANTS.append(Plant("S4", "Shortcuts", None, desk + "\\" + OMEGA_NAME, None, omega_exe, None,
                        omega_exe, "shortcut", ["shortcuts"], entry="shortcut",
                        finding_key=desk + "\\" + OMEGA_NAME,
                        note="A shortcut whose target holds a Greek name: the link keeps it in "
                             "its Unicode copy (the ANSI copy reads C:\\Program Files\\?mega)."))


# --------------------------------------------------------------------------------------------
# Shortcuts beyond the programs' own

def build_shortcuts():
    desk = USER + "\\Desktop"
    ex(desk + "\\My Documents.lnk", make_lnk(DOCS))                       # a folder target
    ex(desk + "\\Budget.lnk", make_lnk(DOCS + "\\budget.csv"))
    ex(USER + "\\Recent\\report.lnk", make_lnk(DOCS + "\\report.doc"))
    ex(USER + "\\SendTo\\Notepad.lnk", make_lnk(WIN + "\\notepad.exe"))
    ex(USER + "\\Start Menu\\Programs\\Startup\\Harbor Chat.lnk", make_lnk(APPS[12].Exe))
    ex(ALLUSERS + "\\Start Menu\\Programs\\Accessories\\Notepad.lnk",
       make_lnk(WIN + "\\notepad.exe"))
    ex(ALLUSERS + "\\Start Menu\\Programs\\Accessories\\Calculator.lnk",
       make_lnk(SYS32 + "\\calc.exe"))
    ex(ALLUSERS + "\\Start Menu\\Programs\\Accessories\\Paint.lnk",
       make_lnk(SYS32 + "\\mspaint.exe"))

    gp = ALLUSERS + "\\Start Menu\\Programs\\Gone Player"
    for ident, name, target, note in [
            ("S1", "Gone Player", PF + "\\Gone Player\\player.exe",
             "The program's folder was deleted; its start-menu folder stayed."),
            ("S2", "Read Me", PF + "\\Gone Player\\readme.txt", "A document target.")]:
        ex(gp + "\\" + name + ".lnk", make_lnk(gone(target), workdir=PF + "\\Gone Player"))
        PLANTS.append(Plant(ident, "Shortcuts", None, gp + "\\" + name, None, target, None,
                            target, "shortcut", ["shortcuts"], entry="shortcut",
                            finding_key=gp + "\\" + name, note=note))
    pm = PF + "\\PhotoMagic\\pmagic.exe"
    ex(desk + "\\PhotoMagic.lnk", make_lnk(pm, args="/nosplash"))
    PLANTS.append(Plant("S3", "Shortcuts", None, desk + "\\PhotoMagic", None, pm, None, pm,
                        "shortcut", ["shortcuts"], entry="shortcut",
                        finding_key=desk + "\\PhotoMagic",
                        note="Desktop shortcut with arguments; the target is read from "
                             "LinkInfo's LocalBasePath."))


# --------------------------------------------------------------------------------------------
# Self-checks: what the scan will see must be what the README promises

def check():
    errors = []
    for m in sorted(MISSING):
        if m.startswith("C:\\") and DRIVE.exists(m):
            errors.append("planted missing path exists: " + m)
    for p in PLANTS:
        if p.Entry in ("value", "key") and is_protected(p.Path):
            errors.append("%s sits under a protected branch: %s" % (p.Id, p.Path))
    for group, key, name, data, why in QUIET:
        if group == "Protected branch" and not is_protected(key.split("\\", 1)[1]):
            errors.append("quiet entry is not protected: " + key)
    # Keys without values and subkeys outside the protected branches: only the planted ones.
    planted_empty = {(p.Root, p.Path.upper()) for p in PLANTS if p.Row == "empty"}
    for root in (HKLM, HKCU):
        paths = REG.all_paths(root)
        parents = {p.rsplit("\\", 1)[0] for p in paths if "\\" in p}
        for upper, spelled in paths.items():
            k = REG.Keys.get((root, upper))
            has_values = k is not None and k.Values
            if has_values or upper in parents or is_protected(spelled):
                continue
            if (root, upper) not in planted_empty:
                errors.append("unplanned empty key: %s\\%s" % (root, spelled))
    # The walker reports a value whose file exists only as a driver, and only when the drivers
    # box (32) is part of the options: the default boxes must not be promised such a value.
    for p in PLANTS:
        if p.Entry not in ("value", "key") or p.Row == "empty":
            continue
        if not DRIVE.exists(p.Target.rstrip(" ")):
            continue
        if p.Row != "driver":
            errors.append("%s: its file exists, so no scan reports it" % p.Id)
        elif any(m not in ("32", "any 32") for m in p.Masks):
            errors.append("%s: an existing driver is reported only with bit 32" % p.Id)
    ids = [p.Id for p in PLANTS]
    if len(ids) != len(set(ids)):
        errors.append("duplicate plant ids")
    if errors:
        raise SystemExit("\n".join(errors))


# --------------------------------------------------------------------------------------------
# Program folder and machine.env

def write_program_folder():
    folder = os.path.join(MACHINE, "program")
    ignore = ["C:\\Program Files\\OldSuite", "D:\\Archive\\Old Installers"]
    write_bytes(os.path.join(folder, "Ignore.ini"), (CRLF.join(ignore) + CRLF).encode(CODE_PAGE))
    for name in ("TrojanDef.ini", "TrojanLock.ini"):
        with open(os.path.join(REPO, "data", name), "rb") as f:
            write_bytes(os.path.join(folder, name), f.read())
    return ignore


def write_machine_env():
    lines = ["# The scanned machine: Windows directory C:\\Windows, drive C: = drive_c/.",
             "# One NAME=VALUE per line (LF line ends); lines starting with # are comments.",
             "# Pass each line as --env NAME=VALUE, with --windows-dir C:\\Windows."]
    lines += ["%s=%s" % (k, v) for k, v in ENVIRONMENT]
    write_bytes(os.path.join(MACHINE, "machine.env"), ("\n".join(lines) + "\n").encode(CODE_PAGE))


# --------------------------------------------------------------------------------------------
# README.md

GROUP_ORDER = ["Shared DLLs", "Help files", "Application paths", "Sounds", "Fonts",
               "Start-up programs", "Uninstall entries", "COM servers", "Empty keys", "Drivers",
               "Drivers (file present)", "Drivers (only with 32 alone)", "Trojans",
               "Shell32", "File not found", "Folder or drive not found",
               "Excluded by Ignore.ini", "Shortcuts"]

MASK_TEXT = {"default": "1759", "shortcuts": "shortcut scan"}


def code(text):
    """A Markdown code span; a trailing space (invisible there) is spelled out after it."""
    if text is None:
        return ""
    trailing = len(text) - len(text.rstrip(" "))
    text = text.rstrip(" ").replace("|", "\\|")
    tick = "``" if "`" in text else "`"
    span = "%s%s%s" % (tick, text, tick)
    if trailing:
        span += " + %d trailing space%s" % (trailing, "s" if trailing > 1 else "")
    return span


def shown_with(p):
    out = []
    for m in p.Masks:
        if m == "default":
            out.append("1759")
        elif m == "shortcuts":
            out.append("shortcut scan (default on)")
        elif m == "256":
            out.append("any mask with 256")
        elif m == "8":
            out.append("any mask with 8 (also 8 alone)")
        elif m.startswith("any "):
            out.append("any mask with %s (also %s alone)" % (m[4:], m[4:]))
        else:
            out.append("%s alone" % m)
    return ", ".join(out)


def walk_position(p):
    """Where the default scan (whole registry) appends the finding: HKEY_CURRENT_USER before
    HKEY_LOCAL_MACHINE, depth first with a key's values before its subkeys, subkeys in
    case-insensitive order, values in file order; lock-location findings after the walk, in
    TrojanLock.ini order."""
    if p.Entry == "lock":
        locks = ["SOFTWARE\\MICROSOFT\\WINDOWS NT\\CURRENTVERSION\\WINLOGON",
                 "SOFTWARE\\MICROSOFT\\WINDOWS NT\\CURRENTVERSION\\WINDOWS"]
        return (2, [], locks.index(p.Path.upper()))
    k = REG.Keys[(p.Root, p.Path.upper())]
    names = [v.Name.upper() for v in k.Values]
    return ((0 if p.Root == HKCU else 1), [c.upper() for c in p.Path.split("\\")],
            names.index(p.Name.upper()) if p.Name is not None else -1)


def default_indexes():
    shown = [p for p in PLANTS if "default" in p.Masks and p.Row != "shortcut"]
    return {p.Id: n for n, p in enumerate(sorted(shown, key=walk_position), 1)}


def plant_rows():
    rows = sorted(PLANTS, key=lambda p: (GROUP_ORDER.index(p.Group), PLANTS.index(p)))
    indexes = default_indexes()
    out = ["| Id | Index | Key (or shortcut) | Value | Data as the scan reads it "
           "| Row in the results grid | Counter | Action | Shown with |",
           "|---|---:|---|---|---|---|---|---|---|"]
    for p in rows:
        if p.Entry == "shortcut":
            key = code(p.FindingKey + ".lnk")
            name = ""
        elif p.Entry == "key" and p.Row == "com":
            key = code(p.Root + "\\" + p.Path)
            name = "(default)"
        elif p.Entry == "key":
            key = code(p.FindingKey)
            name = "(key)"
        else:
            key = code(p.FindingKey)
            name = "(default)" if p.Name == "" else code(p.Name)
        data = code(p.Data) if p.Data else ""
        if p.Kind == REG_EXPAND_SZ:
            data += " (REG_EXPAND_SZ `%s`)" % REG.Keys[(p.Root, p.Path.upper())] \
                .Values[[v.Name for v in REG.Keys[(p.Root, p.Path.upper())].Values]
                        .index(p.Name)].Data
        index = indexes.get(p.Id, "")
        if p.Row == "shortcut":
            index = "S%d" % (1 + [q.Id for q in PLANTS if q.Row == "shortcut"].index(p.Id))
        out.append("| %s | %s | %s | %s | %s | %s | %s | %s | %s |" % (
            p.Id, index, key, name, data, code(p.Description), p.Counter, p.ActionCell,
            shown_with(p)))
    return out


def plant_notes():
    out = []
    rows = sorted(PLANTS, key=lambda p: (GROUP_ORDER.index(p.Group), PLANTS.index(p)))
    for p in rows:
        extra = []
        if p.Entry == "key" and p.Row == "com":
            extra.append("Key finding: KeyPath %s, ItemName %s." % (
                code(p.FindingKey), code(p.FindingKey.rsplit("\\", 1)[1])))
        if p.Entry == "lock":
            extra.append("Lock-location finding: KeyPath %s, ItemName %s, ItemData = TargetPath "
                         "= %s." % (code(p.FindingKey), code(p.Name), code(p.Target)))
        if p.Note or extra:
            out.append("- **%s** (%s): %s" % (p.Id, p.Group, " ".join([p.Note] + extra).strip()))
    return out


def totals():
    counts = {}
    total = 0
    for p in PLANTS:
        if p.Row == "shortcut":
            counts["lblShortcuts"] = counts.get("lblShortcuts", 0) + 1
            continue
        if "default" not in p.Masks or p.Row == "excluded":
            continue
        counter = ROW_KINDS[p.Row][3]
        counts[counter] = counts.get(counter, 0) + 1
        total += 1
    rows = sum(1 for p in PLANTS if "default" in p.Masks and p.Row != "shortcut")
    return counts, total, rows


def write_readme(ignore, keys_cu, keys_lm, total_keys):
    counts, total, registry_rows = totals()
    excluded = sum(1 for p in PLANTS if p.Row == "excluded" and "default" in p.Masks)
    shortcuts = sum(1 for p in PLANTS if p.Row == "shortcut")
    locks = sum(1 for p in PLANTS if p.Entry == "lock")
    counter_order = ["lblTotalProblems", "lblTrojan", "lblFonts", "lblStartup", "lblSounds",
                     "lblDevs", "lblHelp", "lblEmpty", "lblShared", "lblAddRemove", "lblVirDev",
                     "lblShortcuts"]
    captions = {"lblTotalProblems": "Problem(s) Found", "lblTrojan": "Trojan Horse",
                "lblFonts": "Windows Fonts", "lblStartup": "Startup Programs",
                "lblSounds": "Sounds", "lblDevs": "Device Drivers",
                "lblHelp": "Help and Resources",
                "lblEmpty": "Empty Folders", "lblShared": "Shared DLLs",
                "lblAddRemove": "Add/Remove Programs", "lblVirDev": "Virtual Devices",
                "lblShortcuts": "Shortcuts and Links"}
    counts["lblTotalProblems"] = total
    L = []
    L += ["# Sample machine", "",
          "A small, made-up Windows XP machine for trying Kestovar Hivewarden without touching a "
          "real registry. Generated by `tools/generate.py` (Python 3 standard library only, "
          "deterministic: running it again rewrites identical bytes). Do not edit the generated "
          "files by hand; change the script and run it again:", "",
          "```sh", "python3 examples/sample-machine/tools/generate.py", "```", "",
          "## The machine", "",
          "- User `Owner`, profile `C:\\Documents and Settings\\Owner`, Windows directory "
          "`C:\\Windows` (spelled `C:\\WINDOWS` in much of the registry data; drive lookups "
          "ignore case).",
          "- %d programs are installed (`C:\\Program Files\\...`, each with its App Paths, "
          "Add/Remove, shared-DLL, help, file-type, start-menu and user-settings entries, all "
          "pointing at files that exist)." % len(APPS),
          "- Eight programs were removed carelessly and left entries behind: PhotoMagic, "
          "Gone Player, Toolbox, TrayClock, OldUpdater, Typeworks (a font pack), `%s` (a "
          "per-user install with a Greek name) and OldSuite (which the user told the program "
          "to ignore). A Sasser-style `avserve.exe`, a SubSeven-style `load=` value and a "
          "Zbot-style `Userinit` addition are planted for the trojan checks." % OMEGA_NAME,
          "- Names beyond code page 1252, as a Windows machine anywhere has them: a second "
          "user `%s` with the profile `%s` (Owner opens `%s` and the photo `%s` from it, an "
          "emoji in its name), a program with a Cyrillic name installed for Owner (`%s`) and a "
          "Pinyin input tool (`%s`) whose user dictionary in `%s`'s profile is gone. The scan "
          "finds every existing one, in any letter case, and reports the missing ones with "
          "their exact text (G4, G5, M7, M8, S4)." % (
              LI_MING, LI, "\u5468\u62a5.txt", "\u7167\u7247 \U0001F4F7.jpg", FOTO,
              PF + "\\" + PINYIN + "\\pinyin.exe", LI_MING),
          "- Registry: %d keys (%d in HKEY_CURRENT_USER, %d in HKEY_LOCAL_MACHINE, counting "
          "the parents that the files create implicitly)." % (total_keys, keys_cu, keys_lm), "",
          "## Files", "",
          "| Path | What it is |", "|---|---|",
          "| `registry/HKLM.reg`, `registry/HKCU.reg` | The two roots as regedit exports "
          "them: CR LF, full root names, a blank line before each key, `dword:xxxxxxxx`, "
          "`hex:` binary data, REG_EXPAND_SZ as `hex(2):` and REG_MULTI_SZ as `hex(7):`, "
          "wrapped at 80 columns as regedit wraps them. `HKLM.reg` is REGEDIT4: ANSI bytes of "
          "code page 1252, which holds every name and text in it. `HKCU.reg` holds names in "
          "Chinese, Greek and Cyrillic, so it is \"Windows Registry Editor Version 5.00\": "
          "UTF-16LE with a byte order mark, the `hex(2):` and `hex(7):` data as UTF-16LE "
          "bytes. The scan reads both forms; pass `--registry` once for each file. |",
          "| `drive_c/` | Drive C: (map it with `--drive C=examples/sample-machine/drive_c`). "
          "Every file is empty or a few bytes, except the `.lnk` shortcuts. Folders that would "
          "otherwise be empty hold a `desktop.ini`, because git keeps no empty folders. |",
          "| `program/` | The program folder (`--program-folder examples/sample-machine/program`):"
          " `Ignore.ini` (CR LF, one path a line) and copies of `data/TrojanDef.ini` and "
          "`data/TrojanLock.ini`. |",
          "| `machine.env` | The environment of the scan, `NAME=VALUE` per line (`#` lines are "
          "comments); pass each as `--env`, with `--windows-dir C:\\Windows`. REG_EXPAND_SZ "
          "data is read expanded with these values. |",
          "| `expected/` | `scan-default.txt`, the standard output of the scan command below, "
          "and `report-default.txt`, the bytes of the same scan with `--report -` (CR LF). "
          "Written by running the program; the native test `sample_machine_test` compares the "
          "program's output with them. |",
          "| `tools/generate.py` | Writes everything above but `expected/`, and this file; it "
          "refuses to write when a planted path exists, a planted value sits under a protected "
          "branch, an existing file is promised for a scan that cannot report it, or a key "
          "without values and subkeys is not one of the planted empty keys. |",
          "| `tools/check_expected.py` | Checks `expected/` against the tables of this file "
          "without running the program: every entry promised for the default scan is there "
          "once with its description, action, key and Index, nothing else is, and the "
          "counters and caption match. Given the path of a `hivewarden` binary it also runs "
          "the other option sets named below. |", "",
          "`Ignore.ini` holds:", "", "```"] + ignore + ["```", "",
          "Scanning the machine with the default boxes and the shortcut scan (what `scan` does "
          "when no category option is given; `--options N` scans with mask N instead, and "
          "`--shortcuts` adds the shortcut scan to it):", "",
          "```sh",
          "S=examples/sample-machine",
          "mapfile -t ENV_OPTS < <(grep -v '^#' \"$S/machine.env\" | sed 's/^/--env=/')",
          "hivewarden scan --registry \"$S/registry/HKLM.reg\" "
          "--registry \"$S/registry/HKCU.reg\" \\",
          "    --drive \"C=$S/drive_c\" --windows-dir 'C:\\Windows' \"${ENV_OPTS[@]}\" \\",
          "    --program-folder \"$S/program\"",
          "```", "",
          "`scripts/run-sample.sh` does all of it on a fresh Debian 12 machine: it installs "
          "what is missing, builds `hivewarden` in `build/linux` and runs this command; its "
          "output is `expected/scan-default.txt`.", "",
          "Checking one value's data the way the scan reads it:", "",
          "```sh",
          "hivewarden path --drive C=examples/sample-machine/drive_c --json "
          "'\"C:\\Program Files\\OldUpdater\\updchk.exe\" /silent'",
          "```", "",
          "## Planted stale entries", "",
          "Every entry below is reported by a scan with the default check boxes (mask 1759 = "
          "every box but \"empty registry folders\" (256) and \"drivers\" (32), which include "
          "bit 1, \"Search the entire registry for invalid paths\", so every examined value "
          "whose file is missing is admitted; a value whose file exists is reported only as a "
          "driver, and only when the drivers box is checked), unless its *Shown with* column says otherwise. "
          "*Row in the results grid* is the Error Information text; it is the first row kind of "
          "the results grid's table that holds, so for example a Run value whose data matches "
          "a trojan pattern is a \"Warning: ... virus\" row, not an autorun row, and an entry "
          "whose target lies below an `Ignore.ini` path is an \"Ignore by the user filter\" "
          "row. The *Counter* is the summary counter the row counts in. *Action* is the "
          "default Correction: Ignore for excluded rows, for rows on a drive that is not "
          "present, for every start-up (IsAutoRun) entry whatever its row, and for shortcut "
          "rows; Change Value to the data Windows ships for a lock finding whose record names "
          "it (the listing shows it on a third line, \"New value: ...\", the report in its "
          "Fixed Value column); Delete otherwise. TargetPath (the text "
          "after \" - \") was worked out by hand from the path-extraction steps and checked with "
          "`hivewarden path`.", "",
          "*Index* is the finding's position in the scan results (its hidden Index cell) "
          "for the default options: the walk order, HKEY_CURRENT_USER first, depth first, "
          "subkeys in case-insensitive name order, values in file order, then the "
          "lock-location findings. Shortcut rows are numbered S1... in the shortcut results "
          "(All Users before Owner; a folder's own shortcuts before its subfolders). The grid "
          "itself is sorted by its icon column when the scan ends.", "",
          "*Shown with*: `1759` = the default boxes. `N alone` = a scan with only that box "
          "checked (selective mode, which walks only that box's branches and admits only "
          "findings whose category bits include N; `32 alone` walks the whole registry). Any "
          "mask containing bit 1 shows every walker row of the table except J3, and J2 only "
          "when the mask also contains 32. Empty keys "
          "appear with any mask containing 256; lock-location findings (K3, K2b) with any "
          "mask containing 8.", ""]
    L += plant_rows()
    L += ["", "Notes on single entries:", ""] + plant_notes()
    L += ["", "## Expected summary with the default options", "",
          "With the default boxes (1759) and \"Search for invalid shortcuts\" checked, the "
          "registry scan appends %d findings (%d from the walk, then %d lock-location "
          "findings), %d of them excluded; the shortcut scan adds %d rows." %
          (registry_rows, registry_rows - locks, locks, excluded, shortcuts), "",
          "| Counter | Caption | Count |", "|---|---|---:|"]
    for c in counter_order:
        L.append("| %s | %s | %d |" % (c, captions[c], counts.get(c, 0)))
    L += ["",
          "The window caption ends as `Kestovar Hivewarden - %d errors found` (the total "
          "counter; excluded rows and shortcut rows are not in it). While the shortcut scan "
          "runs it reads `Kestovar Hivewarden - %d errors found - Now searching for Shortcuts` "
          "(the number of findings, excluded ones included)." % (total, registry_rows), "",
          "Other option sets: mask 32 alone gives exactly J1, J2 and J3; mask 256 alone gives "
          "exactly I1, I2 and I3; mask 8 alone gives exactly K3 and K2b; mask 1759 + 256 + 32 "
          "(every box) gives everything in the table except J3.", ""]
    L += ["## Planted look-alikes that must NOT be reported", "",
          "| Key | Value | Data | Why it is not reported |", "|---|---|---|---|"]
    for group, key, name, data, why in QUIET:
        shown = str(data) if not isinstance(data, str) else data
        L.append("| %s | %s | %s | %s |" % (code(key), "(default)" if name == "" else code(name),
                                           code(shown), why))
    L += ["",
          "Besides these, thousands of values look like paths and must not be reported because "
          "their files exist: App Paths, Uninstall strings (quoted, with arguments, with icon "
          "indexes, `MsiExec.exe /X{...}`, `rundll32.exe setupapi,InstallHinfSection ... "
          "C:\\WINDOWS\\INF\\bluefin.inf`), shared-DLL counts, help folders, fonts (bare names "
          "present in `Windows\\Fonts`, and one full path), sounds, shell folders, cursors "
          "(REG_EXPAND_SZ), 32-bit COM servers under `SOFTWARE\\Wow6432Node\\Classes\\CLSID` "
          "whose DLLs exist, recent-file lists (one with a non-ASCII name, `R\u00e9sum\u00e9 "
          "2005.qed`), the files Owner opened from `%s`'s profile, the uninstall entry, "
          "settings and desktop shortcut of `%s`, the Pinyin tool's program and backup folder "
          "and two more of `%s`'s desktop shortcuts (names in Chinese, Cyrillic, an emoji), "
          "App Paths `Path` values ending in `;`, a `\\\\fileserver\\public` "
          "network path, the drive root `C:\\`, web addresses (`http://`, `ftp://`, "
          "`file:///`), numbers, binary data and empty strings." % (LI_MING, FOTO_NAME,
                                                                    LI_MING), "",
          "## Things to know", "",
          "- The lock-location record `MyDoom.A;1;CLSID\\{E6FB5E20-...}\\InprocServer32` in "
          "`TrojanLock.ini` uses root code 1 (HKEY_CLASSES_ROOT). The sample has no "
          "HKEY_CLASSES_ROOT file and nothing plants `shimgapi.dll`, so that record finds "
          "nothing here.",
          "- HKEY_USERS is not part of the sample: the selective sound scan (bit 64) also walks "
          "`HKEY_USERS\\.DEFAULT\\AppEvents\\Schemes\\Apps\\.Default`, which reads as empty.",
          "- F3 shows a documented quirk: unquoted data with arguments whose program is missing "
          "keeps the space before the argument, so its TargetPath ends in a space.",
          "- J2 is a driver whose file exists: an existing driver is reported only when "
          "\"Search for invalid drivers (advanced)\" (bit 32) is chosen, so the default boxes "
          "leave it out. A missing driver (J1) is reported as any other missing file, with bit 1 "
          "or bit 32.",
          "- In selective mode (no bit 1, 32 or 256) the walk starts from the branch table's "
          "own spelling, so KeyPath (the Body line) reads e.g. "
          "`HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run`; in "
          "whole-registry mode it has the stored spelling `...\\SOFTWARE\\...` shown in the "
          "table. Key names compare case-insensitively, so both address the same key.",
          "- The order of the findings in the grid is the walk order: HKEY_CURRENT_USER before "
          "HKEY_LOCAL_MACHINE, subkeys in case-insensitive name order, values in file order; "
          "the two lock-location findings come last. Case-insensitive order is that of the "
          "upper-cased UTF-16 units, as the registry sorts: `Software\\%s Software` and "
          "`Software\\%s` come after every Latin name." % (OMEGA_NAME, PINYIN),
          "- With `--report` to a file (or to standard output that is not a terminal) the "
          "report is written in code page 1252 when that holds all of its text, else as "
          "UTF-8 after a byte order mark: with the default options it holds the Greek and "
          "Chinese paths, so `expected/report-default.txt` is UTF-8 with the mark.", ""]
    write_bytes(os.path.join(MACHINE, "README.md"), "\n".join(L).encode("utf-8"))


# --------------------------------------------------------------------------------------------

def main():
    build_windows()
    build_apps()
    build_machine_windows()
    build_machine_vendors()
    build_classes()
    build_protected()
    build_user()
    build_user_vendors()
    build_shortcuts()
    build_unicode()
    DRIVE.fill_empty_dirs()
    check()

    for sub in ("registry", "drive_c", "program"):
        target = os.path.join(MACHINE, sub)
        if os.path.isdir(target):
            shutil.rmtree(target)
    keys_lm, format_lm = write_reg(os.path.join(MACHINE, "registry", "HKLM.reg"), REG, HKLM)
    keys_cu, format_cu = write_reg(os.path.join(MACHINE, "registry", "HKCU.reg"), REG, HKCU)
    if (format_lm, format_cu) != (REGEDIT4, VERSION5):
        raise SystemExit("HKLM.reg must fit code page 1252 and HKCU.reg must not")
    DRIVE.write(os.path.join(MACHINE, "drive_c"))
    ignore = write_program_folder()
    write_machine_env()
    total_cu = len(REG.all_paths(HKCU))
    total_lm = len(REG.all_paths(HKLM))
    write_readme(ignore, total_cu, total_lm, total_cu + total_lm)

    size = 0
    for folder, _, files in os.walk(MACHINE):
        size += sum(os.path.getsize(os.path.join(folder, f)) for f in files)
    print("keys: %d (HKCU %d, HKLM %d; written sections %d + %d), files on C: %d, "
          "planted findings %d, folder size %d bytes" %
          (total_cu + total_lm, total_cu, total_lm, keys_cu, keys_lm, len(DRIVE.Files),
           len(PLANTS), size))
    if not 2000 <= total_cu + total_lm <= 4000:
        raise SystemExit("key count out of range")
    if size >= 2 * 1024 * 1024:
        raise SystemExit("sample folder is 2 MB or more")


if __name__ == "__main__":
    main()
