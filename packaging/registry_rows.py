#!/usr/bin/env python3
"""Writes the MSI Registry table of Notarel.msi (an .idt file in UTF-8).

The rows are what each Notarel.dll writes in its DllRegisterServer: the two
control classes, their ProgIDs, the property page class and the type library
with its interfaces (as the system's RegisterTypeLib writes them). The GUIDs,
names and help strings are read from the sources the DLL itself is built from,
so that a changed identifier cannot be forgotten in the package:

    registry_rows.py SOURCE_DIR OUTPUT.idt

The 32-bit DLL's rows belong to the component Notarel32 (registry view of
32-bit programs), the 64-bit DLL's to Notarel64 (the native view). The keys
both DLLs share (ProgIDs, the library's own values) are written once, by the
64-bit component, except the help folder (see help_dir_row).
"""
import hashlib
import re
import sys
from pathlib import Path

# The standard proxies of automation interfaces and of dispinterfaces.
PS_OA_INTERFACE = "{00020424-0000-0000-C000-000000000046}"
PS_DISPATCH = "{00020420-0000-0000-C000-000000000046}"
# Library flags: the type library's own ("control"), and the flag the loader
# reports for every library it read from a file.
LIBFLAG_FCONTROL = 0x2
LIBFLAG_FHASDISKIMAGE = 0x8
ROOT_CLASSES = 0  # msidbRegistryRootClassesRoot


def read_macros(text):
    """The object-like string macros of a header, with macro references resolved."""
    raw = dict(re.findall(r'^#define[ \t]+(\w+)[ \t]+(.+?)[ \t]*$', text, re.M))

    def value(name):
        body = raw[name]
        return body[1:-1] if body.startswith('"') else value(body)

    return {name: value(name) for name, body in raw.items()
            if body.startswith('"') or body in raw}


def string_or_macro(token, macros):
    token = token.strip()
    return token[1:-1] if token.startswith('"') else macros[token]


def read_idl(text, macros):
    """The library and its type infos that carry a uuid, in source order."""
    entries = []
    for attributes, kind, name in re.findall(
            r'\[([^\[\]]*)\]\s*(library|interface|dispinterface|coclass)\s+(\w+)', text):
        uuid = re.search(r'uuid\(([0-9A-Fa-f-]+)\)', attributes)
        if not uuid:
            continue
        entry = {'kind': kind, 'name': name, 'guid': '{%s}' % uuid.group(1).upper(),
                 'flags': set(re.findall(r'\b(dual|oleautomation|control)\b', attributes))}
        for field in ('version', 'lcid'):
            found = re.search(field + r'\(([^)]*)\)', attributes)
            entry[field] = found.group(1) if found else None
        helpstring = re.search(r'helpstring\(((?:"[^"]*")|\w+)\)', attributes)
        entry['help'] = string_or_macro(helpstring.group(1), macros) if helpstring else None
        entry['help_macro'] = helpstring.group(1) if helpstring else None
        entries.append(entry)
    return entries


def read_property_page(text):
    """The property page class's CLSID from its C++ initializer."""
    found = re.search(r'kPropertyPageClsid\s*=\s*\{\s*0x(\w+),\s*0x(\w+),\s*0x(\w+),\s*'
                      r'\{([^}]*)\}', text)
    tail = [int(byte, 16) for byte in re.findall(r'0x(\w+)', found.group(4))]
    return '{%08X-%04X-%04X-%02X%02X-%s}' % (
        int(found.group(1), 16), int(found.group(2), 16), int(found.group(3), 16),
        tail[0], tail[1], ''.join('%02X' % byte for byte in tail[2:]))


def wide_constant(text, name):
    return re.search(r'%s\[\]\s*=\s*L"([^"]*)"' % name, text).group(1)


class Rows:
    """Registry rows: (key, value name or None, value or None, component)."""

    def __init__(self):
        self.rows = []

    def add(self, component, key, value, name=None):
        self.rows.append((key, name, value, component))

    def idt(self):
        lines = ['Registry\tRoot\tKey\tName\tValue\tComponent_',
                 's72\ti2\tl255\tL255\tL0\ts72',
                 'Registry\tRegistry']
        for key, name, value, component in self.rows:
            # A stable row name: the same row keeps its name from build to build.
            digest = hashlib.sha1('\0'.join((component, key, name or '')).encode()).hexdigest()
            lines.append('\t'.join(('reg' + digest[:24].upper(), str(ROOT_CLASSES), key,
                                    name or '', value or '', component)))
        return '\r\n'.join(lines) + '\r\n'


