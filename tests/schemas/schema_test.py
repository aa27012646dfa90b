#!/usr/bin/python3
"""The schemas in schemas/ against what the worker does: requests it accepts
validate, requests it refuses fail validation on the member it names (or are
listed as a check a schema cannot express), and every result document the
end-to-end tests collected validates.

Usage: schema_test.py WORKER SOURCE_DIR COLLECTED_DIR
"""
import json
import os
import re
import sys
import tempfile
import unittest

from jsonschema import Draft202012Validator

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from worker_run import DROP, request_members, run_worker, write_pgm, write_request  # noqa: E402

WORKER = SOURCE = COLLECTED = ""

# Requests the worker accepts: (name, members changed from the base request).
ACCEPTED = [
    ("only required members", {}),
    ("every member", {"searchTypeGroups": 4294967295, "searchDirections": 7, "profile": 4,
                      "outputFormat": 1}),
    ("no group and no direction", {"searchTypeGroups": 0, "searchDirections": 0}),
    ("profile beyond the four", {"profile": 9}),
    ("largest integers", {"profile": 2147483647, "outputFormat": 4294967295}),
    ("scalar with plus sign", {"scalarW": "+1.5"}),
    ("scalar after white space", {"scalarW": " \t1.5"}),
    ("scalar with exponent", {"scalarW": "2e-3", "scalarH": "1E+2"}),
    ("scalar without integer digits", {"scalarW": ".5"}),
    ("scalar ending in a point", {"scalarW": "5."}),
    ("scalar with leading zeros", {"scalarW": "000.25"}),
    ("unknown member", {"comment": {"any": ["value"]}}),
]

# Requests the worker refuses: (name, changes, member named by both).
REFUSED = [
    ("width missing", {"width": DROP}, "width"),
    ("height missing", {"height": DROP}, "height"),
    ("stride missing", {"stride": DROP}, "stride"),
    ("dpi missing", {"dpi": DROP}, "dpi"),
    ("scalarW missing", {"scalarW": DROP}, "scalarW"),
    ("scalarH missing", {"scalarH": DROP}, "scalarH"),
    ("bitmapPath missing", {"bitmapPath": DROP}, "bitmapPath"),
    ("resultPath missing", {"resultPath": DROP}, "resultPath"),
    ("width as a string", {"width": "640"}, "width"),
    ("width zero", {"width": 0}, "width"),
    ("width negative", {"width": -5}, "width"),
    ("width above 32 bits", {"width": 2147483648}, "width"),
    ("height null", {"height": None}, "height"),
    ("stride true", {"stride": True}, "stride"),
    ("dpi an array", {"dpi": [300]}, "dpi"),
    ("profile zero", {"profile": 0}, "profile"),
    ("profile a fraction", {"profile": 1.5}, "profile"),
    ("groups negative", {"searchTypeGroups": -1}, "searchTypeGroups"),
    ("directions above 32 bits", {"searchDirections": 4294967296}, "searchDirections"),
    ("output format a string", {"outputFormat": "1"}, "outputFormat"),
    ("scalar as a number", {"scalarW": 1.5}, "scalarW"),
    ("scalar with a decimal comma", {"scalarW": "1,5"}, "scalarW"),
    ("scalar with trailing space", {"scalarW": "1.5 "}, "scalarW"),
    ("scalar with trailing line feed", {"scalarH": "1.5\n"}, "scalarH"),
    ("scalar empty", {"scalarH": ""}, "scalarH"),
    ("scalar a word", {"scalarH": "abc"}, "scalarH"),
    ("scalar hexadecimal", {"scalarW": "0x10"}, "scalarW"),
    ("scalar exponent without digits", {"scalarW": "1e"}, "scalarW"),
    ("scalar zero", {"scalarW": "0.000"}, "scalarW"),
    ("scalar negative", {"scalarH": "-2"}, "scalarH"),
    ("bitmap path a number", {"bitmapPath": 5}, "bitmapPath"),
    ("result path an object", {"resultPath": {}}, "resultPath"),
]

# Requests the schema accepts and the worker refuses: (name, request text with
# {bitmap} and {result} to fill, what the report line holds, why no schema can
# say it).
UNEXPRESSED = [
    ("integer written with a fraction",
     '{{"width": 64.0, "height": 64, "stride": 64, "dpi": 300, "scalarW": "1", "scalarH": "1",'
     ' "bitmapPath": "{bitmap}", "resultPath": "{result}"}}',
     '"width" has wrong type', "JSON Schema counts 64.0 as an integer"),
    ("integer written with an exponent",
     '{{"width": 64, "height": 6.4e1, "stride": 64, "dpi": 300, "scalarW": "1", "scalarH": "1",'
     ' "bitmapPath": "{bitmap}", "resultPath": "{result}"}}',
     '"height" has wrong type', "JSON Schema counts 6.4e1 as an integer"),
    ("first of two members invalid",
     '{{"dpi": 0, "width": 64, "height": 64, "stride": 64, "dpi": 300, "scalarW": "1",'
     ' "scalarH": "1", "bitmapPath": "{bitmap}", "resultPath": "{result}"}}',
     '"dpi" cannot be 0 or negative', "the first of two equal names counts; a schema sees one"),
    ("scalar beyond a double",
     '{{"width": 64, "height": 64, "stride": 64, "dpi": 300, "scalarW": "1e999", "scalarH": "1",'
     ' "bitmapPath": "{bitmap}", "resultPath": "{result}"}}',
     '"scalarW" has wrong format', "a pattern cannot bound the value a text reads as"),
    ("scalar below a double",
     '{{"width": 64, "height": 64, "stride": 64, "dpi": 300, "scalarW": "1", "scalarH": "1e-999",'
     ' "bitmapPath": "{bitmap}", "resultPath": "{result}"}}',
     '"scalarH" cannot be 0 or negative', "it reads as 0, which a pattern cannot see"),
    ("bitmap file missing",
     '{{"width": 64, "height": 64, "stride": 64, "dpi": 300, "scalarW": "1", "scalarH": "1",'
     ' "bitmapPath": "{bitmap}.missing", "resultPath": "{result}"}}',
     'Cannot open input file', "a file must exist and be readable"),
    ("bitmap not an image",
     '{{"width": 64, "height": 64, "stride": 64, "dpi": 300, "scalarW": "1", "scalarH": "1",'
     ' "bitmapPath": "{request}", "resultPath": "{result}"}}',
     'Could not create bitmap image', "the file must hold a page image"),
]

