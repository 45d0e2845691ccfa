"""Emits the enumerations, the byte-packed record structs and the record
codecs (wire::Record<T>)."""

from catalogue import CatalogueError
from cxx_types import codec, cxx, enum_value, memory_layout

BANNER = '// Generated from catalogue/ by codegen/generate.py. Do not edit.\n'


def _field_codec(cat, item):
    declared = item.declared or item.type
    return codec(cat, item.type, declared)


def _members(cat, record):
    """C++ member declarations of a record, in memory order."""
    return ['%s %s%s;' % (ctype, name, '' if count is None else '[%d]' % count)
            for ctype, name, count in memory_layout(cat, record)]


def emit_records_header(cat):
    out = [BANNER, '// Enumerations and records of the remote interfaces, byte-packed.',
           '#pragma once', '', '#include "serialization/rnsm_event.h"',
           '#include "support/base/com_types.h"', '']
    for enum in cat.enums:
        out.append('enum %s : INT {' % enum.name)
        for name, number in enum.values:
            out.append('    %s = %s,' % (name, enum_value(number)))
        out.append('};')
    out.append('')
    for record in cat.records:
        out.append('struct %s;' % record.name)
    out += ['', '#pragma pack(push, 1)']
    for record in cat.records:
        out.append('struct %s {' % record.name)
        out += ['    ' + m for m in _members(cat, record)]
        out.append('};')
        if record.raw_size is not None:
            out.append('static_assert(sizeof(%s) == %d);' % (record.name, record.raw_size))
    out += ['#pragma pack(pop)', '']
    return '\n'.join(out)


def emit_codecs_header(cat):
    out = [BANNER,
           '// Wire codecs of the records: wire::Record<T> for every record that',
           '// travels, in the shape of serialization/wire_types.h. Lists are',
           '// wire::LinkedList over a node codec.',
           '#pragma once', '', '#include "catalogue/records.h"',
           '#include "serialization/linked_records.h"', '',
           'namespace ql::wire {', '',
           'template <class T>', 'struct Record;', 'template <class T>', 'struct RecordNode;', '']
    for record in cat.records:
        if record.tag is None:
            continue
        if record.is_list:
            next_name = [i.name for i in record.items if i.kind == 'next'][0]
            out += ['template <>', 'struct RecordNode<%s> {' % record.name,
                    '    using type = %s;' % record.name,
                    '    static type* GetNext(const type& node) noexcept { return node.%s; }'
                    % next_name,
                    '    static void SetNext(type& node, type* next) noexcept { node.%s = next; }'
                    % next_name,
                    '    static void WriteNode(CBinarySerializer& out, const type& node);',
                    '    static void ReadNode(CBinaryDeserializer& in, type& node);',
                    '    static void ReleaseNode(type& node, ATL::IAtlMemMgr* memMgr) noexcept;',
                    '};', 'template <>',
                    'struct Record<%s> : LinkedList<RecordNode<%s>> {' % (record.name, record.name),
                    '    static constexpr ULONG kTag = %d;' % record.tag, '};', '']
            continue
        out += ['template <>', 'struct Record<%s> {' % record.name,
                '    using type = %s;' % record.name,
                '    static constexpr ULONG kTag = %d;' % record.tag,
                '    static constexpr bool kBlockElement = false;']
        if record.writes:
            out.append('    static void Write(CBinarySerializer& out, const type& value);')
        if record.reads:
            out.append('    static void Read(CBinaryDeserializer& in, type& value);')
        out.append('    static void Release(type& value, ATL::IAtlMemMgr* memMgr) noexcept;')
        out += ['};', '']
    out += ['}  // namespace ql::wire', '']
    return '\n'.join(out)


# Members of the byte-packed records may sit at any address, and a
# reference to a misaligned member is not allowed: writers take copies
# (field::Copy), readers and releasers work on an aligned copy that is
# stored back when its scope ends (field::PackedMember), also when a read
# fails halfway.