def control_class_rows(rows, component, coclass, progid, module, library, misc_status):
    key = 'CLSID\\' + coclass['guid']
    for subkey, value in (('', coclass['help']), ('\\InprocServer32', module),
                          ('\\ProgID', progid), ('\\TypeLib', library['guid']),
                          ('\\Version', library['version']), ('\\MiscStatus', '0'),
                          ('\\MiscStatus\\1', misc_status), ('\\ToolboxBitmap32', module + ',1'),
                          ('\\Control', None), ('\\Verb', None),
                          ('\\Verb\\0', 'Properties,0,2')):
        rows.add(component, key + subkey, value)


def interface_rows(rows, component, entry, library):
    key = 'Interface\\' + entry['guid']
    proxy = PS_DISPATCH if entry['kind'] == 'dispinterface' else PS_OA_INTERFACE
    rows.add(component, key, entry['name'])
    rows.add(component, key + '\\ProxyStubClsid', proxy)
    rows.add(component, key + '\\ProxyStubClsid32', proxy)
    rows.add(component, key + '\\TypeLib', library['guid'])
    rows.add(component, key + '\\TypeLib', library['version'], 'Version')


def dll_rows(rows, component, file_id, platform, types, progids, page, constants):
    """What one DLL writes in its own registry view."""
    library = types[0]
    # [!file] is the file's short path, which the DLL registers when its path has a blank.
    module = '[!%s]' % file_id
    for coclass in (entry for entry in types if entry['kind'] == 'coclass'):
        control_class_rows(rows, component, coclass, progids[coclass['name']], module, library,
                           constants['misc_status'])
    rows.add(component, 'CLSID\\' + page, constants['page_name'])
    rows.add(component, 'CLSID\\%s\\InprocServer32' % page, module)
    for entry in types:
        if entry['kind'] == 'dispinterface' or (
                entry['kind'] == 'interface' and entry['flags'] & {'dual', 'oleautomation'}):
            interface_rows(rows, component, entry, library)
    lcid = '%x' % int(library['lcid'] or '0', 0)
    rows.add(component, 'TypeLib\\%s\\%s\\%s\\%s' % (library['guid'], library['version'], lcid,
                                                     platform), '[#%s]' % file_id)


def shared_rows(rows, component, types, progids):
    """The keys both DLLs write alike: the ProgIDs and the library's own values."""
    library = types[0]
    for coclass in (entry for entry in types if entry['kind'] == 'coclass'):
        progid = progids[coclass['name']]
        rows.add(component, progid, coclass['help'])
        rows.add(component, progid + '\\Clsid', coclass['guid'])
    key = 'TypeLib\\%s\\%s' % (library['guid'], library['version'])
    flags = LIBFLAG_FHASDISKIMAGE | (LIBFLAG_FCONTROL if 'control' in library['flags'] else 0)
    rows.add(component, key, library['help'])
    rows.add(component, key + '\\FLAGS', str(flags))


def help_dir_row(rows, component, folder_id, library):
    """The library's help folder. The system's RegisterTypeLib writes it only
    when it creates the key, so the DLL registered first sets it; the register
    command files take the 32-bit DLL first, and so does the package. A folder
    property ends with a backslash, which the loader leaves off."""
    key = 'TypeLib\\%s\\%s\\HELPDIR' % (library['guid'], library['version'])
    rows.add(component, key, '[%s]' % folder_id)


def main(source_dir, output):
    source = Path(source_dir)
    macros = read_macros((source / 'driver/members/automation_classes.h').read_text('utf-8'))
    types = read_idl((source / 'driver/automation/Notarel.idl').read_text('utf-8'), macros)
    if types[0]['kind'] != 'library':
        raise SystemExit('registry_rows.py: the IDL does not start with its library')
    # A coclass's ProgID macro has the prefix of its help string's macro.
    progids = {entry['name']: macros[entry['help_macro'].replace('_CLASS_HELP', '_PROGID')]
               for entry in types if entry['kind'] == 'coclass'}
    registration = (source / 'driver/automation/registration.cpp').read_text('utf-8')
    constants = {'misc_status': wide_constant(registration, 'kMiscStatus'),
                 'page_name': wide_constant(registration, 'kPropertyPageName')}
    page = read_property_page((source / 'driver/automation/ole_control_base.cpp').read_text('utf-8'))

    rows = Rows()
    dll_rows(rows, 'Notarel32', 'Notarel32Dll', 'win32', types, progids, page, constants)
    dll_rows(rows, 'Notarel64', 'Notarel64Dll', 'win64', types, progids, page, constants)
    shared_rows(rows, 'Notarel64', types, progids)
    help_dir_row(rows, 'Notarel32', 'Notarel32Folder', types[0])
    Path(output).write_text(rows.idt(), 'utf-8', newline='')


if __name__ == '__main__':
    if len(sys.argv) != 3:
        raise SystemExit('usage: registry_rows.py SOURCE_DIR OUTPUT.idt')
    main(sys.argv[1], sys.argv[2])
