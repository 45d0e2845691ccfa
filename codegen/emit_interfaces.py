"""Emits the interface declarations in slot order with their identifiers,
the families' fixed identifier pairs, the repository's method declarations
and its interface map."""

from cxx_types import cxx
from emit_records import BANNER

DISPATCH_SIGNATURES = {
    'GetTypeInfoCount': 'UINT* pctinfo',
    'GetTypeInfo': 'UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo',
    'GetIDsOfNames': 'REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId',
    'Invoke': 'DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams, '
              'VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr',
}


def guid_initializer(text):
    h = text.strip('{}').replace('-', '')
    data4 = ', '.join('0x%s' % h[16 + 2 * i:18 + 2 * i] for i in range(8))
    return '{0x%s, 0x%s, 0x%s, {%s}}' % (h[0:8], h[8:12], h[12:16], data4)


def signature(cat, method, named=True):
    if method.kind == 'dispatch':
        return DISPATCH_SIGNATURES[method.name]
    parts = []
    for p in method.params:
        parts.append('%s %s' % (cxx(cat, p.type), p.name) if named else cxx(cat, p.type))
    return ', '.join(parts)


def all_interfaces(cat):
    """(chain interface, family) pairs: the control interface, then every family."""
    result = [(i, cat.control) for i in cat.control.interfaces]
    for family in cat.families:
        result += [(i, family) for i in family.interfaces]
    return result


def emit_interfaces_header(cat):
    out = [BANNER,
           '// The interfaces the repository object implements, in slot order, and',
           '// their identifiers.', '#pragma once', '', '#include "catalogue/records.h"',
           '#include "support/base/com_types.h"', '', 'namespace ql {', '']
    out.append('// %s' % cat.library['libid'])
    out.append('inline constexpr GUID LIBID_%s = %s;' % (cat.library['name'],
                                                          guid_initializer(cat.library['libid'])))
    out.append('// %s' % cat.klass['clsid'])
    out.append('inline constexpr CLSID CLSID_%s = %s;' % (cat.klass['name'],
                                                          guid_initializer(cat.klass['clsid'])))
    out.append('')
    for iface in cat.lib_interfaces:
        out.append('inline constexpr IID IID_%s = %s;' % (iface.name, guid_initializer(iface.iid)))
    for name, iid in cat.extras.items():
        if name == 'IClientSecurity':
            continue
        out.append('inline constexpr IID IID_%s = %s;' % (name, guid_initializer(iid)))
    out.append('')
    for iface, family in all_interfaces(cat):
        base = iface.base
        methods = [m for m in family.methods if iface.first <= m.slot <= iface.last]
        if base == 'IDispatch':
            # The four IDispatch operations are declared here, in their slots,
            # so that the chain has the same table on every platform.
            base = 'IUnknown'
            methods = [m for m in family.methods if m.kind == 'dispatch'] + methods
        out.append('struct %s : %s {' % (iface.name, base))
        for m in methods:
            out.append('    virtual HRESULT STDMETHODCALLTYPE %s(%s) = 0;  // slot %d'
                       % (m.name, signature(cat, m), m.slot))
        out += ['', 'protected:', '    ~%s() = default;' % iface.name, '};', '']
    out += ['}  // namespace ql', '']
    return '\n'.join(out)


def family_constant(family):
    return 'kFamily%s' % family.key


def emit_families_header(cat):
    out = [BANNER, '// The interface families and the identifier pair each one sends.',
           '#pragma once', '', '#include "catalogue/interfaces.h"',
           '#include "proxies/call_frame.h"', '', 'namespace ql {', '']
    for family in cat.families:
        out.append('// %s' % family.server_clsid)
        out.append('inline constexpr RemoteFamily %s{OLESTR("%s"), %s, IID_%s};'
                   % (family_constant(family), family.prefix,
                      guid_initializer(family.server_clsid), family.sends_interface))
    out += ['', '}  // namespace ql', '']
    return '\n'.join(out)


def emit_method_declarations(cat):
    out = [BANNER.replace('//', '//', 1),
           '// Included inside the class CSoapRepository: one proxy per method of',
           '// every family, in slot order.']
    for family in cat.families:
        out.append('')
        out.append('// %s' % family.most_derived)
        for m in family.methods:
            out.append('HRESULT STDMETHODCALLTYPE %s(%s) override;' % (m.name, signature(cat, m)))
    out.append('')
    return '\n'.join(out)


def emit_interface_map(cat):
    out = [BANNER, '#include "repository/soap_repository.h"', '', 'namespace ql {', '',
           'void* CSoapRepository::FamilyInterface(REFIID riid) noexcept {']
    for family in cat.families:
        names = [i.name for i in family.interfaces]
        test = ' ||\n        '.join('IsEqualIID(riid, IID_%s)' % n for n in names)
        out += ['    if (%s)' % test,
                '        return static_cast<%s*>(this);' % family.most_derived]
    out += ['    return nullptr;', '}', '', '}  // namespace ql', '']
    return '\n'.join(out)
