"""Emits the reply-path fuzzer's table: for every carried method, a call
with caller variables of its own (zeroed, as a careful caller passes them)
that reads whatever reply the fuzzer supplies, followed by the release of
everything the call handed back to those variables, as a caller would do
it. Arrays whose length the caller cannot learn (received without a count)
are passed as null, so that the frame reads them into cells of its own."""

from cxx_types import codec, cxx, split_pointer
from emit_records import BANNER

FIXED_BUFFER = 8  # elements of a fixed caller buffer, and its capacity


def _items_for(method, name):
    return [i for i in method.recv if i.param == name]


def _is_count(method, name):
    return any(i.kind == 'array' and (i.count == name or i.capacity == name)
               for i in method.send + method.recv)


def _is_fixed_capacity(method, name):
    """A count that also gives a fixed buffer's capacity."""
    for i in method.recv:
        if i.kind != 'array':
            continue
        p = method.param(i.param)
        _, stars = split_pointer(p.type)
        if stars == 1 and (i.capacity == name or (i.capacity is None and i.count == name)):
            return True
    return False


def _call(cat, family, index, m):
    decl, args, release = [], [], []
    names = [x.name for x in m.params]
    for k, p in enumerate(m.params):
        v = 'a%d' % k
        base, stars = split_pointer(p.type)
        if _is_count(m, p.name):
            ctype = cxx(cat, base)
            value = FIXED_BUFFER if _is_fixed_capacity(m, p.name) else 0
            if stars == 0:
                args.append('static_cast<%s>(%d)' % (ctype, value))
            else:
                decl.append('%s %s = %d;' % (ctype, v, value))
                args.append('&%s' % v)
            continue
        recv = _items_for(m, p.name)
        if stars == 0:
            if base in ('BSTR', 'LPWSTR'):
                args.append('nullptr')
            else:
                decl.append('%s %s;' % (cxx(cat, base), v))
                decl.append('std::memset(static_cast<void*>(&%s), 0, sizeof %s);' % (v, v))
                args.append(v)
            continue
        if not recv:
            args.append('nullptr')  # sent only: travels as absent or zero
            continue
        item = recv[0]
        if item.kind == 'event':
            decl.append('_RNSM_EVENT %s{};' % v)
            args.append('&%s' % v)
            release.append('wire::Event::Release(%s, SharedMemMgr());' % v)
            continue
        w = codec(cat, item.wire, base)
        ctype = cxx(cat, base)
        if item.kind == 'array':
            count = None if item.shared else item.count
            if stars == 1:
                decl.append('%s %s[%d];' % (ctype, v, FIXED_BUFFER))
                decl.append('std::memset(static_cast<void*>(%s), 0, sizeof %s);' % (v, v))
                args.append(v)
                release.append('ReleaseElements<%s>(%s, %d);' % (w, v, FIXED_BUFFER))
            elif count is None:
                args.append('nullptr')
            else:
                decl.append('%s* %s = nullptr;' % (ctype, v))
                args.append('&%s' % v)
                release.append('{ ReleaseElements<%s>(%s, static_cast<ULONG>(%s)); '
                               'CoTaskMemFree(%s); }' % (w, v, 'a%d' % names.index(count), v))
            continue
        if stars == 2:
            decl.append('%s* %s = nullptr;' % (ctype, v))
            args.append('&%s' % v)
            release.append('if (%s != nullptr) { %s::Release(*%s, SharedMemMgr()); '
                           'CoTaskMemFree(%s); }' % (v, w, v, v))
            continue
        decl.append('%s %s;' % (ctype, v))
        decl.append('std::memset(static_cast<void*>(&%s), 0, sizeof %s);' % (v, v))
        args.append('&%s' % v)
        release.append('%s::Release(%s, SharedMemMgr());' % (w, v))
    lines = ['// %s::%s' % (family.most_derived, m.name),
             'void Call%d(CSoapRepository* repository) {' % index]
    lines += ['    ' + x for x in decl]
    lines.append('    static_cast<%s*>(repository)->%s(%s);' % (family.most_derived, m.name,
                                                              ', '.join(args)))
    lines += ['    ' + x for x in release]
    lines += ['}', '']
    return lines


def emit_reply_calls(cat):
    out = [BANNER, '// Every carried method, called with caller variables and released again,',
           '// for the reply-path fuzzer.', '',
           '#include <cstring>', '',
           '#include "catalogue/families.h"', '#include "catalogue/record_codecs.h"',
           '#include "repository/soap_repository.h"', '#include "serialization/rnsm_event.h"', '',
           'namespace ql::fuzz {', 'namespace {', '',
           'template <class W>',
           'void ReleaseElements(typename W::type* elements, ULONG count) {',
           '    if (elements == nullptr) return;',
           '    for (ULONG i = 0; i < count; ++i) W::Release(elements[i], SharedMemMgr());',
           '}', '']
    names = []
    for family in cat.families:
        for m in family.methods:
            if m.kind != 'remote':
                continue
            out += _call(cat, family, len(names), m)
            names.append('%s::%s' % (family.key, m.name))
    out += ['}  // namespace', '',
            'extern const int kReplyCallCount = %d;' % len(names), '',
            'void CallWithReply(int index, CSoapRepository* repository) {',
            '    switch (index) {']
    out += ['        case %d: Call%d(repository); break;' % (k, k) for k in range(len(names))]
    out += ['        default: break;', '    }', '}', '', '}  // namespace ql::fuzz', '']
    return '\n'.join(out)
