"""The generator's handling of catalogue files it did not expect: a malformed
line is reported as "file:line: what is wrong" with exit status 1, and a new
family file takes its place from library.cat. Run from the repository root:
python3 -m unittest discover -s codegen -p 'test_*.py'"""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
CATALOGUE = os.path.join(os.path.dirname(HERE), 'catalogue')
GENERATE = os.path.join(HERE, 'generate.py')

sys.path.insert(0, HERE)
import catalogue  # noqa: E402


def run_generate(directory, output, *extra):
    return subprocess.run([sys.executable, GENERATE, directory, output, *extra],
                          capture_output=True, text=True, check=False)


class CatalogueCopy:
    """A copy of the real catalogue in a temporary directory."""

    def __enter__(self):
        self.temp = tempfile.mkdtemp(prefix='ql-catalogue-')
        self.dir = os.path.join(self.temp, 'catalogue')
        shutil.copytree(CATALOGUE, self.dir)
        return self

    def __exit__(self, *exc):
        shutil.rmtree(self.temp)

    def path(self, name):
        return os.path.join(self.dir, name)

    def lines(self, name):
        with open(self.path(name), encoding='utf-8') as f:
            return f.read().split('\n')

    def write(self, name, lines):
        with open(self.path(name), 'w', encoding='utf-8') as f:
            f.write('\n'.join(lines))

    def insert(self, name, index, text):
        """Inserts text as line index + 1 (index 0: the first line), or
        appends it for index None; returns its line number."""
        lines = self.lines(name)
        if index is None:
            while lines and lines[-1] == '':
                lines.pop()
            index = len(lines)
        lines.insert(index, text)
        self.write(name, lines)
        return index + 1

    def replace_first(self, name, pattern, replacement):
        """Replaces the first line matching pattern; returns its line number."""
        lines = self.lines(name)
        for index, line in enumerate(lines):
            if re.search(pattern, line):
                lines[index] = re.sub(pattern, replacement, line, count=1)
                self.write(name, lines)
                return index + 1
        raise AssertionError('no line matches %r in %s' % (pattern, name))


class MalformedLines(unittest.TestCase):
    # (file, how to break it, what the message says)
    CASES = [
        ('families/Vault.cat',
         lambda c, f: c.replace_first(f, r'^method \| \d+', 'method | x'),
         "bad value in 'method' line"),
        ('library.cat',
         lambda c, f: c.insert(f, None, 'interface | IBroken'),
         "'interface' line has too few cells"),
        ('records.cat',
         lambda c, f: c.insert(f, None, '  field | lonely'),
         "'field' line has too few cells"),
        ('families/SBS.cat',
         lambda c, f: c.insert(f, 0, '  param | in | long | early'),
         "'param' line outside the block it belongs to"),
        ('control.cat',
         lambda c, f: c.insert(f, None, 'bogus | 1'),
         'unknown line'),
        ('records.cat',
         lambda c, f: c.insert(f, 0, 'field | outside | long'),
         'expected a record'),
    ]

    def test_each_malformed_line_names_its_file_and_line(self):
        for name, breaker, message in self.CASES:
            with self.subTest(file=name, message=message), CatalogueCopy() as copy:
                line = breaker(copy, name)
                result = run_generate(copy.dir, os.path.join(copy.temp, 'out'))
                self.assertEqual(result.returncode, 1, result.stderr)
                self.assertNotIn('Traceback', result.stderr)
                first = result.stderr.splitlines()[0]
                self.assertTrue(first.startswith('%s:%d: ' % (copy.path(name), line)), first)
                self.assertIn(message, first)

    def test_missing_file_names_the_file(self):
        with CatalogueCopy() as copy:
            os.remove(copy.path('records.cat'))
            result = run_generate(copy.dir, os.path.join(copy.temp, 'out'))
            self.assertEqual(result.returncode, 1, result.stderr)
            self.assertNotIn('Traceback', result.stderr)
            self.assertTrue(result.stderr.startswith(copy.path('records.cat') + ': '),
                            result.stderr)


class FamilyOrder(unittest.TestCase):
    def add_family(self, copy, before_extra=None):
        """Adds the family "Extra", a renamed copy of Update, with identifiers
        listed among the extras (before the extra named before_extra)."""
        text = '\n'.join(copy.lines('families/Update.cat'))
        text = text.replace('family | Update', 'family | Extra')
        text = text.replace('INDMUpdateEx', 'IExtraThing')
        copy.write('families/Extra.cat', text.split('\n'))
        extras = ['extra | IExtraThing | {0A1B2C3D-0000-4000-8000-000000000001}',
                  'extra | IExtraThing_61 | {0A1B2C3D-0000-4000-8000-000000000002}']
        lines = copy.lines('library.cat')
        if before_extra is None:
            at = max(i for i, line in enumerate(lines) if line.startswith('extra |')) + 1
        else:
            at = [i for i, line in enumerate(lines)
                  if line.startswith('extra | %s |' % before_extra)][0]
        lines[at:at] = extras
        copy.write('library.cat', lines)

    def test_a_new_family_file_is_generated(self):
        with CatalogueCopy() as copy:
            self.add_family(copy)
            out = os.path.join(copy.temp, 'out')
            listed = run_generate(copy.dir, out, '--list')
            self.assertEqual(listed.returncode, 0, listed.stderr)
            self.assertIn('catalogue/proxies_Extra.cpp', listed.stdout.split(';'))
            written = run_generate(copy.dir, out)
            self.assertEqual(written.returncode, 0, written.stderr)
            self.assertTrue(os.path.exists(os.path.join(out, 'tests', 'catalogue_Extra_test.cpp')))

    def test_families_follow_the_order_of_library_cat(self):
        for before, expected_next in ((None, None), ('INTLocalUserManager', 'LocalUserManager')):
            with self.subTest(before=before), CatalogueCopy() as copy:
                self.add_family(copy, before)
                keys = [f.key for f in catalogue.load(copy.dir).families]
                position = keys.index('Extra')
                following = keys[position + 1] if position + 1 < len(keys) else None
                self.assertEqual(following, expected_next, keys)
                # The library's own interfaces come first.
                self.assertEqual(keys[0], 'FileSystem')


if __name__ == '__main__':
    unittest.main()
