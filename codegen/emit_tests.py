"""Emits the tests generated from the catalogue, one file per family:

- a round trip of every carried method through the scripted transport: the
  request must hold exactly the sent list (its bytes are computed here, by
  an encoder of its own, from the sample arguments), and a reply built from
  the received list must be consumed exactly, with the out-arguments checked;
- the same call with every [out] and [in,out] pointer null: the reply is
  still consumed exactly and nothing leaks;
- the not-implemented slots: 0x80004001 before Initialize, with no request,
  no trace line and no wait for the call lock;
- the DCOM path: every method reaches the same slot of a fake remote object
  with the same arguments.

Requests and replies carry no tags (the request threshold is 255 and the
scripted replies use the same)."""

import struct

from catalogue import CatalogueError
from cxx_types import SCALAR_TAGS, cxx, split_pointer
from emit_interfaces import guid_initializer, signature
from emit_records import BANNER

SCALAR_SIZES = {'long': 4, 'unsigned long': 4, 'int': 4, 'short': 2, 'unsigned short': 2,
                'char': 1, 'unsigned char': 1, '__int64': 8, 'unsigned __int64': 8}
STRUCT_CODES = {1: '<B', 2: '<H', 4: '<I', 8: '<Q'}
ARRAY_REPLY_LENGTH = 3  # received into a variable: grows the caller's array of 2
FIXED_REPLY_LENGTH = 2  # received into a fixed buffer
FIXED_BUFFER = 8  # elements of a fixed caller buffer, and the capacity given for it


def le(size, value):
    return struct.pack(STRUCT_CODES[size], value & ((1 << (8 * size)) - 1))


def pattern(size, seed):
    return bytes((seed + 31 * i) & 0xFF for i in range(size))


def bstr(text):
    if text is None:
        return le(4, 0)
    data = (text + '\0').encode('utf-16-le')
    return le(4, len(data)) + data


def hex_text(data):
    return data.hex().upper()


class Encoder:
    def __init__(self, cat):
        self.cat = cat

    def scalar_size(self, wire):
        if wire in SCALAR_SIZES:
            return SCALAR_SIZES[wire]
        raise CatalogueError('no scalar size for %s' % wire)

    def zero_value(self, wire):
        if wire in SCALAR_SIZES:
            return bytes(SCALAR_SIZES[wire])
        if wire == 'BSTR':
            return le(4, 0)
        if wire in ('GUID', '_SYSTEMTIME'):
            return bytes(16)
        if wire == '_FILETIME':
            return bytes(8)
        if wire == 'VARIANT':
            return bytes(8)
        record = self.cat.record(wire)
        if record is not None:
            return self.zero_record(record)
        raise CatalogueError('no zero encoding for %s' % wire)

    def zero_record(self, record):
        if record.raw_size is not None:
            return bytes(record.raw_size)
        out = b''
        for item in record.items:
            if item.kind == 'field':
                out += self.zero_value(item.type)
            elif item.kind == 'record':
                out += self.zero_record(self.cat.record(item.type))
            elif item.kind in ('unique', 'next'):
                out += le(4, 0)
            elif item.kind == 'array':
                out += le(4, 0) + le(4, 0)
        return out


def is_raw(cat, name):
    r = cat.record(name)
    return r is not None and r.raw_size is not None


