"""Emits the machine-readable listing of the catalogue (JSON) and the method
tables that the reference server and the decoder walk."""

import json

from emit_interfaces import guid_initializer
from emit_records import BANNER


def _item(i):
    d = {'kind': i.kind, 'wire': i.wire, 'param': i.param}
    if i.kind == 'array':
        d['count'] = i.count
        if i.shared:
            d['shared'] = True
        if i.capacity:
            d['capacity'] = i.capacity
    return d


def _record_item(i):
    d = {'kind': i.kind, 'name': i.name, 'type': i.type}
    if i.kind == 'at':
        d['offset'] = i.offset
    if i.declared:
        d['declared'] = i.declared
    if i.kind == 'array':
        d['count'] = i.count
        d['countBits'] = i.count_bits
    if i.kind == 'block':
        d['sizeField'] = i.size_field
        if i.mod65536:
            d['mod65536'] = True
    return d


def emit_json(cat):
    doc = {
        'library': cat.library,
        'class': cat.klass,
        'interfaces': [{'name': i.name, 'iid': i.iid, 'base': i.base, 'added': i.added}
                       for i in cat.lib_interfaces],
        'extraInterfaces': cat.extras,
        'enums': [{'name': e.name,
                   'values': [{'name': n, 'value': (0x8C000000 + v) - (1 << 32)} for n, v in
                              e.values]} for e in cat.enums],
        'records': [{'name': r.name, 'tag': r.tag, 'direction': r.direction,
                     'rawSize': r.raw_size, 'items': [_record_item(i) for i in r.items]}
                    for r in cat.records],
        'families': [{
            'key': f.key, 'prefix': f.prefix, 'serverClass': f.server_clsid,
            'sendsInterface': f.sends_interface, 'sendsIid': cat.iid(f.sends_interface),
            'interfaces': [{'name': i.name, 'base': i.base, 'firstSlot': i.first,
                            'lastSlot': i.last} for i in f.interfaces],
            'methods': [{'slot': m.slot, 'name': m.name, 'interface': m.interface,
                         'kind': m.kind,
                         'params': [{'direction': p.direction, 'type': p.type, 'name': p.name}
                                    for p in m.params],
                         'sent': [_item(i) for i in m.send],
                         'received': [_item(i) for i in m.recv]} for m in f.methods],
        } for f in cat.families],
    }
    return json.dumps(doc, indent=1, sort_keys=False) + '\n'


def emit_tables_header(cat):
    return '\n'.join([
        BANNER,
        '// The catalogue as tables: for every family its identifiers and, per',
        '// method, what a request carries after the call header and what a reply',
        '// carries after the result. The reference server and the decoder walk them.',
        '#pragma once', '', '#include <span>', '', '#include "support/base/com_types.h"', '',
        'namespace ql::catalog {', '',
        'enum class ItemKind : BYTE { kPlain, kUnique, kArray, kEvent };',
        'enum class MethodKind : BYTE { kRemote, kNotImplemented, kDispatch, kEmpty };',
        '',
        '// One value on the wire. wire names its type as the catalogue does',
        '// ("long", "BSTR", "_blobkey"); recordTag is the record\'s tag, 0 otherwise.',
        'struct WireItem {', '    ItemKind kind;', '    const char* wire;',
        '    ULONG recordTag;', '    const char* param;', '};', '',
        'struct MethodEntry {', '    const char* name;', '    USHORT slot;',
        '    MethodKind kind;', '    std::span<const WireItem> sent;',
        '    std::span<const WireItem> received;', '};', '',
        'struct FamilyEntry {', '    const char* key;', '    const char* prefix;',
        '    CLSID serverClass;', '    IID sentInterface;',
        '    std::span<const MethodEntry> methods;', '};', '',
        'struct RecordEntry {', '    const char* name;', '    ULONG tag;',
        '    // 0 for records carried field by field.', '    ULONG rawSize;',
        '    bool written;', '    bool read;', '};', '',
        'std::span<const FamilyEntry> Families() noexcept;',
        'std::span<const RecordEntry> Records() noexcept;',
        '// The method of a family by the name a request carries, or null.',
        'const MethodEntry* FindMethod(const FamilyEntry& family, const char* name) noexcept;',
        '', '}  // namespace ql::catalog', ''])


KINDS = {'plain': 'kPlain', 'unique': 'kUnique', 'array': 'kArray', 'event': 'kEvent'}
METHOD_KINDS = {'remote': 'kRemote', 'notimpl': 'kNotImplemented', 'dispatch': 'kDispatch',
                'empty': 'kEmpty'}


def emit_tables_source(cat):
    out = [BANNER, '#include "catalogue/method_tables.h"', '', '#include <cstring>', '',
           'namespace ql::catalog {', 'namespace {', '']

    def items(name, lst):
        if not lst:
            return None
        rows = []
        for i in lst:
            r = cat.record(i.wire)
            rows.append('    {ItemKind::%s, "%s", %d, "%s"},' % (KINDS[i.kind], i.wire,
                                                              r.tag if r else 0, i.param))
        out.extend(['constexpr WireItem %s[] = {' % name] + rows + ['};'])
        return name

    for f in cat.families:
        method_rows = []
        for m in f.methods:
            s = items('k%s_%s_Sent' % (f.key, m.name), m.send)
            r = items('k%s_%s_Received' % (f.key, m.name), m.recv)
            method_rows.append('    {"%s", %d, MethodKind::%s, %s, %s},' % (
                m.name, m.slot, METHOD_KINDS[m.kind],
                'std::span<const WireItem>(%s)' % s if s else '{}',
                'std::span<const WireItem>(%s)' % r if r else '{}'))
        out += ['constexpr MethodEntry k%sMethods[] = {' % f.key] + method_rows + ['};', '']
    out.append('constexpr FamilyEntry kFamilies[] = {')
    for f in cat.families:
        out.append('    {"%s", "%s", %s, %s, k%sMethods},' % (
            f.key, f.prefix, guid_initializer(f.server_clsid),
            guid_initializer(cat.iid(f.sends_interface)), f.key))
    out += ['};', '', 'constexpr RecordEntry kRecords[] = {']
    for r in cat.records:
        if r.tag is None:
            continue
        out.append('    {"%s", %d, %d, %s, %s},' % (r.name, r.tag, r.raw_size or 0,
                                                    'true' if r.writes else 'false',
                                                    'true' if r.reads else 'false'))
    out += ['};', '', '}  // namespace', '',
            'std::span<const FamilyEntry> Families() noexcept { return kFamilies; }',
            'std::span<const RecordEntry> Records() noexcept { return kRecords; }', '',
            'const MethodEntry* FindMethod(const FamilyEntry& family, const char* name) noexcept {',
            '    for (const MethodEntry& method : family.methods)',
            '        if (std::strcmp(method.name, name) == 0) return &method;',
            '    return nullptr;', '}', '', '}  // namespace ql::catalog', '']
    return '\n'.join(out)
