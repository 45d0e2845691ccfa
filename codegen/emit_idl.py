"""Emits the interface definition from which widl builds the type library
(the byte-packed layout of its records is set afterwards by
pack_typelib.py)."""

import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import catalogue  # noqa: E402
from cxx_types import cxx, memory_layout, split_pointer  # noqa: E402
from emit_records import BANNER  # noqa: E402

DIRECTIONS = {'in': '[in] ', 'out': '[out] ', 'inout': '[in, out] ', 'none': ''}

# Platform records the library defines itself: the imported IDL files do not
# declare them. Natural alignment, as in the platform headers.
OWN_SYSTEM_RECORDS = [
    ('_TIME_ZONE_INFORMATION', 'TIME_ZONE_INFORMATION', [
        ('LONG', 'Bias', None),
        ('WCHAR', 'StandardName', 32),
        ('SYSTEMTIME', 'StandardDate', None),
        ('LONG', 'StandardBias', None),
        ('WCHAR', 'DaylightName', 32),
        ('SYSTEMTIME', 'DaylightDate', None),
        ('LONG', 'DaylightBias', None),
    ]),
]

# Records of the library that the catalogue does not describe (their codec
# is written by hand), byte-packed like the catalogue's records.
OWN_PACKED_RECORDS = [
    # src/serialization/rnsm_event.h
    ('_RNSM_EVENT', '_RNSM_EVENT', [
        ('ULONG', 'DwordOurCode', None),
        ('ULONG', 'DwordSystemCode', None),
        ('_RNSM_EVENT*', 'pNext', None),
        ('ULONG', 'LogDestination', None),
        ('BSTR', 'BstringFileName', None),
        ('ULONG', 'DwordLineNumber', None),
        ('ULONG', 'MessageStatus', None),
        ('USHORT', 'NumParamStrings', None),
        ('BSTR', 'aParamStrings', 9),
    ]),
]

# Sizes of the fixed-size types a packed record can hold by value.
FIXED_SIZES = {
    'LONG': 4, 'ULONG': 4, 'INT': 4, 'SHORT': 2, 'USHORT': 2, 'CHAR': 1, 'BYTE': 1,
    'LONGLONG': 8, 'ULONGLONG': 8, 'GUID': 16, 'SYSTEMTIME': 16, 'FILETIME': 8,
    'ULARGE_INTEGER': 8, 'TIME_ZONE_INFORMATION': 172,
}


def library_families(cat):
    """The control family, then the families whose interfaces the library
    describes, in the catalogue's family order (the class's order)."""
    return [cat.control] + [f for f in cat.families if cat.in_library(f.interfaces[0].name)]


def library_records(cat):
    return [r for r in cat.records if r.in_library]


def class_interfaces(cat):
    """The interfaces the class lists, the default one first."""
    names = [cat.klass['default']]
    for family in library_families(cat)[1:]:
        names += [i.name for i in family.interfaces if cat.in_class(i.name)]
    return names


def _by_value_records(cat, record):
    return [split_pointer(t)[0] for t, _, _ in memory_layout(cat, record)
            if '*' not in t and cat.record(t) is not None]


def ordered_records(cat):
    """The library's records in catalogue order, each one after the records
    it holds by value."""
    _check_library(cat)
    done, order = set(), []

    def visit(record, path):
        if record.name in done:
            return
        if record.name in path:
            raise catalogue.CatalogueError('record %s contains itself' % record.name)
        for name in _by_value_records(cat, record):
            visit(cat.record(name), path + [record.name])
        done.add(record.name)
        order.append(record)

    for record in library_records(cat):
        visit(record, [])
    return order


def _idl_field(cat, ctype, name, count, defined):
    base, stars = split_pointer(ctype)
    if stars and base not in defined and (cat.record(base) is not None or base == '_RNSM_EVENT'):
        # A record not defined yet (further down, or the one being defined)
        # is named by its tag; widl takes a tag only while it is not a type.
        ctype = 'struct %s%s' % (base, '*' * stars)
    return '%s %s%s;' % (ctype, name, '' if count is None else '[%d]' % count)


