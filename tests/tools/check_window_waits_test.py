#!/usr/bin/env python3
"""Tests of tools/check-window-waits.py on small trees made here."""
import importlib.util
import pathlib
import tempfile
import unittest

SCRIPT = pathlib.Path(__file__).resolve().parents[2] / "tools" / "check-window-waits.py"
found = importlib.util.spec_from_file_location("check_window_waits", SCRIPT)
check_window_waits = importlib.util.module_from_spec(found)
found.loader.exec_module(check_window_waits)


class CheckWindowWaits(unittest.TestCase):
    def test_pumping_anywhere_and_wait_cursors_in_network_windows_are_breaches(self):
        made = tempfile.TemporaryDirectory()
        self.addCleanup(made.cleanup)
        root = pathlib.Path(made.name)
        files = {
            "net/pump.cpp": "void f() { QCoreApplication::processEvents(); }\n",
            "app/ui/menus.cpp": '#include "net/win_inet.h"\n'
                                "QApplication::setOverrideCursor(Qt::WaitCursor);\n",
            "viewer/ui/stage.cpp": "QApplication::setOverrideCursor(Qt::WaitCursor);\n",
            "order/ui/grid.cpp": '#include "sending/x.h"\n// no processEvents() here\n',
        }
        for name, text in files.items():
            path = root / "src" / name
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_text(text)
        breaches = check_window_waits.check(root)
        self.assertEqual([b.split(": ", 1)[0] for b in breaches],
                         ["src/app/ui/menus.cpp:2", "src/net/pump.cpp:1"])


if __name__ == "__main__":
    unittest.main()
