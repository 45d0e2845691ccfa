"""Emits the proxies: one line per method handing its arguments, wrapped as
descriptors of what is sent and what is received, to the call frame."""

from catalogue import CatalogueError
from cxx_types import codec, cxx, split_pointer
from emit_interfaces import DISPATCH_SIGNATURES, family_constant, signature
from emit_records import BANNER


def _element(cat, item, param):
    base, _ = split_pointer(param.type)
    return codec(cat, item.wire, base)


def _count_value(cat, method, name):
    """The caller's count, by value or read through its pointer when the
    request is written."""
    p = method.param(name)
    _, stars = split_pointer(p.type)
    if stars == 0:
        return 'call::Count(%s)' % name
    return 'call::CountAt(%s)' % name


def _count_cell(cat, method, name):
    if name is None:
        return 'nullptr'
    p = method.param(name)
    base, stars = split_pointer(p.type)
    if stars != 1:
        raise CatalogueError('%s: count %s is not a pointer' % (method.name, name))
    return 'call::CountCell(%s)' % name


def send_arg(cat, method, item, first_array_count):
    p = method.param(item.param)
    base, stars = split_pointer(p.type)
    if item.kind == 'event':
        return 'call::SendEvent(%s)' % p.name
    if item.kind == 'plain':
        if stars == 0:
            if base == 'LPWSTR':
                return 'call::InWideString(%s)' % p.name
            return 'call::In<%s>(%s)' % (codec(cat, item.wire, base), p.name)
        if stars == 1:
            return 'call::InValueAt<%s>(%s)' % (codec(cat, item.wire, base), p.name)
    if item.kind == 'unique':
        element = codec(cat, item.wire, base)
        if stars == 1:
            return 'call::InPtr<%s>(%s)' % (element, p.name)
        if stars == 2:
            return 'call::InPtrAt<%s>(%s)' % (element, p.name)
    if item.kind == 'array':
        elements = ('call::Elements(%s)' if stars == 1 else 'call::ElementsAt(%s)') % p.name
        if item.shared:
            return 'call::ArrayInSharedCount<%s>(%s, %s)' % (_element(cat, item, p), elements,
                                                             first_array_count)
        if item.count is None:
            raise CatalogueError('%s: sent array %s has no count' % (method.name, p.name))
        count = _count_value(cat, method, item.count)
        return 'call::ArrayIn<%s>(%s, %s)' % (_element(cat, item, p), elements, count)
    raise CatalogueError('%s: cannot send %s as %s %s' % (method.name, p.name, item.kind, item.wire))


def _sent_count(cat, method, param, first_array_count):
    """The count a sent array went out with, or None."""
    for item in method.send:
        if item.kind == 'array' and item.param == param:
            if item.shared:
                return first_array_count
            return _count_value(cat, method, item.count) if item.count else None
    return None


def recv_arg(cat, method, item, first_array_count=None):
    p = method.param(item.param)
    base, stars = split_pointer(p.type)
    clear = 'true' if p.direction == 'out' else 'false'
    if item.kind == 'event':
        return 'call::RecvEvent(%s)' % p.name
    if item.kind == 'plain' and stars == 1:
        element = codec(cat, item.wire, base)
        if p.direction == 'out':
            return 'call::Out<%s>(%s)' % (element, p.name)
        return 'call::OutReplacing<%s>(%s)' % (element, p.name)
    if item.kind == 'unique':
        element = codec(cat, item.wire, base)
        if stars == 1:
            return 'call::RecvUnique<%s>(%s)' % (element, p.name)
        if stars == 2:
            return 'call::RecvUniqueVariable<%s>(%s, %s)' % (element, p.name, clear)
    if item.kind == 'array':
        element = _element(cat, item, p)
        count = None if item.shared else item.count
        held = _sent_count(cat, method, p.name, first_array_count)
        if stars == 2 and count is None and p.direction == 'inout' and held is not None:
            return 'call::RecvArrayHolding<%s>(%s, %s)' % (element, p.name, held)
        if stars == 2:
            return 'call::RecvArray<%s>(%s, %s, %s)' % (element, p.name,
                                                        _count_cell(cat, method, count), clear)
        if stars == 1:
            if item.capacity is not None:
                capacity = 'call::Capacity(%s)' % item.capacity
            elif count is not None and method.param(count).direction == 'inout':
                capacity = _count_value(cat, method, count)
            else:
                raise CatalogueError('%s: fixed buffer %s without a capacity' % (method.name,
                                                                                 p.name))
            count_clear = 'true' if count and method.param(count).direction == 'out' else 'false'
            return 'call::RecvArrayFixed<%s>(%s, %s, %s, %s)' % (
                element, p.name, _count_cell(cat, method, count), capacity, count_clear)
    raise CatalogueError('%s: cannot receive %s as %s %s' % (method.name, p.name, item.kind,
                                                           item.wire))


def _unnamed(signature_text):
    parts = [s.strip() for s in signature_text.split(',') if s.strip()]
    return ', '.join(s.rsplit(' ', 1)[0] for s in parts)


def proxy(cat, family, m):
    if m.kind in ('dispatch', 'notimpl', 'empty'):
        sig = signature(cat, m)
        return ['HRESULT CSoapRepository::%s(%s) { return hr::kNotImpl; }' % (m.name, _unnamed(sig)),
                '']
    sent_arrays = [i for i in m.send if i.kind == 'array' and not i.shared]
    first_count = _count_value(cat, m, sent_arrays[0].count) if sent_arrays and \
        sent_arrays[0].count else None
    args = [send_arg(cat, m, i, first_count) for i in m.send]
    args += [recv_arg(cat, m, i, first_count) for i in m.recv]
    names = ', '.join(p.name for p in m.params)
    dcom = ('[&](IUnknown* remote) { return static_cast<%s*>(remote)->%s(%s); }'
            % (family.most_derived, m.name, names))
    lines = ['HRESULT CSoapRepository::%s(%s) {' % (m.name, signature(cat, m)),
             '    return RunRemoteCall(Target(), %s, OLESTR("%s"),' % (family_constant(family),
                                                                     m.name),
             '                         ' + dcom + (',' if args else ');')]
    for index, a in enumerate(args):
        lines.append('                         %s%s' % (a, ',' if index + 1 < len(args) else ');'))
    lines += ['}', '']
    return lines


def emit_family_proxies(cat, family):
    out = [BANNER, '// Proxies of the %s family.' % family.most_derived, '',
           '#include "catalogue/families.h"', '#include "catalogue/record_codecs.h"',
           '#include "repository/soap_repository.h"', '', 'namespace ql {', '']
    for m in family.methods:
        out += proxy(cat, family, m)
    out += ['}  // namespace ql', '']
    return '\n'.join(out)
