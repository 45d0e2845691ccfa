"""Lays the catalogue's byte-packed records out in the type library widl
built. widl places every record field at its natural alignment whatever
#pragma pack says, so the build passes its output through

    pack_typelib.py <catalogue dir> <pointer size> <widl output> <library>

which rewrites the field offsets, sizes and alignments of the catalogue's
records to their byte-packed layout (the one of catalogue/records.h) and
clears the build time widl stamps into the library, so that the same
catalogue always gives the same library."""

import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import catalogue  # noqa: E402
from cxx_types import memory_layout, split_pointer  # noqa: E402
from emit_idl import FIXED_SIZES, OWN_PACKED_RECORDS, ordered_records  # noqa: E402


# ---------------------------------------------------------------------------
# Byte-packed record layout in the built library
# ---------------------------------------------------------------------------

def _field_size(cat, ctype, count, pointer_size, sizes):
    base, stars = split_pointer(ctype)
    if stars or base in ('BSTR', 'LPWSTR'):
        size = pointer_size
    elif base == 'VARIANT':
        size = 8 + 2 * pointer_size
    elif base in FIXED_SIZES:
        size = FIXED_SIZES[base]
    elif cat.enum(base) is not None:
        size = 4
    elif base in sizes:
        size = sizes[base]
    else:
        raise catalogue.CatalogueError('no packed size for %s' % ctype)
    return size * (count or 1)


def packed_layouts(cat, pointer_size):
    """{record: (size, [(field, offset)])} of the library's records,
    byte-packed, for pointers of pointer_size bytes."""
    sizes, layouts = {}, {}
    for _, name, members in OWN_PACKED_RECORDS:
        offset, fields = 0, []
        for ctype, field, count in members:
            fields.append((field, offset))
            offset += _field_size(cat, ctype, count, pointer_size, sizes)
        sizes[name] = offset
        layouts[name] = (offset, fields)
    for record in ordered_records(cat):
        offset, fields = 0, []
        for ctype, name, count in memory_layout(cat, record):
            fields.append((name, offset))
            offset += _field_size(cat, ctype, count, pointer_size, sizes)
        if record.raw_size is not None and offset != record.raw_size:
            raise catalogue.CatalogueError('record %s: packed size %d, catalogue says %d'
                                           % (record.name, offset, record.raw_size))
        sizes[record.name] = offset
        layouts[record.name] = (offset, fields)
    return layouts


# MSFT type library file: header words, segment directory entries, type
# information words (see the layout notes at pack_type_library).
_HEADER = struct.Struct('<4sIiIIIIIIiiiiiiiiiiii')
_SEGMENT = struct.Struct('<iiii')
_TYPEINFO = struct.Struct('<25i')
_SEG_TYPEINFO, _SEG_GUID, _SEG_NAME, _SEG_CUSTDATA, _SEG_CDGUIDS = 0, 5, 7, 11, 12
_TKIND_RECORD = 1
_BUILD_TIME = '{DE77BA63-517C-11D1-A2DA-0000F8773CE9}'
_BUILD_NOTE = '{DE77BA65-517C-11D1-A2DA-0000F8773CE9}'
_VT_UI4, _VT_BSTR = 19, 8


def _guid_bytes(text):
    h = text.strip('{}').replace('-', '')
    return struct.pack('<IHH', int(h[0:8], 16), int(h[8:12], 16),
                       int(h[12:16], 16)) + bytes.fromhex(h[16:])