class Sample:
    """Sample arguments of one method and what they put on the wire."""

    def __init__(self, cat, family, method, nulls):
        self.cat = cat
        self.enc = Encoder(cat)
        self.family = family
        self.m = method
        self.nulls = nulls  # [out] and [in,out] pointers passed as null
        self.decl = []
        self.checks = []
        self.cleanup = []
        self.args = {}
        self.request = b''
        self.reply = b''
        self.seed = method.slot * 13
        self.sent_params = set()
        self.counts = {}  # count parameter -> array parameter
        self.capacities = {i.capacity for i in method.recv if i.kind == 'array' and i.capacity}
        for item in method.send:
            self.sent_params.add(item.param)
            if item.kind == 'array' and item.count:
                self.sent_params.add(item.count)
        for item in method.send + method.recv:
            if item.kind == 'array' and item.count and not item.shared:
                self.counts[item.count] = item.param
        self.build()

    # -- values ------------------------------------------------------------
    def value(self, index, reply=False):
        if reply:
            return (self.m.slot * 5 + index * 3) % 100 + 20
        return (self.m.slot * 3 + index * 7) % 100 + 1

    def enum_constant(self, enum_name, second=False):
        e = self.cat.enum(enum_name)
        name, number = e.values[1 if second and len(e.values) > 1 else 0]
        return name, 0x8C000000 + number

    def next_seed(self):
        self.seed = (self.seed + 37) & 0xFF
        return self.seed

    def nulled(self, p):
        _, stars = split_pointer(p.type)
        return self.nulls and stars > 0 and p.direction in ('out', 'inout')

    # -- element models ------------------------------------------------------
    def element_init(self, var, base, index, element_wire):
        """C++ lines giving var (an element lvalue) a sample value, and its
        encoding."""
        if self.cat.record(base) is not None:
            record = self.cat.record(base)
            if record.raw_size is not None:
                seed = self.next_seed()
                return (['test::FillPattern(&%s, sizeof(%s), %du);' % (var, base, seed)],
                        pattern(record.raw_size, seed))
            return (['std::memset(static_cast<void*>(&%s), 0, sizeof(%s));' % (var, base)],
                    self.enc.zero_record(record))
        if base == 'BSTR':
            text = 'e%d' % index
            return (['%s = SysAllocString(OLESTR("%s"));' % (var, text)], bstr(text))
        if base in ('GUID', '_SYSTEMTIME'):
            seed = self.next_seed()
            return (['test::FillPattern(&%s, 16, %du);' % (var, seed)], pattern(16, seed))
        if base in SCALAR_SIZES or self.cat.enum(base) is not None:
            v = self.value(index + 40)
            size = self.enc.scalar_size(element_wire)
            return (['%s = static_cast<%s>(%d);' % (var, cxx(self.cat, base), v)], le(size, v))
        raise CatalogueError('%s: no sample element for %s' % (self.m.name, base))

    def reply_element(self, base, index, element_wire):
        """Encoding of one received element and a check on the C++ lvalue."""
        record = self.cat.record(base)
        if record is not None:
            if record.raw_size is not None:
                seed = self.next_seed()
                return pattern(record.raw_size, seed), (
                    lambda var, s=seed, b=base: [
                        'EXPECT_EQ(test::Pattern(sizeof(%s), %du), '
                        'Bytes(reinterpret_cast<const std::uint8_t*>(&%s), '
                        'reinterpret_cast<const std::uint8_t*>(&%s) + sizeof(%s)));'
                        % (b, s, var, var, b)])
            return self.enc.zero_record(record), (lambda var: [])
        if base == 'BSTR':
            text = 'r%d' % index
            return bstr(text), (lambda var, t=text: [
                'EXPECT_EQ(u"%s", test::BstrText(%s));' % (t, var)])
        if base in ('GUID', '_SYSTEMTIME'):
            seed = self.next_seed()
            return pattern(16, seed), (lambda var, s=seed: [
                'EXPECT_EQ(test::Pattern(16, %du), Bytes(reinterpret_cast<const std::uint8_t*>'
                '(&%s), reinterpret_cast<const std::uint8_t*>(&%s) + 16));' % (s, var, var)])
        if base in SCALAR_SIZES or self.cat.enum(base) is not None:
            v = self.value(index + 60, reply=True)
            size = self.enc.scalar_size(element_wire)
            return le(size, v), (lambda var, v=v: [
                'EXPECT_EQ(static_cast<long long>(%d), static_cast<long long>(%s));' % (v, var)])
        raise CatalogueError('%s: no reply element for %s' % (self.m.name, base))

    def release_element(self, var, base):
        if base == 'BSTR':
            return ['SysFreeString(%s);' % var]
        record = self.cat.record(base)
        if record is not None and record.raw_size is None:
            return ['wire::Record<%s>::Release(%s, SharedMemMgr());' % (base, var)]
        return []

    # -- building ------------------------------------------------------------
    def build(self):
        m = self.m
        self.plans = {}
        for index, p in enumerate(m.params):
            self.plan(index, p)
        for item in m.send:
            self.request += self.encode_send(item)
        for item in m.recv:
            self.reply += self.encode_recv(item)

    def var(self, p):
        return 'a%d' % [x.name for x in self.m.params].index(p.name)

    def array_items(self, p):
        return [i for i in self.m.send + self.m.recv if i.kind == 'array' and i.param == p.name]

    def plan(self, index, p):
        """Declares the variable of parameter p and sets self.args[p.name]."""
        cat = self.cat
        base, stars = split_pointer(p.type)
        v = self.var(p)
        ctype = cxx(cat, base)
        model = {}
        self.plans[p.name] = model
        if stars == 0:
            model['kind'] = 'value'
            if p.name in self.capacities:
                self.decl.append('%s %s = %d;' % (ctype, v, FIXED_BUFFER))
                model['value'] = FIXED_BUFFER
            elif p.name in self.counts:
                value = 0 if self.nulls and self.nulled(self.m.param(self.counts[p.name])) else 2
                self.decl.append('%s %s = %d;' % (ctype, v, value))
                model['value'] = value
            elif base == 'BSTR':
                self.decl.append('BSTR %s = SysAllocString(OLESTR("s%d"));' % (v, index))
                self.cleanup.append('SysFreeString(%s);' % v)
                model['text'] = 's%d' % index
            elif base == 'LPWSTR':
                self.decl.append('OLECHAR %s_text[] = OLESTR("w%d");' % (v, index))
                self.decl.append('LPWSTR %s = %s_text;' % (v, v))
                model['text'] = 'w%d' % index
            elif cat.enum(base) is not None:
                name, number = self.enum_constant(base)
                self.decl.append('%s %s = %s;' % (base, v, name))
                model['value'] = number
            elif base in SCALAR_SIZES:
                value = self.value(index)
                self.decl.append('%s %s = static_cast<%s>(%d);' % (ctype, v, ctype, value))
                model['value'] = value
            elif base in ('GUID', '_SYSTEMTIME', '_FILETIME') or is_raw(cat, base):
                seed = self.next_seed()
                self.decl.append('%s %s;' % (ctype, v))
                self.decl.append('test::FillPattern(&%s, sizeof %s, %du);' % (v, v, seed))
                model['bytes'] = pattern(self.size_of(base), seed)
            elif cat.record(base) is not None:
                self.decl.append('%s %s;' % (ctype, v))
                self.decl.append('std::memset(static_cast<void*>(&%s), 0, sizeof %s);' % (v, v))
                model['bytes'] = self.enc.zero_record(cat.record(base))
            else:
                raise CatalogueError('%s: no sample for %s' % (self.m.name, p.type))
            self.args[p.name] = v
            return
        model['kind'] = 'pointer'
        if self.nulled(p):
            model['null'] = True
            self.args[p.name] = 'nullptr'
            return
        sent = p.name in self.sent_params
        arrays = self.array_items(p)
        if base == '_RNSM_EVENT':
            value = self.value(index)
            self.decl.append('_RNSM_EVENT %s{};' % v)
            self.decl.append('%s.DwordOurCode = %d;' % (v, value))
            self.cleanup.append('wire::Event::Release(%s, SharedMemMgr());' % v)
            model['value'] = value
            self.args[p.name] = '&' + v
            return
        if arrays:
            self.plan_array(index, p, base, stars, arrays)
            return
        if stars == 2:
            # a unique pointer variable
            record = cat.record(base)
            if record is None:
                raise CatalogueError('%s: pointer variable %s' % (self.m.name, p.name))
            if p.direction == 'out' and not sent:
                self.decl.append('%s* %s = test::GarbagePointer<%s>();' % (base, v, base))
                model['pointee'] = None
            else:
                self.decl.append('%s* %s = test::AllocZeroed<%s>(1);' % (base, v, base))
                model['pointee'] = self.enc.zero_record(record)
            self.cleanup.append('if (%s != nullptr) {' % v)
            self.cleanup += ['    ' + x for x in self.release_element('(*%s)' % v, base)]
            self.cleanup += ['    CoTaskMemFree(%s);' % v, '}']
            self.args[p.name] = '&' + v
            return
        # a single pointer to a value
        initialised = sent or p.direction != 'out'
        if p.name in self.counts:
            if initialised:
                self.decl.append('%s %s = 2;' % (ctype, v))
            else:
                self.decl.append('%s %s = static_cast<%s>(0xCDCDCDCDu);' % (ctype, v, ctype))
            model['value'] = 2
        elif base == 'BSTR':
            if initialised:
                self.decl.append('BSTR %s = SysAllocString(OLESTR("s%d"));' % (v, index))
                model['text'] = 's%d' % index
            else:
                self.decl.append('BSTR %s = test::GarbagePointer<OLECHAR>();' % v)
            self.cleanup.append('SysFreeString(%s);' % v)
        elif base == 'VARIANT':
            self.decl.append('VARIANT %s;' % v)
            self.decl.append('test::FillGarbage(&%s, sizeof %s);' % (v, v))
            self.cleanup.append('VariantClear(&%s);' % v)
        elif cat.enum(base) is not None:
            name, number = self.enum_constant(base)
            self.decl.append('%s %s = %s;' % (base, v, name))
            model['value'] = number
        elif base in SCALAR_SIZES:
            value = self.value(index)
            self.decl.append('%s %s = static_cast<%s>(%d);' % (ctype, v, ctype, value))
            model['value'] = value
        elif base == '_ULARGE_INTEGER':
            value = self.value(index)
            self.decl.append('ULARGE_INTEGER %s;' % v)
            self.decl.append('%s.QuadPart = %d;' % (v, value))
            model['value'] = value
        elif base in ('GUID', '_SYSTEMTIME') or is_raw(cat, base):
            seed = self.next_seed()
            self.decl.append('%s %s;' % (ctype, v))
            self.decl.append('test::FillPattern(&%s, sizeof %s, %du);' % (v, v, seed))
            model['bytes'] = pattern(self.size_of(base), seed)
        elif cat.record(base) is not None:
            self.decl.append('%s %s;' % (ctype, v))
            self.decl.append('std::memset(static_cast<void*>(&%s), 0, sizeof %s);' % (v, v))
            model['bytes'] = self.enc.zero_record(cat.record(base))
            self.cleanup.append('wire::Record<%s>::Release(%s, SharedMemMgr());' % (base, v))
        else:
            raise CatalogueError('%s: no sample for %s' % (self.m.name, p.type))
        self.args[p.name] = '&' + v

    def plan_array(self, index, p, base, stars, arrays):
        v = self.var(p)
        model = self.plans[p.name]
        sent = any(i in self.m.send for i in arrays)
        element_wire = arrays[0].wire
        if stars == 1 and p.direction in ('in', 'none'):
            # the caller's elements, sent
            self.decl.append('%s %s[2];' % (cxx(self.cat, base), v))
            model['elements'] = []
            for k in range(2):
                lines, data = self.element_init('%s[%d]' % (v, k), base, k, element_wire)
                self.decl += lines
                model['elements'].append(data)
                self.cleanup += self.release_element('%s[%d]' % (v, k), base)
            self.args[p.name] = v
            return
        if stars == 1:
            # a fixed caller buffer
            fixed = [i for i in arrays if i in self.m.recv][0]
            capacity = FIXED_BUFFER
            self.decl.append('%s %s[%d];' % (cxx(self.cat, base), v, capacity))
            if sent:
                model['elements'] = []
                for k in range(2):
                    lines, data = self.element_init('%s[%d]' % (v, k), base, k, element_wire)
                    self.decl += lines
                    model['elements'].append(data)
            else:
                self.decl.append('test::FillGarbage(%s, sizeof %s);' % (v, v))
            model['fixed'] = True
            model['buffer_capacity'] = capacity
            self.args[p.name] = v
            return
        # a caller's array variable
        if sent or p.direction == 'inout':
            self.decl.append('%s* %s = test::AllocZeroed<%s>(2);' % (cxx(self.cat, base), v,
                                                                     cxx(self.cat, base)))
            model['elements'] = []
            for k in range(2):
                lines, data = self.element_init('%s[%d]' % (v, k), base, k, element_wire)
                self.decl += lines
                model['elements'].append(data)
            if p.direction == 'out':
                # An [out] array that is also sent: the reply replaces the
                # pointer without freeing what it pointed to.
                self.decl.append('%s* %s_sent = %s;' % (cxx(self.cat, base), v, v))
                for k in range(2):
                    self.cleanup += self.release_element('%s_sent[%d]' % (v, k), base)
                self.cleanup.append('CoTaskMemFree(%s_sent);' % v)
        else:
            self.decl.append('%s* %s = test::GarbagePointer<%s>();' % (cxx(self.cat, base), v,
                                                                      cxx(self.cat, base)))
        model['variable'] = True
        self.args[p.name] = '&' + v

    def size_of(self, base):
        if base in ('GUID', '_SYSTEMTIME'):
            return 16
        if base == '_FILETIME':
            return 8
        return self.cat.record(base).raw_size

    # -- encoding ------------------------------------------------------------
    def value_bytes(self, item, model):
        if 'bytes' in model:
            return model['bytes']
        if 'text' in model:
            return bstr(model['text'])
        if 'value' in model:
            if item.wire == 'unsigned __int64':
                return le(8, model['value'])
            return le(self.enc.scalar_size(item.wire), model['value'])
        if 'pointee' in model:
            return model['pointee']
        raise CatalogueError('%s: nothing to send for %s' % (self.m.name, item.param))

    def encode_send(self, item):
        model = self.plans[item.param]
        null = model.get('null', False)
        if item.kind == 'event':
            if null:
                return le(4, 0)
            return le(4, 1) + self.event_node(model['value'])
        if item.kind == 'plain':
            if null:
                return self.enc.zero_value(item.wire if item.wire != 'unsigned __int64'
                                           else 'unsigned __int64')
            return self.value_bytes(item, model)
        if item.kind == 'unique':
            if null or model.get('pointee', b'') is None:
                return le(4, 0)
            return le(4, 1) + self.value_bytes(item, model)
        if item.kind == 'array':
            elements = [] if null else model.get('elements', [])
            if item.shared:
                first = [i for i in self.m.send if i.kind == 'array' and not i.shared][0]
                length = 0 if null else self.count_value(first.count)
            elif item.count is None:
                length = len(elements)
            else:
                length = self.count_value(item.count)
            if length != len(elements):
                raise CatalogueError('%s: array %s of %d sent with %d' % (
                    self.m.name, item.param, len(elements), length))
            body = b''.join(elements)
            return le(4, length) + le(4, length) + body
        raise CatalogueError(item.kind)

    def count_value(self, name):
        model = self.plans[name]
        if model.get('null'):
            return 0
        return model.get('value', 0)

    def event_node(self, code):
        return (le(4, code) + le(4, 0) + le(4, 0) + le(4, 0) + le(4, 0) + le(4, 0) + le(2, 0)
                + le(4, 0))

    def encode_recv(self, item):
        p = self.m.param(item.param)
        model = self.plans[item.param]
        v = self.var(p)
        null = model.get('null', False)
        base, stars = split_pointer(p.type)
        index = [x.name for x in self.m.params].index(p.name)
        if item.kind == 'event':
            code = self.value(index, reply=True)
            if not null:
                self.checks.append('EXPECT_EQ(%du, %s.DwordOurCode);' % (code, v))
            return le(4, 1) + self.event_node(code)
        if item.kind in ('plain', 'unique'):
            prefix = le(4, 1) if item.kind == 'unique' else b''
            if base == 'VARIANT':
                value = self.value(index, reply=True)
                if not null:
                    self.checks += ['EXPECT_EQ(VT_I4, %s.vt);' % v,
                                    'EXPECT_EQ(%d, %s.lVal);' % (value, v)]
                return prefix + le(2, 3) + bytes(6) + le(4, value)
            if base == '_ULARGE_INTEGER':
                value = self.value(index, reply=True)
                if not null:
                    self.checks.append('EXPECT_EQ(%du, %s.QuadPart);' % (value, v))
                return prefix + le(8, value)
            if self.cat.enum(base) is not None:
                name, number = self.enum_constant(base, second=True)
                if not null:
                    self.checks.append('EXPECT_EQ(%s, %s);' % (name, v))
                return prefix + le(4, number)
            data, check = self.reply_element(base, index, item.wire)
            if not null:
                target = ('(*%s)' % v) if stars == 2 else v
                if stars == 2:
                    self.checks.append('ASSERT_NE(nullptr, %s);' % v)
                self.checks += check(target)
            return prefix + data
        if item.kind == 'array':
            fixed = model.get('fixed', False)
            length = FIXED_REPLY_LENGTH if fixed else ARRAY_REPLY_LENGTH
            body = b''
            checks = []
            for k in range(length):
                data, check = self.reply_element(base, k, item.wire)
                body += data
                if k == 0:
                    checks = check
            if not null:
                element = ('%s[0]' % v) if fixed else ('(%s[0])' % v)
                if not fixed:
                    self.checks.append('ASSERT_NE(nullptr, %s);' % v)
                self.checks += checks(element)
                count = None if item.shared else item.count
                if count is not None and not self.plans[count].get('null'):
                    cv = self.var(self.m.param(count))
                    _, cstars = split_pointer(self.m.param(count).type)
                    if cstars == 1:
                        self.checks.append('EXPECT_EQ(%d, static_cast<int>(%s));' % (length, cv))
                release = self.release_element('%s[i]' % v, base)
                if fixed:
                    if release:
                        self.cleanup += ['for (int i = 0; i < %d; ++i) {' % length] + \
                            ['    ' + x for x in release] + ['}']
                else:
                    self.cleanup.append('if (%s != nullptr) {' % v)
                    if release:
                        self.cleanup += ['    for (int i = 0; i < %d; ++i) {' % length] + \
                            ['        ' + x for x in release] + ['    }']
                    self.cleanup += ['    CoTaskMemFree(%s);' % v, '}']
            return le(4, length) + le(4, length) + body
        raise CatalogueError(item.kind)

    def has_garbage_out_array(self):
        return False


