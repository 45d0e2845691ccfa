"""How catalogue types become C++ types and wire codecs."""

import re

from catalogue import CatalogueError

BASE_TYPES = {
    'long': 'LONG',
    'unsigned long': 'ULONG',
    'short': 'SHORT',
    'unsigned short': 'USHORT',
    'char': 'CHAR',
    'unsigned char': 'BYTE',
    'int': 'INT',
    '__int64': 'LONGLONG',
    'unsigned __int64': 'ULONGLONG',
    'BSTR': 'BSTR',
    'LPWSTR': 'LPWSTR',
    'GUID': 'GUID',
    'VARIANT': 'VARIANT',
    '_SYSTEMTIME': 'SYSTEMTIME',
    '_FILETIME': 'FILETIME',
    '_ULARGE_INTEGER': 'ULARGE_INTEGER',
    '_TIME_ZONE_INFORMATION': 'TIME_ZONE_INFORMATION',
    '_RNSM_EVENT': '_RNSM_EVENT',
    '_COSERVERINFO': 'COSERVERINFO',
    'IUnknown': 'IUnknown',
}

SCALAR_TAGS = {
    'long': 'kTagLong',
    'unsigned long': 'kTagULong',
    'short': 'kTagShort',
    'unsigned short': 'kTagUShort',
    'char': 'kTagChar',
    'unsigned char': 'kTagUChar',
    'int': 'kTagInt',
    '__int64': 'kTagInt64',
    'unsigned __int64': 'kTagUInt64',
}

NAMED_CODECS = {
    'BSTR': 'wire::Bstr',
    'GUID': 'wire::Guid',
    'VARIANT': 'wire::Variant',
    '_SYSTEMTIME': 'wire::SystemTime',
    '_FILETIME': 'wire::FileTime',
}


def split_pointer(type_text):
    """'_blockdescriptor**' -> ('_blockdescriptor', 2)."""
    base = type_text.rstrip('*').strip()
    return base, len(type_text) - len(type_text.rstrip('*'))


def cxx(cat, type_text):
    base, stars = split_pointer(type_text)
    if base in BASE_TYPES:
        name = BASE_TYPES[base]
    elif cat.record(base) is not None or cat.enum(base) is not None:
        name = base
    elif base in ('_COSERVERINFO', '_DiskFileInfo61'):
        name = base
    else:
        raise CatalogueError('no C++ type for %r' % type_text)
    return name + '*' * stars


def codec(cat, wire, element_type):
    """The wire codec for a value whose wire type is wire and whose C++
    type is that of element_type (a catalogue type without pointers)."""
    if wire in SCALAR_TAGS:
        if element_type == '_ULARGE_INTEGER':
            return 'wire::ULargeInteger'
        return 'wire::Scalar<wire::%s, %s>' % (SCALAR_TAGS[wire], cxx(cat, element_type))
    if wire in NAMED_CODECS:
        return NAMED_CODECS[wire]
    if cat.record(wire) is not None:
        return 'wire::Record<%s>' % wire
    raise CatalogueError('no codec for wire type %r' % wire)


def enum_value(number):
    return 'static_cast<INT>(0x%08Xu)' % (0x8C000000 + number)


def count_type(bits):
    return {32: 'ULONG', 16: 'USHORT', 8: 'BYTE'}[bits]


def memory_layout(cat, record):
    """(C++ type, name, element count or None) of a record's members in
    memory order: a raw block's fields at their offsets; field-by-field
    records in wire order except that an item declared before another one
    moves there, an array as its count then its pointer (unless
    pointer_first), a byte block as its pointer (its size is a field)."""
    groups = [(item, _members(cat, record, item)) for item in record.items]
    fields = []
    for item, members in groups:
        if item.declared_before is not None:
            continue
        for moved, moved_members in groups:
            if moved.declared_before == item.name:
                fields += moved_members
        fields += members
    return fields


def _members(cat, record, item):
    """The members one catalogue item of a record occupies, in memory order."""
    fields = []
    if item.kind == 'at':
        m = re.match(r'^(.*)\[(\d+)\]$', item.type)
        if m:
            fields.append((cxx(cat, m.group(1)), item.name, int(m.group(2))))
        else:
            fields.append((cxx(cat, item.type), item.name, None))
    elif item.kind == 'field':
        fields.append((cxx(cat, item.declared or item.type), item.name, None))
    elif item.kind == 'record':
        fields.append((cxx(cat, item.type), item.name, None))
    elif item.kind == 'unique':
        fields.append((cxx(cat, item.type) + '*', item.name, None))
    elif item.kind == 'array':
        pointer = (cxx(cat, item.type) + '*', item.name, None)
        count = (count_type(item.count_bits), item.count, None)
        fields += [pointer, count] if item.pointer_first else [count, pointer]
    elif item.kind == 'block':
        fields.append(('BYTE*', item.name, None))
    elif item.kind == 'next':
        fields.append((record.name + '*', item.name, None))
    return fields
