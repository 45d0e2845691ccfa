"""Reads the interface catalogue (catalogue/*.cat) into plain objects and
checks it for internal consistency. The file format is described in
catalogue/README.md."""

import contextlib
import dataclasses
import glob
import os
import re
from typing import Dict, List, Optional


class CatalogueError(Exception):
    """A problem in the catalogue. path and line name the file and line it
    belongs to when it belongs to one; str() then reads "path:line: what"."""

    def __init__(self, message, path=None, line=None):
        super().__init__(message)
        self.message = message
        self.path = path
        self.line = line

    def __str__(self):
        if self.path is None:
            return self.message
        if self.line is None:
            return '%s: %s' % (self.path, self.message)
        return '%s:%d: %s' % (self.path, self.line, self.message)


@dataclasses.dataclass
class Param:
    direction: str  # in, out, inout, none
    type: str  # as declared, e.g. "long", "_blockdescriptor**"
    name: str


@dataclasses.dataclass
class WireItem:
    kind: str  # plain, unique, array, event
    wire: str  # wire type ("long", "_blobkey", "-" for events)
    param: str
    count: Optional[str] = None  # arrays: the count parameter, or None
    shared: bool = False  # arrays: the count belongs to an earlier array
    capacity: Optional[str] = None  # arrays into a fixed caller buffer


@dataclasses.dataclass
class Method:
    slot: int
    name: str
    interface: str
    kind: str  # remote, notimpl, dispatch, empty
    params: List[Param]
    send: List[WireItem]
    recv: List[WireItem]
    line: int

    def param(self, name):
        for p in self.params:
            if p.name == name:
                return p
        raise CatalogueError('%s: no parameter %s' % (self.name, name))


@dataclasses.dataclass
class ChainInterface:
    name: str
    base: str
    first: int
    last: int


@dataclasses.dataclass
class Family:
    key: str
    prefix: str
    server_clsid: str
    sends_interface: str
    interfaces: List[ChainInterface]
    methods: List[Method]

    @property
    def most_derived(self):
        return self.interfaces[-1].name


@dataclasses.dataclass
class LibInterface:
    name: str
    iid: str
    base: str
    added: int
    in_class: bool = True  # listed by the library's class


@dataclasses.dataclass
class RecordItem:
    kind: str  # at, field, record, unique, array, block, next
    name: str
    type: str = ''
    offset: int = -1
    declared: Optional[str] = None
    count: Optional[str] = None
    count_bits: int = 32
    pointer_first: bool = False
    size_field: Optional[str] = None
    mod65536: bool = False
    declared_before: Optional[str] = None  # in memory just before this item


@dataclasses.dataclass
class Record:
    name: str
    tag: Optional[int]  # None for records that never travel
    direction: str  # both, write, read, none
    raw_size: Optional[int]  # raw block size, or None when field by field
    items: List[RecordItem]
    in_library: bool = True  # described by the type library

    @property
    def writes(self):
        return self.direction in ('both', 'write')

    @property
    def reads(self):
        return self.direction in ('both', 'read')

    @property
    def is_list(self):
        return any(i.kind == 'next' for i in self.items)


@dataclasses.dataclass
class Enum:
    name: str
    values: List[tuple]  # (name, small number)


@dataclasses.dataclass
class Catalogue:
    library: dict
    klass: dict
    lib_interfaces: List[LibInterface]
    extras: Dict[str, str]
    enums: List[Enum]
    records: List[Record]
    families: List[Family]
    system_records: List[str] = dataclasses.field(default_factory=list)
    control: Optional[Family] = None  # IQuillon, whose operations run locally

    def record(self, name):
        for r in self.records:
            if r.name == name:
                return r
        return None

    def enum(self, name):
        for e in self.enums:
            if e.name == name:
                return e
        return None

    def iid(self, interface):
        for i in self.lib_interfaces:
            if i.name == interface:
                return i.iid
        if interface in self.extras:
            return self.extras[interface]
        raise CatalogueError('no identifier for %s' % interface)

    def in_class(self, interface):
        return any(i.name == interface and i.in_class for i in self.lib_interfaces)

    def in_library(self, interface):
        return any(i.name == interface for i in self.lib_interfaces)