def _member_type(cat, record, name):
    for ctype, member, count in memory_layout(cat, record):
        if member == name and count is None:
            return ctype
    raise CatalogueError('record %s has no member %s' % (record.name, name))


def _packed(cat, record, name, local):
    return 'field::PackedMember<%s> %s(&value, offsetof(%s, %s));' % (
        _member_type(cat, record, name), local, record.name, name)


def _write_fields(cat, record, var):
    lines = []
    for item in record.items:
        target = '%s.%s' % (var, item.name)
        if item.kind == 'field':
            lines.append('%s::Write(out, field::Copy(%s));' % (_field_codec(cat, item), target))
        elif item.kind == 'record':
            lines.append('Record<%s>::Write(out, %s);' % (item.type, target))
        elif item.kind == 'unique':
            lines.append('field::WriteUnique<Record<%s>>(out, %s);' % (item.type, target))
        elif item.kind == 'array':
            lines.append('field::WriteArray<%s>(out, %s, %s.%s);'
                         % (_element_codec(cat, item), target, var, item.count))
        elif item.kind == 'block':
            size = '%s.%s' % (var, item.size_field)
            if item.mod65536:
                size = '(%s & 0xFFFFu)' % size
            lines.append('out.WriteByteBlock(%s, %s);' % (size, target))
    return lines


def _read_fields(cat, record, var):
    lines = []
    for item in record.items:
        if item.kind == 'field':
            lines += ['{', '    ' + _packed(cat, record, item.name, 'member'),
                      '    %s::Read(in, *member);' % _field_codec(cat, item), '}']
        elif item.kind == 'record':
            lines.append('Record<%s>::Read(in, %s.%s);' % (item.type, var, item.name))
        elif item.kind == 'unique':
            lines += ['{', '    ' + _packed(cat, record, item.name, 'pointee'),
                      '    field::ReadUnique<Record<%s>>(in, *pointee);' % item.type, '}']
        elif item.kind == 'array':
            lines += ['{', '    ' + _packed(cat, record, item.name, 'elements'),
                      '    ' + _packed(cat, record, item.count, 'count'),
                      '    field::ReadArray<%s>(in, *elements, *count);'
                      % _element_codec(cat, item), '}']
        elif item.kind == 'block':
            size = '%s.%s' % (var, item.size_field)
            if item.mod65536:
                size = '(%s & 0xFFFFu)' % size
            lines += ['{', '    ' + _packed(cat, record, item.name, 'data'),
                      '    in.ReadByteBlock(%s, *data);' % size, '}']
    return lines


def _release_fields(cat, record, var):
    lines = []
    for item in record.items:
        if item.kind == 'field' and item.type in ('BSTR', 'VARIANT'):
            lines += ['{', '    ' + _packed(cat, record, item.name, 'member'),
                      '    %s::Release(*member, memMgr);' % _field_codec(cat, item), '}']
        elif item.kind == 'record':
            lines.append('Record<%s>::Release(%s.%s, memMgr);' % (item.type, var, item.name))
        elif item.kind == 'unique':
            lines += ['{', '    ' + _packed(cat, record, item.name, 'pointee'),
                      '    field::ReleaseUnique<Record<%s>>(*pointee, memMgr);' % item.type, '}']
        elif item.kind == 'array':
            lines += ['{', '    ' + _packed(cat, record, item.name, 'elements'),
                      '    ' + _packed(cat, record, item.count, 'count'),
                      '    field::ReleaseArray<%s>(*elements, *count, memMgr);'
                      % _element_codec(cat, item), '}']
        elif item.kind == 'block':
            lines += ['{', '    ' + _packed(cat, record, item.name, 'data'),
                      '    ' + _packed(cat, record, item.size_field, 'size'),
                      '    field::ReleaseBlock(*data, *size, memMgr);', '}']
    return lines


