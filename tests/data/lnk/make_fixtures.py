#!/usr/bin/env python3
"""Writes the shell link fixtures of this folder. Standard library only; run from this folder.

The layout follows the shell link format: a 0x4C-byte header, link info (volume id, local base
path, common path suffix), string data (UTF-16), extra data blocks and the terminal block.
"""
import struct

CLSID = bytes.fromhex('0114020000000000c000000000000046')


def header(flags):
    return struct.pack('<I16sIIQQQIiIHHII', 0x4C, CLSID, flags, 0x20, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0)


def local_link_info(target, serial, label=b''):
    vol = struct.pack('<IIII', 0x10 + len(label) + 1, 3, serial, 0x10) + label + b'\0'
    base = target.encode('cp1252') + b'\0'
    body = vol + base + b'\0'  # empty common path suffix
    return struct.pack('<7I', 0x1C + len(body), 0x1C, 1, 0x1C, 0x1C + len(vol), 0,
                       0x1C + len(vol) + len(base)) + body


def unicode_link_info(target, serial):
    """Link info with the Unicode offsets (header 0x24), as the shell writes it for a path the
    ANSI code page cannot hold: the ANSI copy has "?" where characters were lost."""
    vol = struct.pack('<IIII', 0x10 + 1, 3, serial, 0x10) + b'\0'
    base = target.encode('cp1252', errors='replace') + b'\0'
    suffix = b'\0'
    wide_base = target.encode('utf-16-le') + b'\0\0'
    wide_suffix = b'\0\0'
    at_vol = 0x24
    at_base = at_vol + len(vol)
    at_suffix = at_base + len(base)
    at_wide_base = at_suffix + len(suffix)
    at_wide_suffix = at_wide_base + len(wide_base)
    body = vol + base + suffix + wide_base + wide_suffix
    return struct.pack('<9I', 0x24 + len(body), 0x24, 1, at_vol, at_base, 0, at_suffix,
                       at_wide_base, at_wide_suffix) + body


def network_link_info(share, suffix):
    net = share.encode('cp1252') + b'\0'
    cnrl = struct.pack('<5I', 0x14 + len(net), 0, 0x14, 0, 0) + net
    suf = suffix.encode('cp1252') + b'\0'
    return struct.pack('<7I', 0x1C + len(cnrl) + len(suf), 0x1C, 2, 0, 0, 0x1C,
                       0x1C + len(cnrl)) + cnrl + suf


def strings(*texts):
    return b''.join(struct.pack('<H', len(s)) + s.encode('utf-16-le') for s in texts)


def env_block(target):
    ansi = target.encode('cp1252', errors='replace').ljust(260, b'\0')
    wide = target.encode('utf-16-le').ljust(520, b'\0')
    return struct.pack('<II', 0x314, 0xA0000001) + ansi + wide


TERMINAL = b'\0\0\0\0'
HAS_LINK_INFO, HAS_RELPATH, HAS_WORKDIR, HAS_ARGS, IS_UNICODE, HAS_EXP = 0x2, 0x8, 0x10, 0x20, 0x80, 0x200

FIXTURES = {
    'local_file.lnk':
        header(HAS_LINK_INFO | IS_UNICODE | HAS_RELPATH | HAS_WORKDIR | HAS_ARGS)
        + local_link_info('C:\\test\\a.txt', 0x18FB2200)
        + strings('.\\a.txt', 'C:\\test', '/y') + TERMINAL,
    'labelled_volume.lnk':
        header(HAS_LINK_INFO | IS_UNICODE | HAS_WORKDIR)
        + local_link_info('C:\\Program Files\\Old Tool\\tool.exe', 0x5EA7C0DE, b'WIN98')
        + strings('C:\\Program Files\\Old Tool') + TERMINAL,
    'env_program_files.lnk':
        header(HAS_LINK_INFO | IS_UNICODE | HAS_EXP)
        + local_link_info('C:\\Program Files\\Old Tool\\tool.exe', 0x0BADF00D)
        + env_block('%ProgramFiles%\\Old Tool\\tool.exe') + TERMINAL,
    'network_share.lnk':
        header(HAS_LINK_INFO | IS_UNICODE)
        + network_link_info('\\\\server\\share', 'Docs\\report.doc') + TERMINAL,
    'unicode_arabic.lnk':
        header(HAS_LINK_INFO | IS_UNICODE | HAS_WORKDIR)
        + unicode_link_info('C:\\Users\\x\\Desktop\\test\\\u062a\u062c\u0631\u0628\u0629.txt',
                            0x2A7E1C05)
        + strings('C:\\Users\\x\\Desktop\\test') + TERMINAL,
    'unicode_env_chinese.lnk':
        header(HAS_LINK_INFO | IS_UNICODE | HAS_EXP)
        + unicode_link_info('C:\\Program Files\\\u738b\\app.exe', 0x51C7E0A2)
        + env_block('%ProgramFiles%\\\u738b\\app.exe') + TERMINAL,
}

if __name__ == '__main__':
    for name, data in FIXTURES.items():
        with open(name, 'wb') as f:
            f.write(data)
