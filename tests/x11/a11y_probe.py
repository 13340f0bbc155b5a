"""What a screen reader finds in the running reader, read over AT-SPI.

Run by a11y_reader_test.sh inside the reader's D-Bus session, with Debian's
/usr/bin/python3 (pyatspi). Arguments: the reader's process id, its page
file, the bookpack tool and the book. Prints one line per check and exits 1
on the first failure.
"""
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

pid, page_file, bookpack, book = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4]


# Qt's bridge gives its tree-item role the AT-SPI role "table cell" (its
# localised role name reads "tree item"), as for its own tree views.
ITEM_ROLES = (pyatspi.ROLE_TREE_ITEM, pyatspi.ROLE_TABLE_CELL)


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def wait_for(what, check, seconds=15):
    deadline = time.time() + seconds
    while time.time() < deadline:
        try:
            found = check()
        except Exception:  # a node went away while it was read
            found = None
        if found:
            return found
        time.sleep(0.2)
    fail(what)


def walk(node, depth=0):
    if node is None or depth > 60:
        return
    yield node
    try:
        children = list(node)
    except Exception:
        return
    for child in children:
        yield from walk(child, depth + 1)


def has(node, state):
    return node.getState().contains(state)


def application():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.get_process_id() == pid:
            return app
    return None


def outline():
    """The book's contents: [(section, [(page name, number)])]."""
    text = subprocess.run([bookpack, "contents", book], capture_output=True, text=True, check=True).stdout
    sections = []
    for line in text.splitlines():
        name, _, rest = line.strip().rpartition(" [")
        if not line.startswith(" "):
            sections.append((name, []))
        else:
            sections[-1][1].append((name, int(rest.split("]")[0])))
    return sections


def expected_page(number):
    page = subprocess.run([bookpack, "extract", book, str(number)], capture_output=True, check=True).stdout
    for old, new in ((b"background-color:#fff5d2", b"background-color:#E0E0E0"),
                     (b"background: #83776e", b"background:#FFFFFF"),
                     (b"'Calibri'; color:#000000", b"'Calibri'; color:#042640"),
                     (b"'Times New Roman'; color:#000000", b"'Times New Roman'; color:#042640")):
        page = page.replace(old, new)
    return page


def shows_page(number):
    wanted = expected_page(number)
    with open(page_file, "rb") as f:
        return f.read() == wanted


def action(node, name):
    act = node.queryAction()
    for i in range(act.nActions):
        if act.getName(i) == name:
            return act.doAction(i)
    fail("%r has no action %r (it has %s)" % (node.name, name, [act.getName(i) for i in range(act.nActions)]))


app = wait_for("the reader is not on the accessibility bus", application, 30)
book_outline = outline()

# Nothing nobody can see: no offscreen frame, no covered list, file list,
# packing button or empty swatch label.
def outside_page(node, depth=0):
    """The nodes of the window itself: the page's document has lists and
    labels of its own."""
    if node is None or depth > 60 or node.getRole() == pyatspi.ROLE_DOCUMENT_WEB:
        return
    yield node
    for child in list(node):
        yield from outside_page(child, depth + 1)


for node in outside_page(app):
    role, name = node.getRole(), node.name
    if name == "Offscreen":
        fail("a node named Offscreen is exposed")
    if role in (pyatspi.ROLE_LIST, pyatspi.ROLE_LIST_ITEM):
        fail("a list is exposed: %r" % name)
    if name == "Сбор базы":
        fail("the covered packing button is exposed")
    if role == pyatspi.ROLE_LABEL and not name:
        fail("an empty label is exposed")
print("no Offscreen frame, no covered list, file list, packing button or swatch")

tree = wait_for("no tree named Contents",
                lambda: next((n for n in walk(application())
                              if n.getRole() == pyatspi.ROLE_TREE and n.name == "Contents"), None))


def items():
    return [tree[i] for i in range(tree.childCount)]


sections = [s for s, _ in book_outline]
closed = items()
if [i.name for i in closed] != sections:
    fail("tree items %s, expected the sections %s" % ([i.name for i in closed], sections))
