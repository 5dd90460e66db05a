#!/usr/bin/env python3
"""Tests of tools/check-layers.py on small trees made here."""
import importlib.util
import pathlib
import sys
import tempfile
import unittest

SCRIPT = pathlib.Path(__file__).resolve().parents[2] / "tools" / "check-layers.py"
found = importlib.util.spec_from_file_location("check_layers", SCRIPT)
check_layers = importlib.util.module_from_spec(found)
found.loader.exec_module(check_layers)


class CheckLayers(unittest.TestCase):
    def tree(self, files):
        made = tempfile.TemporaryDirectory()
        self.addCleanup(made.cleanup)
        root = pathlib.Path(made.name)
        for name, text in files.items():
            path = root / "src" / name
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_text(text)
        return root

    def test_includes_pointing_down_and_within_a_folder_pass(self):
        root = self.tree({
            "order/basket.cpp": '#include "order/basket.h"\n#include "pricing/money.h"\n'
                                '#include "text/cp932.h"\n#include <QString>\n',
            "order/ui/grid.cpp": '#include "order/ui/cell.h"\n#include "sources/ui/film.h"\n'
                                 '#include <QWidget>\n#include <QtWidgets/QLabel>\n',
            "app/ui/main.cpp": '#include "app/ui/frame.h"\n#include <QApplication>\n',
        })
        self.assertEqual(check_layers.check(root), [])

    def test_an_include_of_a_layer_above_is_a_breach(self):
        root = self.tree({"sources/film.cpp": '#include "order/thumb_nails.h"\n'})
        self.assertEqual(check_layers.check(root),
                         ["src/sources/film.cpp:1: sources/ includes order/thumb_nails.h, a layer above it"])

    def test_widgets_outside_ui_are_breaches_in_every_spelling(self):
        root = self.tree({
            "order/a.cpp": "#include <QWidget>\n",
            "order/b.cpp": "#include <QtWidgets/QLabel>\n",
            "order/c.cpp": "#include <QtWidgets>\n",
            "order/d.cpp": '#include "order/ui/grid.h"\n',
        })
        breaches = check_layers.check(root)
        self.assertEqual(len(breaches), 4, breaches)
        self.assertTrue(all("src/order/" in b for b in breaches))

    def test_a_file_over_800_lines_is_a_breach(self):
        root = self.tree({"text/long.cpp": "//\n" * 801, "text/fits.cpp": "//\n" * 800})
        self.assertEqual(check_layers.check(root), ["src/text/long.cpp: 801 lines (at most 800)"])


if __name__ == "__main__":
    unittest.main()
