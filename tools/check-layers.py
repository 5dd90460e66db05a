#!/usr/bin/env python3
"""Checks the source tree against the layers of the house plan.

A file under src/<folder>/ may include its own folder and the folders below it; a file outside
a ui/ folder may not include a ui/ folder nor a Qt Widgets header; no source file passes 800
lines. Prints each breach and exits with 1 when there is one.
"""
import pathlib
import re
import sys

# Bottom to top; each folder may include those before it.
LAYERS = [
    "text", "platform", "workspace", "imaging", "pricing", "net", "sources", "index",
    "customer", "order", "cards", "mobile", "sending", "viewer", "ordering", "app", "cli",
]
MAX_LINES = 800

WIDGET_MODULES = ("QtWidgets", "QtPrintSupport", "QtOpenGLWidgets", "QtMultimediaWidgets")
# Class headers of Qt Widgets: QWidget, QDialog, QLabel, ... as <QWidget> or <QtWidgets/QWidget>.
WIDGET_CLASSES = {
    "QAbstractButton", "QAbstractItemView", "QAbstractScrollArea", "QAbstractSlider",
    "QAbstractSpinBox", "QAction", "QActionGroup", "QApplication", "QBoxLayout", "QButtonGroup",
    "QCheckBox", "QColorDialog", "QComboBox", "QDateEdit", "QDialog", "QDialogButtonBox",
    "QDockWidget", "QDoubleSpinBox", "QFileDialog", "QFileSystemModel", "QFormLayout", "QFrame",
    "QGraphicsView", "QGridLayout", "QGroupBox", "QHBoxLayout", "QHeaderView", "QInputDialog",
    "QLabel", "QLayout", "QLineEdit", "QListView", "QListWidget", "QMainWindow", "QMenu",
    "QMenuBar", "QMessageBox", "QPlainTextEdit", "QProgressBar", "QProxyStyle", "QPushButton",
    "QRadioButton", "QScrollArea", "QScrollBar", "QShortcut", "QSizePolicy", "QSlider",
    "QSpinBox", "QSplitter", "QStackedWidget", "QStatusBar", "QStyle", "QStyleOption",
    "QStyledItemDelegate", "QTabBar", "QTabWidget", "QTableView", "QTableWidget", "QTextEdit",
    "QToolBar", "QToolButton", "QToolTip", "QTreeView", "QTreeWidget", "QTreeWidgetItem",
    "QVBoxLayout", "QWidget", "QWhatsThis",
}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def folder_of(path: pathlib.Path, src: pathlib.Path):
    parts = path.relative_to(src).parts
    return parts[0] if len(parts) > 1 else None


def is_ui(path: pathlib.Path, src: pathlib.Path) -> bool:
    return "ui" in path.relative_to(src).parts[:-1]


def widget_header(name: str) -> bool:
    first, _, rest = name.partition("/")
    if rest and first in WIDGET_MODULES:
        return True
    return name in WIDGET_CLASSES or first in WIDGET_MODULES


def check(root: pathlib.Path) -> list:
    src = root / "src"
    breaches = []
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".cpp", ".h", ".in") or not path.is_file():
            continue
        rel = path.relative_to(root)
        lines = path.read_text(encoding="utf-8", errors="replace").splitlines()
        if len(lines) > MAX_LINES:
            breaches.append(f"{rel}: {len(lines)} lines (at most {MAX_LINES})")
        own = folder_of(path, src)
        ui = is_ui(path, src)
        for number, line in enumerate(lines, 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            quote, name = match.groups()
            if quote == "<":
                if not ui and widget_header(name):
                    breaches.append(f"{rel}:{number}: Qt Widgets header <{name}> outside a ui/ folder")
                continue
            parts = name.split("/")
            if len(parts) < 2 or parts[0] not in LAYERS:
                continue
            target = parts[0]
            if "ui" in parts[1:-1] and not ui:
                breaches.append(f"{rel}:{number}: includes the window code {name}")
            if own not in LAYERS:
                continue
            if LAYERS.index(target) > LAYERS.index(own):
                breaches.append(f"{rel}:{number}: {own}/ includes {name}, a layer above it")
    return breaches


def main() -> int:
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent)
    breaches = check(root.resolve())
    for breach in breaches:
        print(breach)
    if breaches:
        print(f"check-layers: {len(breaches)} breaches of the house plan")
        return 1
    print("check-layers: the tree keeps to the house plan")
    return 0


if __name__ == "__main__":
    sys.exit(main())