def _interface_for(family):
    return family.most_derived


def _round_trip(cat, family, m, nulls):
    s = Sample(cat, family, m, nulls)
    result = 'S_OK' if nulls else 'S_FALSE'
    name = '%s_%s' % (m.name, 'Nulls' if nulls else 'RoundTrip')
    lines = ['void %s(GeneratedCallTest& t, %s* itf) {' % (name, family.most_derived)]
    body = ['SCOPED_TRACE("%s");' % name]
    body += s.decl
    body.append('Bytes request = t.FamilyCallHeader(%s, u"%s");' % (_family_ref(family), m.name))
    body.append('AppendBytes(request, Hex("%s"));' % hex_text(s.request))
    body.append('Bytes reply = GeneratedCallTest::ReplyHead(%s);' % result)
    body.append('AppendBytes(reply, Hex("%s"));' % hex_text(s.reply))
    body.append('t.Transport().ExpectCall(std::move(request), std::move(reply));')
    args = ', '.join(s.args[p.name] for p in m.params)
    body.append('EXPECT_EQ(%s, itf->%s(%s));' % (result, m.name, args))
    body.append('EXPECT_TRUE(t.Transport().ReplyFullyRead());')
    body += s.checks
    body += s.cleanup
    lines += ['    ' + x for x in body] + ['}', '']
    return name, lines