for item in closed:
    if item.getRole() not in ITEM_ROLES or not has(item, pyatspi.STATE_EXPANDABLE) \
            or not has(item, pyatspi.STATE_COLLAPSED) or has(item, pyatspi.STATE_EXPANDED):
        fail("section %r is not a collapsed, expandable tree item" % item.name)
    if item.description != "section":
        fail("section %r is described as %r" % (item.name, item.description))
if not has(closed[0], pyatspi.STATE_FOCUSED):
    fail("the first row does not have the focus at start-up")
print("%d closed sections, the first focused" % len(closed))

heard = []


def hear(event):
    try:
        heard.append((event.type, event.source.name, event.detail1))
    except Exception:
        heard.append((event.type, None, event.detail1))


for kind in ("object:state-changed", "object:children-changed", "object:selection-changed",
             "object:active-descendant-changed", "focus:"):
    pyatspi.Registry.registerEventListener(hear, kind)


def listen(seconds):
    loop = GLib.MainLoop()
    GLib.timeout_add(int(seconds * 1000), loop.quit)
    loop.run()


# Opening the first section through its action: its pages follow it, named
# in full and described with their page numbers.
listen(1.0)  # the reader learns that somebody listens
heard.clear()
action(closed[0], "Toggle")
listen(1.5)
pages = book_outline[0][1]
wait_for("the first section did not open", lambda: tree.childCount == len(sections) + len(pages))
opened = items()
if not has(opened[0], pyatspi.STATE_EXPANDED) or has(opened[0], pyatspi.STATE_COLLAPSED):
    fail("the opened section is not expanded")
for (name, number), item in zip(pages, opened[1:]):
    if item.name != name or item.description != "page %d" % number:
        fail("page item %r (%r), expected %r (page %d)" % (item.name, item.description, name, number))
    if has(item, pyatspi.STATE_EXPANDABLE):
        fail("page %r is expandable" % name)
added = [h for h in heard if h[:2] == ("object:children-changed:add", "Contents")]
if len(added) != len(pages):
    fail("opening the section told of %d new rows, not %d: %s" % (len(added), len(pages), heard))
print("the first section opened through its action: %d pages, full names and numbers, each told as added"
      % len(pages))