def _element_codec(cat, item):
    if cat.record(item.type) is not None:
        return 'Record<%s>' % item.type
    return codec(cat, item.type, item.type)


def _body(lines, empty_param=None):
    return ['    ' + l for l in lines]


def emit_codecs_source(cat):
    out = [BANNER, '#include "catalogue/record_codecs.h"', '', '#include <cstddef>',
           '#include <cstring>', '',
           '#include "serialization/record_fields.h"', '', 'namespace ql::wire {', '']
    for record in cat.records:
        if record.tag is None:
            continue
        name = record.name
        release = _release_fields(cat, record, 'value')
        if record.is_list:
            out += ['void RecordNode<%s>::WriteNode(CBinarySerializer& out, const type& value) {'
                    % name, '    out.WriteTag(%d);' % record.tag]
            out += _body(_write_fields(cat, record, 'value')) + ['}', '']
            out += ['void RecordNode<%s>::ReadNode(CBinaryDeserializer& in, type& value) {' % name,
                    '    std::memset(static_cast<void*>(&value), 0, sizeof value);',
                    '    in.ReadTag(%d);' % record.tag]
            out += _body(_read_fields(cat, record, 'value')) + ['}', '']
            out += ['void RecordNode<%s>::ReleaseNode(type& value, ATL::IAtlMemMgr* memMgr) '
                    'noexcept {' % name]
            out += _body(release or ['(void)value;', '(void)memMgr;']) + ['}', '']
            continue
        if record.writes:
            out += ['void Record<%s>::Write(CBinarySerializer& out, const type& value) {' % name,
                    '    out.WriteTag(kTag);']
            if record.raw_size is not None:
                out.append('    out.WriteRaw(&value, sizeof value);')
            else:
                out += _body(_write_fields(cat, record, 'value'))
            out += ['}', '']
        if record.reads:
            out += ['void Record<%s>::Read(CBinaryDeserializer& in, type& value) {' % name,
                    '    std::memset(static_cast<void*>(&value), 0, sizeof value);',
                    '    in.ReadTag(kTag);']
            if record.raw_size is not None:
                out.append('    in.ReadRaw(&value, sizeof value);')
            else:
                out += _body(_read_fields(cat, record, 'value'))
            out += ['}', '']
        out += ['void Record<%s>::Release(type& value, ATL::IAtlMemMgr* memMgr) noexcept {' % name]
        out += _body(release or ['(void)value;', '(void)memMgr;']) + ['}', '']
    out += ['}  // namespace ql::wire', '']
    return '\n'.join(out)


# The vault server writes what the client reads and reads what the client
# writes, so it needs the directions the client library leaves out. They are
# emitted apart (server/record_peer.*), compiled only into the server, so the
# library carries no code it never runs.

def _missing_directions(record):
    if record.is_list:
        return []
    return [d for d, has in (('write', record.writes), ('read', record.reads)) if not has]