def _family_ref(family):
    return 'kFamily%s' % family.key


def _dcom_call(cat, family, m):
    name = '%s_Dcom' % m.name
    args = []
    digests = []
    decl = []
    for index, p in enumerate(m.params):
        base, stars = split_pointer(p.type)
        ctype = cxx(cat, p.type)
        v = 'a%d' % index
        if stars > 0:
            decl.append('%s %s = test::FakePointer<%s>(%d);' % (ctype, v, ctype, index))
        elif base == 'BSTR':
            decl.append('BSTR %s = test::FakePointer<BSTR>(%d);' % (v, index))
        elif base == 'LPWSTR':
            decl.append('LPWSTR %s = test::FakePointer<LPWSTR>(%d);' % (v, index))
        elif cat.enum(base) is not None:
            decl.append('%s %s = %s;' % (base, v, cat.enum(base).values[-1][0]))
        elif base in SCALAR_SIZES:
            decl.append('%s %s = static_cast<%s>(%d);' % (ctype, v, ctype, 1 + index * 3))
        else:
            decl.append('%s %s;' % (ctype, v))
            decl.append('test::FillPattern(&%s, sizeof %s, %du);' % (v, v, 7 * index + 1))
        args.append(v)
        digests.append('test::ArgDigest(%s)' % v)
    lines = ['void %s(GeneratedCallTest&, %s* itf, test::RemoteCallLog& log) {'
             % (name, family.most_derived), '    SCOPED_TRACE("%s");' % name]
    lines += ['    ' + x for x in decl]
    lines.append('    log = test::RemoteCallLog{};')
    call = 'itf->%s(%s)' % (m.name, ', '.join(args))
    if m.kind == 'dispatch':
        call = 'itf->%s(%s)' % (m.name, _dispatch_args(m.name))
    if m.kind == 'remote':
        lines += ['    EXPECT_EQ(test::FakeRemoteResult(%d), %s);' % (m.slot, call),
                  '    EXPECT_EQ(1, log.calls);', '    EXPECT_EQ(%d, log.slot);' % m.slot,
                  '    EXPECT_EQ((std::vector<std::uint64_t>{%s}), log.args);' % ', '.join(digests)]
    else:
        lines += ['    EXPECT_EQ(static_cast<HRESULT>(0x80004001u), %s);' % call,
                  '    EXPECT_EQ(0, log.calls);']
    lines += ['}', '']
    return name, lines


