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


class CatalogueCopy:
    """A copy of the real catalogue in a temporary directory."""

    def __enter__(self):
        self.temp = tempfile.mkdtemp(prefix='ql-catalogue-')
        self.dir = os.path.join(self.temp, 'catalogue')
        self.out = os.path.join(self.temp, 'out')
        shutil.copytree(CATALOGUE, self.dir)
        return self

    def __exit__(self, *exc):
        shutil.rmtree(self.temp)

    def path(self, name):
        return os.path.join(self.dir, name)

    def lines(self, name):
        with open(self.path(name), encoding='utf-8') as f:
            return f.read().rstrip('\n').split('\n')

    def write(self, name, lines):
        with open(self.path(name), 'w', encoding='utf-8') as f:
            f.write('\n'.join(lines) + '\n')

    def generate(self, *extra):
        return subprocess.run([sys.executable, GENERATE, self.dir, self.out, *extra],
                              capture_output=True, text=True, check=False)


class MalformedLines(unittest.TestCase):
    # (file, the first line matching pattern is edited by re.sub, or None:
    # appended; what the message says)
    CASES = [
        ('families/Vault.cat', r'^method \| \d+', 'method | x', "bad value in 'method' line"),
        ('library.cat', None, 'interface | IBroken', "'interface' line has too few cells"),
        ('records.cat', None, '  field | lonely', "'field' line has too few cells"),
        ('families/SBS.cat', r'^', '  param | in | long | early\n',
         "'param' line outside the block it belongs to"),
        ('control.cat', None, 'bogus | 1', 'unknown line'),
        ('records.cat', r'^', 'field | outside | long\n', 'expected a record'),
    ]

    def first_error(self, copy):
        result = copy.generate()
        self.assertEqual(result.returncode, 1, result.stderr)
        self.assertNotIn('Traceback', result.stderr)
        return result.stderr.splitlines()[0]

    def test_each_malformed_line_names_its_file_and_line(self):
        for name, pattern, text, message in self.CASES:
            with self.subTest(file=name, message=message), CatalogueCopy() as copy:
                lines = copy.lines(name)
                if pattern is None:
                    lines.append(text)
                    line = len(lines)
                else:
                    line = next(i for i, old in enumerate(lines) if re.search(pattern, old)) + 1
                    lines[line - 1] = re.sub(pattern, text, lines[line - 1], count=1)
                copy.write(name, lines)
                first = self.first_error(copy)
                self.assertTrue(first.startswith('%s:%d: ' % (copy.path(name), line)), first)
                self.assertIn(message, first)

    def test_missing_file_names_the_file(self):
        with CatalogueCopy() as copy:
            os.remove(copy.path('records.cat'))
            first = self.first_error(copy)
            self.assertTrue(first.startswith(copy.path('records.cat') + ': '), first)


class FamilyOrder(unittest.TestCase):
    def add_family(self, copy, before_extra=None):
        """Adds the family "Extra", a renamed copy of Update, with identifiers
        listed among the extras (before the extra named before_extra)."""
        text = '\n'.join(copy.lines('families/Update.cat'))
        text = text.replace('family | Update', 'family | Extra')
        copy.write('families/Extra.cat', text.replace('INDMUpdateEx', 'IExtraThing').split('\n'))
        lines = copy.lines('library.cat')
        extras = [i for i, line in enumerate(lines) if line.startswith('extra |')]
        at = extras[-1] + 1
        if before_extra:
            at = next(i for i in extras if lines[i].startswith('extra | %s |' % before_extra))
        lines[at:at] = ['extra | IExtraThing | {0A1B2C3D-0000-4000-8000-000000000001}',
                        'extra | IExtraThing_61 | {0A1B2C3D-0000-4000-8000-000000000002}']
        copy.write('library.cat', lines)

    def test_a_new_family_is_generated_in_the_order_of_library_cat(self):
        for before, expected_next in ((None, None), ('INTLocalUserManager', 'LocalUserManager')):
            with self.subTest(before=before), CatalogueCopy() as copy:
                self.add_family(copy, before)
                keys = [f.key for f in catalogue.load(copy.dir).families]
                following = (keys + [None])[keys.index('Extra') + 1]
                self.assertEqual(following, expected_next, keys)
                # The library's own interfaces come first.
                self.assertEqual(keys[0], 'FileSystem')
                if before is None:
                    listed = copy.generate('--list')
                    self.assertEqual(listed.returncode, 0, listed.stderr)
                    self.assertIn('catalogue/proxies_Extra.cpp', listed.stdout.split(';'))
                    written = copy.generate()
                    self.assertEqual(written.returncode, 0, written.stderr)
                    self.assertTrue(os.path.exists(
                        os.path.join(copy.out, 'tests', 'catalogue_Extra_test.cpp')))


if __name__ == '__main__':
    unittest.main()
