#!/usr/bin/env python3
"""Prints hand-written test lines against hand-written code lines, per
component and in total; exits 1 when the whole exceeds the allowed ratio.

Code: src/ (per top folder, src/support/ per layer), codegen/ and tools/.
Tests: tests/unit, tests/support, tests/fuzz, tests/e2e, codegen/test_*.py
and tools/*/tests (benchmarks excepted). A test file
belongs to the component holding the source file of the same stem
(foo_test.cpp, foo_win_test.cpp -> foo.*), else to the component named in
OWNERS below, else to "other". Generated files are not counted.

Usage: test_ratio.py [--max RATIO]   (default 0.5)"""

import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CODE_EXT = ('.cpp', '.h', '.py')

# Tests whose name is not that of a source file.
OWNERS = {
    'record_encoding': 'serialization',
    'reader_limits': 'serialization',
    'event_chain': 'serialization',
    'wire_shapes': 'proxies',
    'proxy_wire': 'proxies',
    'call_frame': 'proxies',
    'catalogue_facts': 'codegen',
    'type_library': 'codegen',
    'catalogue_errors': 'codegen',
    'com_runtime': 'support/base',
    'platform_text': 'support/platform',
    'platform_wrappers': 'support/platform',
    'fuzz_deserializer': 'serialization',
    'fuzz_reply_path': 'proxies',
    'transport_send': 'transport',
    'transport_protocol': 'transport',
    'transport_tokens': 'transport',
    'e2e_calls': 'transport',
    'e2e_tls_proxy': 'transport',
    'e2e_large_reply': 'transport',
    'send_section': 'transport',
}


def lines(path):
    with open(path, encoding='utf-8', errors='replace') as f:
        return sum(1 for _ in f)


def files(top, exts=CODE_EXT):
    for base, _, names in os.walk(os.path.join(ROOT, top)):
        for name in sorted(names):
            if name.endswith(exts):
                yield os.path.join(base, name)


def component_of(path):
    rel = os.path.relpath(path, ROOT).split(os.sep)
    if rel[0] == 'codegen':
        return 'codegen'
    if rel[0] == 'tools':
        return 'tools/' + rel[1]
    if rel[1] == 'support' and len(rel) > 3:
        return 'support/' + rel[2]
    return rel[1]


def stem(name):
    name = os.path.splitext(os.path.basename(name))[0]
    name = re.sub(r'^test_', '', name)
    return re.sub(r'(_win|_posix)?(_test)?$', '', name)


def main(argv):
    limit = float(argv[argv.index('--max') + 1]) if '--max' in argv else 0.5
    code, owner_of_stem = {}, {}
    for top in ('src', 'codegen', 'tools'):
        for path in files(top):
            if os.sep + 'tests' + os.sep in path:
                continue
            if os.path.basename(path).startswith('test_'):
                continue
            comp = component_of(path)
            code[comp] = code.get(comp, 0) + lines(path)
            owner_of_stem.setdefault(re.sub(r'(_win|_posix)$', '', stem(path)), comp)
    tests = {}
    e2e_tests = [p for p in files('tests/e2e') if p.endswith('_test.cpp')]
    test_paths = list(files('tests/unit')) + list(files('tests/fuzz')) + e2e_tests + [
        p for p in files('codegen') if os.path.basename(p).startswith('test_')]
    for path in test_paths:
        s = stem(path)
        comp = owner_of_stem.get(s) or OWNERS.get(s) or next(
            (c for k, c in OWNERS.items() if s.startswith(k)), 'other')
        tests[comp] = tests.get(comp, 0) + lines(path)
    for path in files('tools'):
        # Benchmarks print figures and check nothing (tests/bench is not
        # counted either).
        if os.sep + 'tests' + os.sep in path and not os.path.basename(path).startswith('bench_'):
            comp = component_of(path)
            tests[comp] = tests.get(comp, 0) + lines(path)
    # Helpers of the end-to-end tests (processes, the server's control, the
    # proxy) count with the test support.
    e2e_helpers = [p for p in files('tests/e2e') if not p.endswith('_test.cpp')]
    support = sum(lines(p) for p in files('tests/support')) + sum(lines(p) for p in e2e_helpers)
    tests['test support'] = support
    print('%-22s %8s %8s %7s' % ('component', 'code', 'tests', 'ratio'))
    for comp in sorted(set(code) | set(tests)):
        c, t = code.get(comp, 0), tests.get(comp, 0)
        ratio = '%.2f' % (t / c) if c else '-'
        print('%-22s %8d %8d %7s' % (comp, c, t, ratio))
    total_code, total_tests = sum(code.values()), sum(tests.values())
    ratio = total_tests / total_code
    print('%-22s %8d %8d %7.2f  (allowed: %.2f)' % ('total', total_code, total_tests, ratio,
                                                   limit))
    return 0 if ratio <= limit else 1


if __name__ == '__main__':
    sys.exit(main(sys.argv))
