import sys, re, pyatspi
pid = int(sys.argv[1])
def walk(node, depth=0):
    if depth > 25: return
    try:
        name = node.name or ''
        role = node.getRoleName()
    except Exception:
        return
    yield role, name
    for i in range(node.childCount):
        try: child = node.getChildAtIndex(i)
        except Exception: continue
        if child is not None: yield from walk(child, depth + 1)
desktop = pyatspi.Registry.getDesktop(0)
for app in desktop:
    if app is None: continue
    try:
        if app.get_process_id() != pid: continue
    except Exception: continue
    for role, name in walk(app):
        if role == 'label' and name: print(name)