def _rows(path):
    """Yields (line number, indent flag, cells) for every data line."""
    try:
        with open(path, encoding='utf-8') as f:
            lines = list(enumerate(f, 1))
    except (OSError, UnicodeDecodeError) as error:
        raise CatalogueError('cannot be read: %s' % error, path) from None
    for number, raw in lines:
        text = raw.rstrip('\n')
        if not text.strip() or text.lstrip().startswith('#'):
            continue
        cells = [c.strip() for c in text.split('|')]
        yield number, text.startswith(' '), cells


@contextlib.contextmanager
def _line(path, number, cells):
    """Reports whatever goes wrong while one line is handled as a
    CatalogueError of that file and line."""
    try:
        yield
    except CatalogueError as error:
        if error.path is None:
            error.path, error.line = path, number
        raise
    except (IndexError, ValueError, AttributeError, TypeError, KeyError) as error:
        raise CatalogueError(_describe(cells, error), path, number) from None


def _describe(cells, error):
    """What is wrong with a line whose handling raised error."""
    tag = cells[0] if cells else ''
    if isinstance(error, IndexError):
        return '%r line has too few cells (%d)' % (tag, len(cells))
    if isinstance(error, ValueError):
        return 'bad value in %r line: %s' % (tag, error)
    if isinstance(error, (AttributeError, TypeError)):
        return '%r line outside the block it belongs to' % tag
    return 'bad %r line: %s' % (tag, error)


def _attrs(cells):
    plain, named = [], {}
    for c in cells:
        m = re.match(r'^([a-z-]+)=(.*)$', c)
        if m:
            named[m.group(1)] = m.group(2)
        else:
            plain.append(c)
    return plain, named


def _parse_library(path, cat):
    current = None
    for number, indented, c in _rows(path):
        with _line(path, number, c):
            if c[0] == 'library':
                cat.library = dict(name=c[1], libid=c[2], version=c[3], lcid=int(c[4]), help=c[5])
            elif c[0] == 'class':
                cat.klass = dict(name=c[1], clsid=c[2], help=c[3], default=c[4])
            elif c[0] == 'interface':
                plain, named = _attrs(c)
                cat.lib_interfaces.append(LibInterface(plain[1], plain[2], plain[3], int(plain[4]),
                                                       named.get('class', 'yes') != 'no'))
            elif c[0] == 'extra':
                cat.extras[c[1]] = c[2]
            elif c[0] == 'enum':
                current = Enum(c[1], [])
                cat.enums.append(current)
            elif c[0] == 'value' and indented and current is not None:
                current.values.append((c[1], int(c[2], 16)))
            else:
                raise CatalogueError('unknown line %r' % (c,))


def _parse_records(path, cat):
    current = None
    for number, indented, c in _rows(path):
        with _line(path, number, c):
            plain, named = _attrs(c)
            if not indented and plain[0] == 'system':
                cat.system_records.append(plain[1])
                continue
            if not indented:
                if plain[0] != 'record':
                    raise CatalogueError('expected a record, not %r' % (c,))
                raw = int(plain[5]) if plain[4] == 'raw' else None
                tag = None if plain[2] == '-' else int(plain[2])
                current = Record(plain[1], tag, plain[3], raw, [],
                                 in_library=named.get('library', 'yes') != 'no')
                cat.records.append(current)
                continue
            kind = plain[0]
            if kind == 'at':
                current.items.append(RecordItem('at', plain[2], plain[3], offset=int(plain[1])))
            elif kind == 'field':
                current.items.append(RecordItem('field', plain[1], plain[2],
                                                declared=named.get('declared')))
            elif kind in ('record', 'unique'):
                current.items.append(RecordItem(kind, plain[1], plain[2]))
            elif kind == 'array':
                current.items.append(RecordItem('array', plain[1], plain[2], count=plain[3],
                                                count_bits=int(named.get('count-bits', 32)),
                                                pointer_first='pointer-first' in plain[4:]))
            elif kind == 'block':
                current.items.append(RecordItem('block', plain[1], 'unsigned char',
                                                size_field=plain[2],
                                                mod65536='mod65536' in plain[3:]))
            elif kind == 'next':
                current.items.append(RecordItem('next', plain[1], current.name))
            else:
                raise CatalogueError('unknown record item %r' % kind)
            current.items[-1].declared_before = named.get('declared-before')