def _fake_remote(cat, family):
    cls = 'FakeRemote%s' % family.key
    lines = ['class %s final : public test::FakeRemoteBase<%s> {' % (cls, family.most_derived),
             'public:']
    for m in family.methods:
        if m.kind == 'dispatch':
            sig = signature(cat, m)
            lines.append('    HRESULT STDMETHODCALLTYPE %s(%s) override {' % (
                m.name, ', '.join(x.rsplit(' ', 1)[0] for x in sig.split(', '))))
            lines += ['        log.Record(%d, {});' % m.slot,
                      '        return test::FakeRemoteResult(%d);' % m.slot, '    }']
            continue
        lines.append('    HRESULT STDMETHODCALLTYPE %s(%s) override {' % (m.name, signature(cat, m)))
        digests = ', '.join('test::ArgDigest(%s)' % p.name for p in m.params)
        lines += ['        log.Record(%d, {%s});' % (m.slot, digests),
                  '        return test::FakeRemoteResult(%d);' % m.slot, '    }']
    lines += ['};', '']
    return cls, lines


def emit_family_tests(cat, family):
    out = [BANNER, '// Tests of the %s family generated from the catalogue.' % family.most_derived,
           '', '#include <gtest/gtest.h>', '', '#include <condition_variable>',
           '#include <cstring>', '#include <mutex>', '#include <thread>', '',
           '#include "catalogue/families.h"', '#include "catalogue/record_codecs.h"',
           '#include "generated_call_test.h"', '#include "trace_recorder.h"', '',
           'namespace ql::test {', 'namespace {', '']
    trips, nulls, dcoms, notimpl = [], [], [], []
    for m in family.methods:
        if m.kind == 'remote':
            name, lines = _round_trip(cat, family, m, False)
            out += lines
            trips.append(name)
            name, lines = _round_trip(cat, family, m, True)
            out += lines
            nulls.append(name)
        else:
            notimpl.append(m)
        name, lines = _dcom_call(cat, family, m)
        out += lines
        dcoms.append(name)
    cls, lines = _fake_remote(cat, family)
    out += lines
    key = family.key
    first_iid = 'IID_%s' % family.interfaces[0].name
    itf = family.most_derived
    out += ['}  // namespace', '',
            'TEST_F(GeneratedCallTest, %sRoundTripsEveryMethod) {' % key,
            '    auto* itf = QueryFamily<%s>(%s);' % (itf, first_iid)]
    out += ['    %s(*this, itf);' % n for n in trips]
    out += ['    itf->Release();', '}', '',
            'TEST_F(GeneratedCallTest, %sNullOutPointersStillConsumeTheReply) {' % key,
            '    auto* itf = QueryFamily<%s>(%s);' % (itf, first_iid)]
    out += ['    %s(*this, itf);' % n for n in nulls]
    out += ['    itf->Release();', '}', '',
            'TEST_F(GeneratedCallTest, %sDcomPathReachesTheSameSlot) {' % key,
            '    %s remote;' % cls,
            '    ASSERT_EQ(S_OK, Repository()->Initialize(1, nullptr, 0, 0, nullptr, 0, nullptr, '
            'nullptr));',
            '    Repository()->SetRemoteInterfaceForTesting(&remote);',
            '    auto* itf = QueryFamily<%s>(%s);' % (itf, first_iid)]
    out += ['    %s(*this, itf, remote.log);' % n for n in dcoms]
    out += ['    itf->Release();', '    Repository()->SetRemoteInterfaceForTesting(nullptr);',
            '    EXPECT_EQ(0u, Transport().SendCount());', '}', '']
    if notimpl:
        out += ['TEST_F(GeneratedCallTest, %sNotImplementedSlotsAnswerAtOnce) {' % key,
                '    auto* itf = QueryFamily<%s>(%s);' % (itf, first_iid),
                '    TraceRecorder recorder;',
                '    // Another thread holds the call lock: a slot that took it would wait.',
                '    CallLockHolder holder(Repository()->Target().callLock);']
        for m in notimpl:
            args = ', '.join(_zero_arg(cat, p) for p in m.params) if m.kind != 'dispatch' else \
                _dispatch_args(m.name)
            out.append('    EXPECT_EQ(static_cast<HRESULT>(0x80004001u), itf->%s(%s));'
                       % (m.name, args))
        out += ['    holder.Release();', '    EXPECT_EQ(0u, Transport().SendCount());',
                '    EXPECT_TRUE(recorder.Messages().empty());', '    itf->Release();', '}', '']
    out += ['}  // namespace ql::test', '']
    return '\n'.join(out)