def pack_type_library(data, layouts):
    """Returns the library data with the records of layouts laid out as
    given (alignment 1), and the build time widl records cleared.

    Layout: a header (_HEADER, one more word when bit 0x100 of its flags
    word is set), one offset per type information into the type information
    segment, and 15 segment directory entries (offset, length, 2 reserved).
    A type information holds its kind (low 4 bits) and alignment (bits 6-10
    and 11-15) in word 0, the offset of its member block in word 1, the
    variable count in the high half of word 6, its name's offset in word 13
    and its size in word 20. A member block is a length word, the member
    records, then per member an identifier, a name offset and a record
    offset; word 4 of a variable record is its offset in the record."""
    out = bytearray(data)
    header = _HEADER.unpack_from(out, 0)
    if header[0] != b'MSFT':
        raise ValueError('not an MSFT type library')
    flags, count, custom_data = header[5], header[8], header[16]
    offsets_at = _HEADER.size + (4 if flags & 0x100 else 0)
    info_offsets = struct.unpack_from('<%di' % count, out, offsets_at)
    segments = [_SEGMENT.unpack_from(out, offsets_at + 4 * count + _SEGMENT.size * i)[0]
                for i in range(15)]

    def name_at(offset):
        at = segments[_SEG_NAME] + offset
        return out[at + 12:at + 12 + out[at + 8]].decode('ascii')

    remaining = dict(layouts)
    for info_offset in info_offsets:
        at = segments[_SEG_TYPEINFO] + info_offset
        info = list(_TYPEINFO.unpack_from(out, at))
        name = name_at(info[13])
        if info[0] & 0xF != _TKIND_RECORD or name not in remaining:
            continue
        size, fields = remaining.pop(name)
        functions, variables = info[6] & 0xFFFF, info[6] >> 16
        if functions or variables != len(fields):
            raise ValueError('record %s has %d fields in the library, %d in the catalogue'
                             % (name, variables, len(fields)))
        block = info[1]
        length = struct.unpack_from('<i', out, block)[0]
        members = functions + variables
        tables = block + 4 + length
        for index, (field, offset) in enumerate(fields):
            name_offset = struct.unpack_from('<i', out, tables + 4 * (members + index))[0]
            if name_at(name_offset).lower() != field.lower():
                raise ValueError('record %s: field %d is %s, expected %s'
                                 % (name, index, name_at(name_offset), field))
            record = block + 4 + struct.unpack_from('<i', out, tables + 4 * (2 * members + index))[0]
            struct.pack_into('<i', out, record + 16, offset)
        info[0] = (info[0] & ~0xFFC0) | (1 << 11) | (1 << 6)
        info[20] = size
        _TYPEINFO.pack_into(out, at, *info)
    if remaining:
        raise ValueError('records missing from the library: %s' % ', '.join(sorted(remaining)))

    entry = custom_data
    while entry != -1:
        guid_offset, value, entry = struct.unpack_from('<iii', out, segments[_SEG_CDGUIDS] + entry)
        guid = bytes(out[segments[_SEG_GUID] + guid_offset:segments[_SEG_GUID] + guid_offset + 16])
        if value < 0:
            continue  # held in the entry itself: not a time
        at = segments[_SEG_CUSTDATA] + value
        vt = struct.unpack_from('<H', out, at)[0]
        if guid == _guid_bytes(_BUILD_TIME) and vt == _VT_UI4:
            struct.pack_into('<I', out, at + 2, 0)
        elif guid == _guid_bytes(_BUILD_NOTE) and vt == _VT_BSTR:
            # "Created by WIDL version <v> at <ctime>\n": the time goes.
            length = struct.unpack_from('<i', out, at + 2)[0]
            text = bytes(out[at + 6:at + 6 + length])
            cut = text.find(b' at ')
            if cut >= 0:
                end = len(text.rstrip(b'\n'))
                text = text[:cut + 4] + b'-' * (end - cut - 4) + text[end:]
                out[at + 6:at + 6 + length] = text
    return bytes(out)


def main(argv):
    if len(argv) != 5 or argv[2] not in ('4', '8'):
        sys.stderr.write('usage: pack_typelib.py <catalogue dir> <pointer size 4|8> '
                         '<widl output> <library>\n')
        return 2
    try:
        cat = catalogue.load(argv[1])
        with open(argv[3], 'rb') as f:
            data = pack_type_library(f.read(), packed_layouts(cat, int(argv[2])))
    except (catalogue.CatalogueError, ValueError, OSError, struct.error) as error:
        sys.stderr.write('pack_typelib.py: %s\n' % error)
        return 1
    # Rewritten only when it changes, so that the DLL is relinked only then.
    try:
        with open(argv[4], 'rb') as f:
            if f.read() == data:
                return 0
    except OSError:
        pass
    with open(argv[4], 'wb') as f:
        f.write(data)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