def _parse_family(path, cat):
    family = None
    method = None
    for number, indented, c in _rows(path):
        with _line(path, number, c):
            plain, named = _attrs(c)
            tag = plain[0]
            if tag == 'family':
                family = Family(plain[1], '', '', '', [], [])
                cat.families.append(family)
            elif tag == 'prefix':
                family.prefix = plain[1]
            elif tag == 'server-class':
                family.server_clsid = plain[1]
            elif tag == 'sends-interface':
                family.sends_interface = plain[1]
            elif tag == 'interface':
                family.interfaces.append(
                    ChainInterface(plain[1], plain[2], int(plain[3]), int(plain[4])))
            elif tag == 'method':
                kind = plain[4] if len(plain) > 4 else 'remote'
                method = Method(int(plain[1]), plain[2], plain[3], kind, [], [], [], number)
                family.methods.append(method)
            elif tag == 'param':
                method.params.append(Param(plain[1], plain[2], plain[3]))
            elif tag in ('send', 'recv'):
                item = WireItem(plain[1], plain[2], plain[3])
                if item.kind == 'array':
                    item.count = None if plain[4] == '-' else plain[4]
                    item.shared = 'shared' in plain[5:]
                    item.capacity = named.get('capacity')
                (method.send if tag == 'send' else method.recv).append(item)
            else:
                raise CatalogueError('unknown line %r' % (c,))


def load(directory):
    cat = Catalogue({}, {}, [], {}, [], [], [])
    _parse_library(os.path.join(directory, 'library.cat'), cat)
    _parse_records(os.path.join(directory, 'records.cat'), cat)
    for path in sorted(glob.glob(os.path.join(directory, 'families', '*.cat'))):
        _parse_family(path, cat)
    cat.families.sort(key=lambda f: _family_position(cat, f))
    control = Catalogue({}, {}, [], {}, [], [], [])
    control_path = os.path.join(directory, 'control.cat')
    _parse_family(control_path, control)
    if not control.families:
        raise CatalogueError('no family line', control_path)
    cat.control = control.families[0]
    for family in cat.families:
        family.methods.sort(key=lambda m: m.slot)
    validate(cat)
    return cat


def _family_position(cat, family):
    """Families take the order in which library.cat names their first
    interface: the library's interfaces, then the extra identifiers. One
    named in neither comes last (validate reports it), by key."""
    names = [i.name for i in cat.lib_interfaces] + list(cat.extras)
    first = family.interfaces[0].name if family.interfaces else None
    if first in names:
        return (names.index(first), family.key)
    return (len(names), family.key)