def _check_library(cat):
    """The library must not refer to anything it does not describe."""
    names = {r.name for r in library_records(cat)}
    problems = []
    for record in library_records(cat):
        for ctype, _, _ in memory_layout(cat, record):
            base = split_pointer(ctype)[0]
            if cat.record(base) is not None and base not in names:
                problems.append('record %s holds %s, which the library does not describe'
                                % (record.name, base))
    for family in library_families(cat):
        for iface in family.interfaces:
            if not cat.in_library(iface.name):
                problems.append('%s has no library identifier' % iface.name)
        for m in family.methods:
            if m.kind == 'dispatch':
                problems.append('%s: dispatch method %s in a custom interface'
                                % (m.interface, m.name))
            for p in m.params:
                base = split_pointer(p.type)[0]
                if cat.record(base) is not None and base not in names:
                    problems.append('%s.%s: %s is not in the library' % (m.interface, m.name, base))
    lib_names = [i.name for i in cat.lib_interfaces]
    chain = [i.name for f in library_families(cat) for i in f.interfaces]
    if sorted(lib_names) != sorted(chain):
        problems.append('the library interfaces are not those of the library families')
    if problems:
        raise catalogue.CatalogueError('\n'.join(problems))


def _uuid(text):
    return text.strip('{}').upper()


def _method(cat, m):
    params = ', '.join('%s%s %s' % (DIRECTIONS[p.direction], cxx(cat, p.type), p.name)
                       for p in m.params)
    return '    HRESULT %s(%s);' % (m.name, params or 'void')


def emit_idl(cat):
    lib = cat.library
    out = [BANNER,
           '// The type library of the repository class: every interface the class',
           '// lists as a custom interface, the records and enumerations they use.',
           '// Records are byte-packed; widl lays them out naturally, and the build',
           '// re-lays them out (emit_idl.py pack).',
           '',
           'import "oaidl.idl";',
           '',
           '[',
           '    uuid(%s),' % _uuid(lib['libid']),
           '    version(%s),' % lib['version'],
           '    lcid(%d),' % lib['lcid'],
           '    helpstring("%s")' % lib['help'],
           ']',
           'library %s' % lib['name'],
           '{',
           '    importlib("stdole2.tlb");',
           '']
    for enum in cat.enums:
        out.append('    typedef enum %s {' % enum.name)
        values = ['        %s = %d' % (name, struct.unpack('<i', struct.pack(
            '<I', 0x8C000000 + number))[0]) for name, number in enum.values]
        out.append(',\n'.join(values))
        out += ['    } %s;' % enum.name, '']
    defined = set()
    for tag, name, fields in OWN_SYSTEM_RECORDS:
        out.append('    typedef struct %s {' % tag)
        out += ['        ' + _idl_field(cat, t, n, c, defined) for t, n, c in fields]
        out += ['    } %s;' % name, '']
        defined.add(name)
    out += ['#pragma pack(push, 1)', '']
    for tag, name, fields in OWN_PACKED_RECORDS:
        out.append('    typedef struct %s {' % tag)
        out += ['        ' + _idl_field(cat, t, n, c, defined) for t, n, c in fields]
        out += ['    } %s;' % name, '']
        defined.add(name)
    for record in ordered_records(cat):
        out.append('    typedef struct %s {' % record.name)
        out += ['        ' + _idl_field(cat, t, n, c, defined)
                for t, n, c in memory_layout(cat, record)]
        out += ['    } %s;' % record.name, '']
        defined.add(record.name)
    out += ['#pragma pack(pop)', '']
    for family in library_families(cat):
        for iface in family.interfaces:
            out += ['    [',
                    '        object,',
                    '        uuid(%s),' % _uuid(cat.iid(iface.name)),
                    '        pointer_default(unique)',
                    '    ]',
                    '    interface %s : %s' % (iface.name, iface.base),
                    '    {']
            for m in family.methods:
                if iface.first <= m.slot <= iface.last:
                    out.append('    ' + _method(cat, m))
            out += ['    };', '']
    klass = cat.klass
    out += ['    [',
            '        uuid(%s),' % _uuid(klass['clsid']),
            '        helpstring("%s")' % klass['help'],
            '    ]',
            '    coclass %s' % klass['name'],
            '    {']
    for index, name in enumerate(class_interfaces(cat)):
        out.append('        %sinterface %s;' % ('[default] ' if index == 0 else '', name))
    out += ['    };', '};', '']
    return '\n'.join(out)
