#!/usr/bin/env python3
"""Generates the interface declarations, records, record codecs, proxies,
interface map, type library source and catalogue listing from catalogue/.

Usage: generate.py <catalogue dir> <output dir> [--list]
With --list it prints the files it writes (for the build) and writes
nothing. Output files are rewritten only when their text changes."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import catalogue  # noqa: E402
import emit_fuzz  # noqa: E402
import emit_idl  # noqa: E402
import emit_interfaces  # noqa: E402
import emit_listing  # noqa: E402
import emit_proxies  # noqa: E402
import emit_records  # noqa: E402
import emit_tests  # noqa: E402


def outputs(cat):
    files = {
        'catalogue/records.h': lambda: emit_records.emit_records_header(cat),
        'catalogue/record_codecs.h': lambda: emit_records.emit_codecs_header(cat),
        'catalogue/record_codecs.cpp': lambda: emit_records.emit_codecs_source(cat),
        'server/record_peer.h': lambda: emit_records.emit_peer_header(cat),
        'server/record_peer.cpp': lambda: emit_records.emit_peer_source(cat),
        'catalogue/interfaces.h': lambda: emit_interfaces.emit_interfaces_header(cat),
        'catalogue/families.h': lambda: emit_interfaces.emit_families_header(cat),
        'catalogue/repository_methods.inc': lambda: emit_interfaces.emit_method_declarations(cat),
        'catalogue/interface_map.cpp': lambda: emit_interfaces.emit_interface_map(cat),
        'catalogue/method_tables.h': lambda: emit_listing.emit_tables_header(cat),
        'catalogue/method_tables.cpp': lambda: emit_listing.emit_tables_source(cat),
        'catalogue/catalogue.json': lambda: emit_listing.emit_json(cat),
        'catalogue/quillon.idl': lambda: emit_idl.emit_idl(cat),
        'fuzz/reply_calls.cpp': lambda: emit_fuzz.emit_reply_calls(cat),
        'tests/catalogue_records_test.cpp': lambda: emit_tests.emit_record_tests(cat),
    }
    for family in cat.families:
        files['catalogue/proxies_%s.cpp' % family.key] = (
            lambda f=family: emit_proxies.emit_family_proxies(cat, f))
        files['tests/catalogue_%s_test.cpp' % family.key] = (
            lambda f=family: emit_tests.emit_family_tests(cat, f))
    return files


def write_if_changed(path, text):
    try:
        with open(path, encoding='utf-8') as f:
            if f.read() == text:
                return
    except FileNotFoundError:
        pass
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'w', encoding='utf-8', newline='\n') as f:
        f.write(text)


def main(argv):
    if len(argv) < 3:
        sys.stderr.write(__doc__)
        return 2
    try:
        cat = catalogue.load(argv[1])
    except catalogue.CatalogueError as error:
        if error.path is not None:
            sys.stderr.write('%s\n' % error)  # "file:line: what is wrong"
        else:
            sys.stderr.write('catalogue error:\n%s\n' % error)
        return 1
    files = outputs(cat)
    if '--list' in argv:
        print(';'.join(sorted(files)))
        return 0
    for name, make in sorted(files.items()):
        write_if_changed(os.path.join(argv[2], name), make())
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
