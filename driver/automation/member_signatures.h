#pragma once
// The member table's rows as the C++ signatures of the widl interfaces, for
// the classes that implement IWBA003_4 (the control, and test stand-ins), and
// the names of the read/write properties as wide strings.
#include <windows.h>
#include <oleauto.h>

#include "automation_members.h"

// The automation type of a member's value.
#define NOTAREL_COM_TYPE(type) NOTAREL_COM_TYPE_##type
#define NOTAREL_COM_TYPE_Bool VARIANT_BOOL
#define NOTAREL_COM_TYPE_Long LONG
#define NOTAREL_COM_TYPE_Port LONG
#define NOTAREL_COM_TYPE_Byte LONG
#define NOTAREL_COM_TYPE_Word LONG
#define NOTAREL_COM_TYPE_Unsigned LONG
#define NOTAREL_COM_TYPE_Text BSTR
#define NOTAREL_COM_TYPE_Path BSTR

// A method's parameter list, and the arguments that pass it on: its
// out-parameter `Value`, or nothing for a Void method.
#define NOTAREL_METHOD_PARAMS(type) NOTAREL_METHOD_PARAMS_##type
#define NOTAREL_METHOD_PARAMS_Void
#define NOTAREL_METHOD_PARAMS_Bool VARIANT_BOOL* Value
#define NOTAREL_METHOD_PARAMS_Long LONG* Value
#define NOTAREL_METHOD_ARGS(type) NOTAREL_METHOD_ARGS_##type
#define NOTAREL_METHOD_ARGS_Void
#define NOTAREL_METHOD_ARGS_Bool Value
#define NOTAREL_METHOD_ARGS_Long Value

// Declarations of every member of IWBA003 to IWBA003_4, as overrides.
#define NOTAREL_DECLARE_METHOD_(iface, name, dispid, type, side, listed, help, call, fills) \
  HRESULT STDMETHODCALLTYPE name(NOTAREL_METHOD_PARAMS(type)) override;
#define NOTAREL_DECLARE_GETTER_(iface, name, dispid, type, side, listed, help, read) \
  HRESULT STDMETHODCALLTYPE get_##name(NOTAREL_COM_TYPE(type) * Value) override;
#define NOTAREL_DECLARE_PROPERTY_(iface, name, dispid, type, side, listed, help, read, write) \
  HRESULT STDMETHODCALLTYPE get_##name(NOTAREL_COM_TYPE(type) * Value) override;        \
  HRESULT STDMETHODCALLTYPE put_##name(NOTAREL_COM_TYPE(type) value) override;
#define NOTAREL_DECLARE_AUTOMATION_MEMBERS                                         \
  NOTAREL_AUTOMATION_MEMBERS(NOTAREL_DECLARE_METHOD_, NOTAREL_DECLARE_GETTER_, \
                             NOTAREL_DECLARE_PROPERTY_)

// The read/write properties, in vtable order, as a list of wide strings.
#define NOTAREL_SKIP_ROW_(...)
#define NOTAREL_WIDE_NAME_(iface, name, ...) L"" #name,
#define NOTAREL_READ_WRITE_PROPERTY_NAMES \
  NOTAREL_AUTOMATION_MEMBERS(NOTAREL_SKIP_ROW_, NOTAREL_SKIP_ROW_, NOTAREL_WIDE_NAME_)