def validate(cat):
    problems = []
    for family in cat.families:
        chain = family.interfaces
        if not chain:
            problems.append('%s: no interface lines' % family.key)
            continue
        if family.sends_interface != chain[-1].name:
            problems.append('%s: sends %s, not its most derived interface'
                            % (family.key, family.sends_interface))
        expected_slot = 7 if chain[0].base == 'IDispatch' else 3
        for index, iface in enumerate(chain):
            if iface.first != expected_slot:
                problems.append('%s: %s starts at slot %d' % (family.key, iface.name, iface.first))
            expected_slot = iface.last + 1
            if index > 0 and iface.base != chain[index - 1].name:
                problems.append('%s: %s derives from %s' % (family.key, iface.name, iface.base))
            lib = [i for i in cat.lib_interfaces if i.name == iface.name]
            if lib:
                if lib[0].added != iface.last - iface.first + 1:
                    problems.append('%s: %s adds %d methods, the library says %d'
                                    % (family.key, iface.name, iface.last - iface.first + 1,
                                       lib[0].added))
                if lib[0].base != iface.base and iface.base != 'IDispatch':
                    problems.append('%s: base of %s differs' % (family.key, iface.name))
            else:
                cat.iid(iface.name)  # raises when there is none
        slots = [m.slot for m in family.methods]
        if slots != list(range(3, chain[-1].last + 1)):
            problems.append('%s: slots are not 3..%d without gaps' % (family.key, chain[-1].last))
        for m in family.methods:
            owner = [i for i in chain if i.first <= m.slot <= i.last]
            if m.kind == 'dispatch':
                owner = [ChainInterface('IDispatch', 'IUnknown', 3, 6)]
            if not owner or owner[0].name != m.interface:
                problems.append('%s.%s: slot %d is not in %s' % (family.key, m.name, m.slot,
                                                                 m.interface))
            names = [p.name for p in m.params]
            if len(set(names)) != len(names):
                problems.append('%s.%s: parameter names repeat' % (family.key, m.name))
            for item in m.send + m.recv:
                for ref in (item.param, item.count, item.capacity):
                    if ref is not None and ref not in names:
                        problems.append('%s.%s: unknown parameter %s' % (family.key, m.name, ref))
                if item.kind in ('plain', 'unique', 'array') and item.wire.startswith('_') \
                        and item.wire not in SCALAR_SIZES and item.wire not in WIRE_BUILTINS and cat.record(item.wire) is None \
                        and cat.enum(item.wire) is None:
                    problems.append('%s.%s: unknown record %s' % (family.key, m.name, item.wire))
    for r in cat.records:
        for item in r.items:
            if item.kind in ('record', 'unique', 'array') and item.type not in SCALAR_SIZES \
                    and cat.record(item.type) is None:
                problems.append('record %s: unknown type %s' % (r.name, item.type))
        names = [i.name for i in r.items]
        for item in r.items:
            target = item.declared_before
            if target is None:
                continue
            if r.raw_size is not None or target not in names or target == item.name:
                problems.append('record %s: %s cannot be declared before %s'
                                % (r.name, item.name, target))
            elif r.items[names.index(target)].declared_before is not None:
                problems.append('record %s: %s is declared before %s, which moves itself'
                                % (r.name, item.name, target))
        if r.raw_size is not None:
            offset = 0
            for item in r.items:
                if item.offset != offset:
                    problems.append('record %s: %s at %d, expected %d' % (r.name, item.name,
                                                                         item.offset, offset))
                offset = item.offset + raw_size(cat, item.type)
            if offset != r.raw_size:
                problems.append('record %s: fields end at %d, size is %d' % (r.name, offset,
                                                                            r.raw_size))
    tags = [r.tag for r in cat.records if r.tag is not None]
    if len(set(tags)) != len(tags):
        problems.append('record tags repeat')
    if problems:
        raise CatalogueError('\n'.join(problems))


WIRE_BUILTINS = {'_SYSTEMTIME', '_FILETIME', '_RNSM_EVENT', '_ULARGE_INTEGER'}

SCALAR_SIZES = {
    'long': 4, 'unsigned long': 4, 'short': 2, 'unsigned short': 2, 'char': 1,
    'unsigned char': 1, 'int': 4, '__int64': 8, 'unsigned __int64': 8, 'BSTR': None,
    'GUID': 16, '_SYSTEMTIME': 16, '_TIME_ZONE_INFORMATION': 172, 'VARIANT': None,
}


def raw_size(cat, type_text):
    m = re.match(r'^(.*)\[(\d+)\]$', type_text)
    if m:
        return raw_size(cat, m.group(1)) * int(m.group(2))
    if type_text in SCALAR_SIZES and SCALAR_SIZES[type_text] is not None:
        return SCALAR_SIZES[type_text]
    if cat.enum(type_text) is not None:
        return 4
    raise CatalogueError('no raw size for %s' % type_text)