# The balloon with a shortened name is a tool tip holding the whole name,
# there while it is shown.
longest = max(opened[1:], key=lambda item: len(item.name))
box = longest.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
subprocess.run(["xdotool", "mousemove", str(box.x + 120), str(box.y + box.height // 2)], check=True)


def tool_tip():
    app = application()
    app.clearCache()
    return next((n for n in list(app) if n.getRole() == pyatspi.ROLE_TOOL_TIP and n.name == longest.name
                 and has(n, pyatspi.STATE_SHOWING)), None)


wait_for("no tool tip with %r while its balloon shows" % longest.name, tool_tip, 10)
subprocess.run(["xdotool", "mousemove", str(box.x + 600), str(box.y)], check=True)
print("the balloon is a tool tip with the whole name %r" % longest.name)

# Choosing a page through its action shows it, as Enter would.
name, number = pages[-1]
heard.clear()
action(opened[len(pages)], "Press")
wait_for("choosing %r did not show page %d" % (name, number), lambda: shows_page(number))
chosen = items()[len(pages)]
if not has(chosen, pyatspi.STATE_SELECTED):
    fail("the chosen page is not selected")
listen(0.5)
if ("object:state-changed:selected", name, 1) not in heard:
    fail("choosing %r told of no selection: %s" % (name, heard))
print("choosing page %d through its action showed it" % number)

# The page's text: the web document holds the page's heading.
heading = name.split("-bet ", 1)[-1]


def document_with_heading():
    # The web engine replaces the document's nodes without telling the
    # client's cache: read them afresh.
    app = application()
    app.clearCache()
    for node in walk(app):
        if node.getRole() == pyatspi.ROLE_DOCUMENT_WEB:
            for inner in walk(node):
                if inner.getRole() == pyatspi.ROLE_HEADING and inner.name == heading:
                    return inner
    return None


text_node = wait_for("the page's text %r is not reachable" % heading, document_with_heading, 30)
print("the page's text is reachable: %r" % heading)

# The zoom slider: its value, bounds and step; a value set through the
# interface zooms the page (the heading grows with it).
slider = next((n for n in walk(application()) if n.getRole() == pyatspi.ROLE_SLIDER), None)
if slider is None or slider.name != "Zoom":
    fail("no slider named Zoom")
value = slider.queryValue()
if (value.currentValue, value.minimumValue, value.maximumValue, value.minimumIncrement) != (100, 20, 300, 2):
    fail("slider value %s in %s..%s step %s" % (value.currentValue, value.minimumValue, value.maximumValue,
                                                value.minimumIncrement))


def letter_height():
    text_node.clearCache()
    return text_node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS).height


before = letter_height()
value.currentValue = 150
wait_for("the slider's value did not become 150", lambda: slider.queryValue().currentValue == 150)
after = wait_for("the page did not zoom", lambda: letter_height() if letter_height() > before * 1.3 else None)
if not before * 1.3 < after < before * 1.7:
    fail("the heading went from %s to %s px high at 150 %%" % (before, after))
print("the slider's value set to 150 zoomed the page: the heading %s -> %s px high" % (before, after))

# Tab and Shift+Tab visit what can be seen, in the window's order; F6 moves
# between the contents and the page. The keys come from xdotool.


def focused():
    """Where the focus is: "tree", "page", or the name of the slider or
    button. The web engine keeps its document marked focused while the
    window's own controls have the focus, so they are asked first."""
    found = set()

    def visit(node, inside_page, depth=0):
        if node is None or depth > 60:
            return
        role = node.getRole()
        inside_page = inside_page or role == pyatspi.ROLE_DOCUMENT_WEB
        if has(node, pyatspi.STATE_FOCUSED):
            if role == pyatspi.ROLE_TREE or role in ITEM_ROLES:
                found.add("tree")
            elif role in (pyatspi.ROLE_SLIDER, pyatspi.ROLE_PUSH_BUTTON):
                found.add(node.name)
            elif inside_page or any(n.getRole() == pyatspi.ROLE_DOCUMENT_WEB for n in walk(node)):
                found.add("page")
            else:
                found.add("%s %r" % (node.getRoleName(), node.name))
        for child in list(node):
            visit(child, inside_page, depth + 1)

    app = application()
    app.clearCache()
    visit(app, False)
    own = found - {"page"}
    if len(own) == 1:
        return own.pop()
    return "page" if not own and "page" in found else " and ".join(sorted(found)) or "nothing"


def press(keys, where):
    subprocess.run(["xdotool", "key", "--delay", "100"] + keys, check=True)
    return wait_for("after %s the focus is not on %s (it is on %s)" % (" ".join(keys), where, focused()),
                    lambda: focused() == where, 10)


if focused() != "tree":
    fail("the tree does not have the focus before Tab (%s has)" % focused())
search = "text 'Search the book'"
for key, where in (("Tab", "page"), ("Tab", "Zoom"), ("Tab", "Command1"), ("Tab", "Command3"), ("Tab", search),
                   ("Tab", "tree"), ("shift+Tab", search), ("shift+Tab", "Command3"), ("shift+Tab", "Command1"),
                   ("shift+Tab", "Zoom"),
                   ("shift+Tab", "page"), ("shift+Tab", "tree"), ("F6", "page"), ("F6", "tree")):
    press([key], where)
print("Tab: tree, page, Zoom, Command1, Command3, the book search, and back; Shift+Tab the other way; F6 between tree and page")

# A key that moves the keyboard row tells of the row it moved to.
heard.clear()
subprocess.run(["xdotool", "key", "Down"], check=True)
listen(1.0)
now = next((i for i in items() if has(i, pyatspi.STATE_FOCUSED)), None)
if now is None or ("focus:", now.name, 0) not in heard:
    fail("Down told of no focus on the new row (%s): %s" % (now and now.name, heard))
print("Down moved the focus to %r and told of it" % now.name)