def _zero_arg(cat, p):
    base, stars = split_pointer(p.type)
    if stars > 0 or base in ('BSTR', 'LPWSTR'):
        return 'nullptr'
    return '%s{}' % cxx(cat, base)


def _dispatch_args(name):
    return {
        'GetTypeInfoCount': 'nullptr',
        'GetTypeInfo': '0, 0, nullptr',
        'GetIDsOfNames': 'IID_IUnknown, nullptr, 0, 0, nullptr',
        'Invoke': '0, IID_IUnknown, 0, 0, nullptr, nullptr, nullptr, nullptr',
    }[name]


# -- record round trips ------------------------------------------------------
#
# Every travelling record gets a sample value whose fields each carry a value
# of their own (ordinals spread over every byte of the field, patterns for
# GUIDs, times and raw blocks, distinct texts), written with tags (threshold
# 0) and without (threshold 255) and compared with the bytes computed here,
# then read back from the same bytes and compared field by field. Arrays
# hold two elements at the top level and one below it, unique pointers
# point at a sample, lists have two nodes.

WIRE_TAGS = {'unsigned long': 17, 'unsigned short': 18, 'long': 19, 'short': 20, '__int64': 21,
             'unsigned char': 22, 'int': 23, 'unsigned __int64': 24, 'char': 26}
TAG_PRESENT, TAG_ARRAY, TAG_RUN, TAG_BSTR, TAG_VARIANT, TAG_GUID, TAG_TIME = 0, 1, 16, 64, 65, 96, 97
BLOCK_SIZE = 3  # the size field of a byte block: the block carries 3 + 4 bytes