def emit_peer_header(cat):
    out = [BANNER,
           '// Both directions of every record codec for the vault server: the',
           '// directions the client library has no use for (PeerWrite, PeerRead),',
           '// wire::RecordCodec<T> that picks whichever exists, and the records by',
           '// the wire name the method tables use.',
           '#pragma once', '', '#include <span>', '', '#include "catalogue/record_codecs.h"', '',
           'namespace ql::wire {', '']
    for record in cat.records:
        if record.tag is None:
            continue
        missing = _missing_directions(record)
        if 'write' in missing:
            out.append('void PeerWrite(CBinarySerializer& out, const %s& value);' % record.name)
        if 'read' in missing:
            out.append('void PeerRead(CBinaryDeserializer& in, %s& value);' % record.name)
    out += ['',
            '// Record<T> with both directions, for the field helpers of',
            '// serialization/record_fields.h.',
            'template <class T>',
            'struct RecordCodec : Record<T> {',
            '    static void Write(CBinarySerializer& out, const T& value) {',
            '        if constexpr (requires { Record<T>::Write(out, value); })',
            '            Record<T>::Write(out, value);',
            '        else',
            '            PeerWrite(out, value);',
            '    }',
            '    static void Read(CBinaryDeserializer& in, T& value) {',
            '        if constexpr (requires { Record<T>::Read(in, value); })',
            '            Record<T>::Read(in, value);',
            '        else',
            '            PeerRead(in, value);',
            '    }',
            '};', '',
            '// A record by its wire name: writes its all-zero value, or reads one',
            '// and frees what it owned (a list: every node).',
            'struct RecordOps {',
            '    const char* name;',
            '    ULONG tag;',
            '    void (*writeZero)(CBinarySerializer& out);',
            '    void (*readAndDiscard)(CBinaryDeserializer& in);',
            '};', '',
            'std::span<const RecordOps> AllRecordOps() noexcept;',
            'const RecordOps* FindRecordOps(const char* name) noexcept;', '',
            '}  // namespace ql::wire', '']
    return '\n'.join(out)


def _peer_lines(lines):
    return [l.replace('Record<', 'RecordCodec<') for l in lines]


def emit_peer_source(cat):
    out = [BANNER, '#include "server/record_peer.h"', '', '#include <cstddef>', '#include <cstring>',
           '', '#include "serialization/record_fields.h"', '', 'namespace ql::wire {', '']
    travelling = [r for r in cat.records if r.tag is not None]
    for record in travelling:
        name = record.name
        missing = _missing_directions(record)
        if 'write' in missing:
            out += ['void PeerWrite(CBinarySerializer& out, const %s& value) {' % name,
                    '    out.WriteTag(%d);' % record.tag]
            if record.raw_size is not None:
                out.append('    out.WriteRaw(&value, sizeof value);')
            else:
                out += _body(_peer_lines(_write_fields(cat, record, 'value')))
            out += ['}', '']
        if 'read' in missing:
            out += ['void PeerRead(CBinaryDeserializer& in, %s& value) {' % name,
                    '    std::memset(static_cast<void*>(&value), 0, sizeof value);',
                    '    in.ReadTag(%d);' % record.tag]
            if record.raw_size is not None:
                out.append('    in.ReadRaw(&value, sizeof value);')
            else:
                out += _body(_peer_lines(_read_fields(cat, record, 'value')))
            out += ['}', '']
    out += ['namespace {', '',
            'template <class T>',
            'void WriteZero(CBinarySerializer& out) {',
            '    T value;',
            '    std::memset(static_cast<void*>(&value), 0, sizeof value);',
            '    RecordCodec<T>::Write(out, value);',
            '}', '',
            'template <class T>',
            'void ReadAndDiscard(CBinaryDeserializer& in) {',
            '    T value;',
            '    std::memset(static_cast<void*>(&value), 0, sizeof value);',
            '    try {',
            '        RecordCodec<T>::Read(in, value);',
            '    } catch (...) {',
            '        RecordCodec<T>::Release(value, in.MemMgr());',
            '        throw;',
            '    }',
            '    RecordCodec<T>::Release(value, in.MemMgr());',
            '}', '',
            'constexpr RecordOps kRecordOps[] = {']
    for record in travelling:
        out.append('    {"%s", %d, &WriteZero<%s>, &ReadAndDiscard<%s>},'
                   % (record.name, record.tag, record.name, record.name))
    out += ['};', '', '}  // namespace', '',
            'std::span<const RecordOps> AllRecordOps() noexcept { return kRecordOps; }', '',
            'const RecordOps* FindRecordOps(const char* name) noexcept {',
            '    for (const RecordOps& ops : kRecordOps) {',
            '        if (std::strcmp(ops.name, name) == 0) return &ops;',
            '    }',
            '    return nullptr;',
            '}', '', '}  // namespace ql::wire', '']
    return '\n'.join(out)
