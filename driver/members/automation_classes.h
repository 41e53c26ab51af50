// The names of RUDLib's two control classes: their ProgIDs and help strings.
// Read by widl for the type library's help strings and by the C++ code
// (registration, the class table, the test program). Macros only, since widl's
// preprocessor reads this file too; it takes object-like macros, not tables.
#ifndef NOTAREL_AUTOMATION_CLASSES_H
#define NOTAREL_AUTOMATION_CLASSES_H

#define NOTAREL_LIBRARY_HELP "Notarel: Драйвер купюроприемника"

#define NOTAREL_PROGID "RUDLib.Notarel"
#define NOTAREL_CLASS_HELP NOTAREL_LIBRARY_HELP

#define NOTAREL2_PROGID "RUDLib.Notarel2"
#define NOTAREL2_CLASS_HELP "Notarel: Драйвер купюроприемника 2"

#endif