class RecordSample:
    """The C++ lines that build and check a sample of one record, and the
    pieces of its wire form: ('tag', n) or ('raw', bytes)."""

    def __init__(self, cat):
        self.cat = cat
        self.fill = []
        self.check = []
        self.locals = 0
        self.number = 0
        self.seed = 0

    def local(self, prefix):
        self.locals += 1
        return '%s%d' % (prefix, self.locals)

    def next_number(self, size):
        self.number += 1
        byte = self.number % 100 + 1
        return int.from_bytes(bytes([byte]) * size, 'little')

    def next_seed(self):
        self.seed = (self.seed + 53) & 0xFF
        return self.seed

    @staticmethod
    def scalar(tag, data):
        return [('tag', tag), ('raw', data)]

    def bstr_pieces(self, text):
        data = (text + '\0').encode('utf-16-le')
        return ([('tag', TAG_BSTR)] + self.scalar(WIRE_TAGS['unsigned long'], le(4, len(data)))
                + [('tag', TAG_RUN), ('raw', data)])

    def present(self, flag):
        return [('tag', TAG_PRESENT)] + self.scalar(WIRE_TAGS['unsigned long'], le(4, flag))

    # A record at p (fill) and q (check), its tag included.
    def record(self, record, p, q, depth):
        name = record.name
        if record.raw_size is not None:
            seed = self.next_seed()
            self.fill.append('test::FillPattern(%s, sizeof(%s), %du);' % (p, name, seed))
            self.check.append('EXPECT_EQ(test::Pattern(sizeof(%s), %du), test::BytesAt(%s, '
                              'sizeof(%s)));' % (name, seed, q, name))
            return [('tag', record.tag), ('raw', pattern(record.raw_size, seed))]
        pieces = [('tag', record.tag)]
        blocks = {i.size_field for i in record.items if i.kind == 'block'}
        for item in record.items:
            at = ' + offsetof(%s, %s)' % (name, item.name)
            pieces += self.item(record, item, p + at, q + at, depth, item.name in blocks)
        if record.is_list:
            # A node is followed by the flag of the next one.
            if depth == 0:
                pieces += self.present(1) + self.list_node(record, p, q)
            else:
                pieces += self.present(0)
        return pieces

    def item(self, record, item, p, q, depth, is_block_size):
        cat = self.cat
        if item.kind == 'field':
            ctype = cxx(cat, item.declared or item.type)
            wire = item.type
            if wire in WIRE_TAGS:
                size = SCALAR_SIZES[wire]
                value = BLOCK_SIZE if is_block_size else self.next_number(size)
                self.fill.append('test::Store(%s, static_cast<%s>(%d));' % (p, ctype, value))
                self.check.append('EXPECT_EQ(%d, static_cast<long long>(test::Load<%s>(%s)));'
                                  % (value, ctype, q))
                return self.scalar(WIRE_TAGS[wire], le(size, value))
            if wire == 'BSTR':
                text = 't%d' % self.next_number(1)
                self.fill.append('test::Store(%s, arena.Text(u"%s"));' % (p, text))
                self.check.append('EXPECT_EQ(u"%s", test::BstrText(test::Load<BSTR>(%s)));'
                                  % (text, q))
                return self.bstr_pieces(text)
            if wire in ('GUID', '_SYSTEMTIME'):
                seed = self.next_seed()
                self.fill.append('test::FillPattern(%s, 16, %du);' % (p, seed))
                self.check.append('EXPECT_EQ(test::Pattern(16, %du), test::BytesAt(%s, 16));'
                                  % (seed, q))
                return [('tag', TAG_GUID if wire == 'GUID' else TAG_TIME),
                        ('raw', pattern(16, seed))]
            if wire == 'VARIANT':
                value = self.next_number(4)
                self.fill.append('test::Store(%s, test::LongVariant(%d));' % (p, value))
                self.check.append('EXPECT_EQ(%d, test::VariantLong(test::Load<VARIANT>(%s)));'
                                  % (value, q))
                ushort = WIRE_TAGS['unsigned short']
                return ([('tag', TAG_VARIANT)] + self.scalar(ushort, le(2, 3))
                        + self.scalar(ushort, le(2, 0)) * 3
                        + self.scalar(WIRE_TAGS['long'], le(4, value)))
            raise CatalogueError('%s.%s: no sample for %s' % (record.name, item.name, wire))
        if item.kind == 'record':
            return self.record(cat.record(item.type), p, q, depth + 1)
        if item.kind == 'unique':
            target = cat.record(item.type)
            pv, qv = self.local('p'), self.local('q')
            self.fill += ['auto* %s = arena.Zeroed(sizeof(%s));' % (pv, item.type),
                          'test::Store(%s, reinterpret_cast<%s*>(%s));' % (p, item.type, pv)]
            self.check += ['const auto* %s = reinterpret_cast<const std::uint8_t*>('
                           'test::Load<%s*>(%s));' % (qv, item.type, q),
                           'ASSERT_NE(nullptr, %s);' % qv]
            return self.present(1) + self.record(target, pv, qv, depth + 1)
        if item.kind == 'array':
            return self.array(record, item, p, q, depth)
        if item.kind == 'block':
            seed = self.next_seed()
            size = BLOCK_SIZE + 4
            pv = self.local('p')
            self.fill += ['auto* %s = arena.Zeroed(%d);' % (pv, size),
                          'test::FillPattern(%s, %d, %du);' % (pv, size, seed),
                          'test::Store(%s, static_cast<BYTE*>(%s));' % (p, pv)]
            self.check.append('EXPECT_EQ(test::Pattern(%d, %du), test::BytesAt(test::Load<BYTE*>'
                              '(%s), %d));' % (size, seed, q, size))
            return [('tag', TAG_RUN), ('raw', pattern(size, seed))]
        if item.kind == 'next':
            return []
        raise CatalogueError('%s.%s: no sample for %s' % (record.name, item.name, item.kind))

    def array(self, record, item, p, q, depth):
        count_type = {32: 'ULONG', 16: 'USHORT', 8: 'BYTE'}[item.count_bits]
        length = 2 if depth == 0 else 1
        element = cxx(self.cat, item.type)
        count_at = ' + offsetof(%s, %s)' % (record.name, item.count)
        pv, qv = self.local('p'), self.local('q')
        self.fill += ['auto* %s = arena.Zeroed(%d * sizeof(%s));' % (pv, length, element),
                      'test::Store(%s, reinterpret_cast<%s*>(%s));' % (p, element, pv),
                      'test::Store(%s%s, static_cast<%s>(%d));' % (p.rsplit(' + ', 1)[0],
                                                                  count_at, count_type, length)]
        self.check += ['EXPECT_EQ(%d, static_cast<int>(test::Load<%s>(%s%s)));'
                       % (length, count_type, q.rsplit(' + ', 1)[0], count_at, ),
                       'const auto* %s = reinterpret_cast<const std::uint8_t*>(test::Load<%s*>'
                       '(%s));' % (qv, element, q),
                       'ASSERT_NE(nullptr, %s);' % qv]
        size = WIRE_TAGS['unsigned long']
        pieces = [('tag', TAG_ARRAY)] + self.scalar(size, le(4, length)) * 2
        target = self.cat.record(item.type)
        for k in range(length):
            pk = '%s + %d * sizeof(%s)' % (pv, k, element)
            qk = '%s + %d * sizeof(%s)' % (qv, k, element)
            if target is not None:
                pieces += self.record(target, pk, qk, depth + 1)
            elif item.type == 'BSTR':
                text = 'e%d' % self.next_number(1)
                self.fill.append('test::Store(%s, arena.Text(u"%s"));' % (pk, text))
                self.check.append('EXPECT_EQ(u"%s", test::BstrText(test::Load<BSTR>(%s)));'
                                  % (text, qk))
                pieces += self.bstr_pieces(text)
            else:
                raise CatalogueError('%s.%s: no sample element %s' % (record.name, item.name,
                                                                      item.type))
        return pieces

    def list_node(self, record, p, q):
        """A second node after the one at p/q; returns its pieces."""
        link = [i for i in record.items if i.kind == 'next'][0].name
        pv, qv = self.local('p'), self.local('q')
        self.fill += ['auto* %s = arena.Zeroed(sizeof(%s));' % (pv, record.name),
                      'test::Store(%s + offsetof(%s, %s), reinterpret_cast<%s*>(%s));'
                      % (p, record.name, link, record.name, pv)]
        self.check += ['const auto* %s = reinterpret_cast<const std::uint8_t*>(test::Load<%s*>('
                       '%s + offsetof(%s, %s)));' % (qv, record.name, q, record.name, link),
                       'ASSERT_NE(nullptr, %s);' % qv]
        pieces = self.record(record, pv, qv, 1)  # ends with the flag 0
        self.check.append('EXPECT_EQ(nullptr, test::Load<%s*>(%s + offsetof(%s, %s)));'
                          % (record.name, qv, record.name, link))
        return pieces


