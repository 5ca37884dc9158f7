"""The project file's JSON Schema (docs/project.schema.json): it says what the
builder accepts, so editors complete and check keys. No Wine needed."""
import glob
import json
import os
import sys
import tomllib
import unittest

import jsonschema

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

sys.path.insert(0, os.path.join(harness.ROOT, "tools"))
import make_project_schema  # noqa: E402

SCHEMA_PATH = os.path.join(harness.ROOT, "docs", "project.schema.json")


def load_schema():
    with open(SCHEMA_PATH) as f:
        return json.load(f)


class ProjectSchemaTest(unittest.TestCase):
    def test_schema_is_what_the_builder_accepts(self):
        # Written from the builder's sources; a key added there must reach it.
        self.assertEqual(load_schema(), make_project_schema.make(),
                         "run python3 tools/make_project_schema.py")
        self.assertNotIn("type unknown to the generator", json.dumps(load_schema()))

    def test_examples_validate_and_mistakes_do_not(self):
        schema = load_schema()
        jsonschema.Draft7Validator.check_schema(schema)
        examples = glob.glob(os.path.join(harness.ROOT, "examples", "*", "*.toml"))
        self.assertTrue(examples)
        for path in examples:
            with open(path, "rb") as f:
                jsonschema.validate(tomllib.load(f), schema)
        with open(examples[0], "rb") as f:
            good = tomllib.load(f)
        mistakes = [
            ("misspelt option", lambda p: p.setdefault("options", {}).update(write_logg=True)),
            ("misspelt table", lambda p: p.update(shortcut=[{"target": "a.exe"}])),
            ("misspelt key", lambda p: p["product"].update(versoin="1.0")),
            ("wrong type", lambda p: p["product"].update(silent="yes")),
            ("unknown name", lambda p: p.setdefault("files", [{}])[0].update(kind="library")),
            ("no product", lambda p: p.pop("product")),
        ]
        for name, change in mistakes:
            with self.subTest(name):
                project = json.loads(json.dumps(good))
                change(project)
                with self.assertRaises(jsonschema.ValidationError):
                    jsonschema.validate(project, schema)


if __name__ == "__main__":
    unittest.main(verbosity=2)
