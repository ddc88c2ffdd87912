#!/usr/bin/env python3
# Writes multiscript_v5.reg, a "Windows Registry Editor Version 5.00" file in the export's own
# layout (see README.md): names and data in several scripts, odd byte counts, lone surrogates.
# Run from the repository root.


def utf16(text):
    return text.encode('utf-16-le', 'surrogatepass')


def units(text):
    return len(utf16(text)) // 2


def hex_list(column, data):
    """Lower-case bytes, broken after the comma that reaches column 77, as regedit writes."""
    out = []
    for i, byte in enumerate(data):
        out.append('%02x' % byte)
        if i + 1 == len(data):
            break
        out.append(',')
        column += 3
        if column >= 77:
            out.append('\\\r\n  ')
            column = 2
    return ''.join(out)


lines = ['Windows Registry Editor Version 5.00']


def key(path):
    lines.extend(['', '[' + path + ']'])


def name_part(name):
    return '@=' if name is None else '"%s"=' % name


def text(name, data):
    lines.append(name_part(name) + '"%s"' % data.replace('\\', '\\\\').replace('"', '\\"'))


def hex_value(name, kind, data):
    part, tag = name_part(name), 'hex(%x):' % kind
    lines.append(part + tag + hex_list(units(part) + len(tag), data))


def dword(name, number):
    lines.append(name_part(name) + 'dword:%X' % number)


key('HKEY_CURRENT_USER\\Software')
key('HKEY_CURRENT_USER\\Software\\UniTest')
text('名前', 'C:\\Apps\\李明\\app.exe')
text('greek Ωmega', 'C:\\Apps\\Ωmega\\app.exe')
text('arabic', 'C:\\Users\\x\\Desktop\\test\\تجربة.txt')
text('emoji 😀', 'C:\\Apps\\😀\\app.exe')
hex_value('odd multi', 7, utf16('A\0B') + b'\x43')
hex_value('unterminated', 1, utf16('AB')[:3])
hex_value('empty', 1, b'')
hex_value('lone surrogate', 1, utf16('\ud800A\0'))
hex_value('expand', 2, utf16('%APPDATA%\\Jürgen\\李\0'))
hex_value('multi', 7, utf16('Ωmega\0李明\0😀\0\0'))
key('HKEY_CURRENT_USER\\Software\\UniTest\\Sub李')
text('missing', 'C:\\Apps\\王\\app.exe')
key('HKEY_CURRENT_USER\\Software\\UniTest\\测试')
dword('a', 1)
key('HKEY_CURRENT_USER\\Software\\UniTest\\测验')
dword('b', 2)
dword('lone \udc00', 3)
key('HKEY_LOCAL_MACHINE\\Software')
key('HKEY_LOCAL_MACHINE\\Software\\Ωmega 😀')
text(None, 'C:\\Apps\\Ωmega\\app.exe')
lines.append('')

with open('tests/data/regfile/multiscript_v5.reg', 'wb') as out:
    out.write(b'\xff\xfe' + utf16('\r\n'.join(lines) + '\r\n'))