def render(pieces, threshold):
    out = b''
    for kind, value in pieces:
        if kind == 'tag':
            if value >= threshold:
                out += le(4, value)
        else:
            out += value
    return out


def _hex_literal(data):
    text = hex_text(data)
    chunks = [text[i:i + 96] for i in range(0, len(text), 96)] or ['']
    return '\n'.join('        "%s"' % c for c in chunks)


def _record_test(cat, record):
    s = RecordSample(cat)
    s.seed = record.tag
    pieces = s.record(record, 'p0', 'q0', 0)
    lines = ['TEST(GeneratedRecordTest, %s) {' % record.name.lstrip('_'),
             '    const char* const tagged =', _hex_literal(render(pieces, 0)) + ';',
             '    const char* const plain =', _hex_literal(render(pieces, 255)) + ';']
    if record.writes:
        lines += ['    test::SampleArena arena;',
                  '    %s value;' % record.name,
                  '    std::memset(static_cast<void*>(&value), 0, sizeof value);',
                  '    auto* p0 = reinterpret_cast<std::uint8_t*>(&value);']
        lines += ['    ' + x for x in s.fill]
        lines += ['    EXPECT_EQ(test::H(tagged), test::Written(value, 0));',
                  '    EXPECT_EQ(test::H(plain), test::Written(value, 255));']
    if record.reads:
        lines += ['    for (LONG threshold : {0, 255}) {',
                  '        SCOPED_TRACE(threshold);',
                  '        test::RecordReader<%s> reader(threshold, threshold == 0 ? tagged : '
                  'plain);' % record.name,
                  '        const auto* q0 = reader.Read();',
                  '        ASSERT_NE(nullptr, q0);']
        lines += ['        ' + x for x in s.check]
        lines.append('    }')
    lines += ['}', '']
    return lines


def emit_record_tests(cat):
    out = [BANNER, '// Round trips of every record that travels, generated from the catalogue.',
           '', '#include <gtest/gtest.h>', '', '#include <cstddef>', '#include <cstdint>',
           '#include <cstring>', '', '#include "catalogue/record_codecs.h"',
           '#include "record_sample.h"', '', 'namespace ql {', '']
    for record in cat.records:
        if record.tag is not None:
            out += _record_test(cat, record)
    out += ['}  // namespace ql', '']
    return '\n'.join(out)