RESULT_MEMBERS = [("rect", "type", "text", "angle", "vertices"),
                  ("rect", "type", "data", "angle", "vertices")]


def load_schema(name):
    with open(os.path.join(SOURCE, "schemas", name), encoding="utf-8") as f:
        schema = json.load(f)
    Draft202012Validator.check_schema(schema)
    return Draft202012Validator(schema)


def members_named(validator, document):
    """The request members the validation errors name."""
    named = set()
    for error in validator.iter_errors(document):
        if error.path:
            named.add(error.path[0])
        elif error.validator == "required":
            named.add(re.match(r"'([^']*)'", error.message).group(1))
        else:
            named.add("<root>")
    return named


class RequestSchema(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.schema = load_schema("request.schema.json")
        cls.dir = tempfile.TemporaryDirectory()
        cls.bitmap = os.path.join(cls.dir.name, "page.pgm")
        cls.result = os.path.join(cls.dir.name, "result.json")
        cls.request = os.path.join(cls.dir.name, "request.json")
        write_pgm(cls.bitmap)

    @classmethod
    def tearDownClass(cls):
        cls.dir.cleanup()

    def run_request(self, request):
        return run_worker(WORKER, write_request(self.request, request))

    def test_accepted_requests_validate(self):
        for name, changes in ACCEPTED:
            with self.subTest(name):
                request = request_members(self.bitmap, self.result, changes)
                self.assertEqual(self.run_request(request), (0, ""))
                self.assertEqual(members_named(self.schema, request), set())

    def test_refused_requests_name_the_same_member(self):
        for name, changes, member in REFUSED:
            with self.subTest(name):
                request = request_members(self.bitmap, self.result, changes)
                code, out = self.run_request(request)
                self.assertEqual(code, 1)
                self.assertIn('Malformed input JSON: "%s"' % member, out)
                self.assertEqual(members_named(self.schema, request), {member})

    def test_checks_no_schema_expresses(self):
        for name, text, report, _why in UNEXPRESSED:
            with self.subTest(name):
                text = text.format(bitmap=self.bitmap, result=self.result, request=self.request)
                code, out = self.run_request(text)
                self.assertEqual(code, 1)
                self.assertIn(report, out)
                self.assertEqual(members_named(self.schema, json.loads(text)), set())

    def test_example_request_validates(self):
        with open(os.path.join(SOURCE, "examples", "request.json.in"), encoding="utf-8") as f:
            self.assertEqual(members_named(self.schema, json.load(f)), set())

    def test_collected_requests_validate(self):
        paths = collected(".request.json")
        for path in paths:
            with self.subTest(os.path.basename(path)):
                with open(path, encoding="utf-8") as f:
                    self.assertEqual(members_named(self.schema, json.load(f)), set())


def collected(suffix):
    paths = sorted(os.path.join(COLLECTED, n) for n in os.listdir(COLLECTED) if n.endswith(suffix))
    # The end-to-end tests run the worker on dozens of pages.
    if len(paths) < 10:
        raise AssertionError("only %d collected %s files in %s" % (len(paths), suffix, COLLECTED))
    return paths


class ResultSchema(unittest.TestCase):
    def test_collected_documents_validate(self):
        schema = load_schema("result.schema.json")
        for path in collected(".result.json"):
            with self.subTest(os.path.basename(path)):
                with open(path, encoding="utf-8") as f:
                    text = f.read()
                self.assertEqual(list(schema.iter_errors(json.loads(text))), [])
                # Member order and the text-then-data rule, which no schema states.
                pairs = json.loads(text, object_pairs_hook=lambda p: p)
                barcodes = pairs[0][1][0][1]
                kinds = [tuple(key for key, _ in barcode) for barcode in barcodes]
                for members in kinds:
                    self.assertIn(members, RESULT_MEMBERS)
                self.assertEqual(kinds, sorted(kinds, key=lambda m: m[2] == "data"))

    def test_type_names_are_the_workers(self):
        schema = load_schema("result.schema.json").schema
        with open(os.path.join(SOURCE, "wrapper", "SymbologyNames.cpp"), encoding="utf-8") as f:
            names = re.findall(r'\{0x[0-9A-F]+, 0x[0-9A-F]+, "([^"]+)"\}', f.read())
        self.assertEqual(len(names), 34)
        self.assertEqual(schema["$defs"]["barcode"]["properties"]["type"]["enum"], names + [""])


if __name__ == "__main__":
    WORKER, SOURCE, COLLECTED = sys.argv[1:4]
    unittest.main(argv=sys.argv[:1] + sys.argv[4:], verbosity=2)
